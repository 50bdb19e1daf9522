#pragma once
// One line (or, for the agreement and multi-line texts, a run of lines) of a
// registration template. The three templates are tables of these rows.
#include <QString>

enum class RowType {
    Text,       // a fixed line, possibly empty
    Processed,  // "Processed " and the render time
    Agreement,  // the registration agreement block
    Field,      // label + value of a field
};

enum class ValueSource {
    Text,           // the control's text; the memo's line breaks continue on unlabelled lines
    SelectedEntry,  // the combo box's selected list entry
    ActionCode,     // "N", "M", "D" of the kind's action radios
    PublicFlag,     // "Y" or "N" of the contact's public radios
};

struct TemplateRow {
    RowType type = RowType::Text;
    QString text;       // Text: the line; Field: the label's name between code and dots
    QString field;      // Field: the control whose value and catalogue line code are used
    ValueSource source = ValueSource::Text;
    int width = 0;      // Field: label width including the closing ": "

    static TemplateRow line(const QString &text) { return {RowType::Text, text, {}, ValueSource::Text, 0}; }
    static TemplateRow blank() { return line({}); }
    static TemplateRow processed() { return {RowType::Processed, {}, {}, ValueSource::Text, 0}; }
    static TemplateRow agreement() { return {RowType::Agreement, {}, {}, ValueSource::Text, 0}; }
    static TemplateRow value(const QString &name, const QString &field, int width,
                             ValueSource source = ValueSource::Text)
    {
        return {RowType::Field, name, field, source, width};
    }
};
