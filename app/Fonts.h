#pragma once
// The original's Windows font names, mapped to metric-compatible fonts that
// Debian ships (fonts-liberation).
void installFontSubstitutions();

// Registers the help pages and pictures, which live in a static library.
void initAppResources();
