#pragma once
// The catalogue of every record field: the one table from which the pages,
// hints, help topics and design states are built.
#include "RecordKind.h"

#include <QString>
#include <QStringList>
#include <vector>

enum class ControlType { Edit, Memo, Combo, Radio };

struct FieldDef {
    QString name;          // control name, also the field's name
    RecordKind kind;
    QString page;          // caption of the inner page (with "&&" for an ampersand)
    QString group;         // framed group on the page, empty when none
    ControlType type;
    QString label;         // caption of the label beside it (radio: its caption)
    QString labelName;     // control name of that label
    QString line;          // template line code, e.g. "4c"
    int help = 0;          // help context number
    QString hint;          // tool tip of the control
    QString labelHint;     // tool tip of the label
    bool disabledAtStart = false;
    bool checkedAtStart = false;
    int maxLength = 0;     // 0: unbounded
    QStringList items;     // combo list entries
    QString designText;    // combo text before start-up replaces it
};

struct PageDef {
    RecordKind kind;
    QString caption;
    QString hint;
};

const std::vector<FieldDef> &fieldCatalogue();
const FieldDef *findField(const QString &name);
std::vector<const FieldDef *> fieldsOfPage(RecordKind kind, const QString &page);

// Inner pages of each kind, in tab order ("Review && Submit" last).
const std::vector<PageDef> &innerPages();

// Stems of the twelve fields of a domain contact block, in copy order.
const QStringList &contactBlockStems();
// Field names of block "O", "A", "T", "B", "NS" (name servers), "HC" (host contact)
// or "C" (the contact record's person), in copy order.
QStringList blockFields(const QString &block);

// The name a screen reader gives the field when its label is not enough:
// where the label repeats on the page, the label with its group
// ("Authorization Type (Authentication)") or its place among the repeats
// ("Additional Nameserver 2"). Empty where the label alone names it.
QString accessibleName(const FieldDef &field);

// Caption as shown: "&&" becomes "&" and a single "&" (the accelerator mark) goes.
QString displayCaption(const QString &caption);
