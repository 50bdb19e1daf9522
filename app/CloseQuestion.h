#pragma once
class FieldsUndo;
class IFields;
class IPrompter;
class RecordStore;

// Before the main window closes: when record pages hold records that are not
// stored as they stand, asks once whether to store them (as Show Form does).
// A record that a clear has emptied since it was loaded or stored (`history`)
// is named as cleared, so that Yes does not store it empty unawares.
// False when the window is to stay open: Cancel, or a store that failed
// (its error shown).
bool mayCloseWindow(const IFields &fields, RecordStore &store, IPrompter &prompter, const FieldsUndo &history);
