#pragma once
// Editing rules of the record pages: the domain pages' copy and clear
// buttons, the review pages' Clear All, the scheme and authentication rules
// and the action radios' rules. They change field texts, enabled states and
// captions only; none of them touches the disk.
#include "RecordKind.h"

#include <QString>
#include <QStringList>
#include <vector>

class IFields;
class IMessageBoxes;

// One copy or clear button of the domain pages ("O1".."O8", "A1".."A8",
// "T1".."T8", "B1".."B6", "BitBtn32", "BitBtn33", "BitBtn3").
struct CopyButtonDef {
    QString name;     // control name; the window connects its click to the copy or clear
    QString page;     // inner page caption: "Org", "Admin", "Technical", "Billing", "Name Servers"
    QString caption;  // "Copy to Admin", "Copy From Tech", "Clear", ...
    bool isCancel;    // the page's Escape button (the "Clear" buttons)
};

// In page order, each page's buttons in panel order.
const std::vector<CopyButtonDef> &copyButtons();
// Runs the button's effect; an unknown name does nothing.
void runCopyButton(IFields &fields, const QString &buttonName);

// The review pages' "Clear All" buttons (`BitBtn2`, `HostCancel`, `ContactClear`).
struct ClearAllButtonDef {
    RecordKind kind;
    QString name;     // control name: BitBtn2, HostCancel or ContactClear
    QString page;     // "Review && Submit" of the kind
    QString caption;  // "Clear All"
    QString hint;
    bool isCancel;    // Escape presses it (host and contact only, not the domain's)
};
const std::vector<ClearAllButtonDef> &clearAllButtons();
// Fields emptied by the kind's Clear All, in order.
const QStringList &clearAllFields(RecordKind kind);
// Empties them; action, Public choice, enabled states, captions and lists stay.
void clearAll(IFields &fields, RecordKind kind);

// Names of every button that Escape presses while its page is shown:
// "O8", "A8", "T8", "BitBtn33", "BitBtn3", "HostCancel", "ContactClear".
const QStringList &cancelButtonNames();

// Scheme fields with their info field and label:
// AuthScheme/AuthInfoEdit/Label52, HostAuthScheme/HostAuthInfo/Label61,
// ContactAuthorizationType/ContactAuthorizationInfo/Label86.
struct SchemeRuleDef {
    QString schemeField;
    QString infoField;
    QString label;
};
const std::vector<SchemeRuleDef> &schemeRules();
// The rule of the scheme boxes (AuthScheme, HostAuthScheme,
// ContactAuthorizationType), run on the user's change of `schemeField` (one of schemeRules()). Exact,
// case-sensitive comparison; any other text changes nothing.
void schemeChanged(IFields &fields, const QString &schemeField);
// Whether `infoField` is the info field of a scheme box whose printed scheme
// (its entry) switches it off: MAIL-FROM and PGP use no password. Such an
// info field is printed empty, though it keeps its text for a switch back.
bool schemeSwitchesOff(const IFields &fields, const QString &infoField);
// The rule of ContactAuthenticationType: the caption of Label103.
void authenticationChanged(IFields &fields);

// Radios that have a click rule: NewHostRadio, ModifyHostRadio,
// DeleteHostRadio, NewContactRadio, ModifyContactRadio, DeleteContactRadio,
// DeleteDomainRadio (the domain's New and Modify have none).
const QStringList &actionRuleRadios();
// The radio's click handler (user click, or fields.check() from the program).
// Delete radios ask the kind's deletion question; No checks the kind's New
// radio through fields.check(), which runs its rule in turn.
void actionClicked(IFields &fields, IMessageBoxes &prompter, const QString &radioName);

// After the program has loaded the kind's field texts (its defaults at
// start-up, a record): a scheme or notify box whose text is an entry of its
// list in another case shows the entry's spelling, the scheme and
// authentication rules run as after the user's pick, then the rule of the
// checked New or Modify choice, so that a scheme does not enable a field the
// choice keeps disabled. Asks nothing.
void applyRulesAfterLoad(IFields &fields, RecordKind kind);
// The same for every kind.
void applyRulesAfterLoad(IFields &fields);

// "You just chose to DELETE a domain.  Is this what you really want to do?" etc.
QString deletionQuestion(RecordKind kind);
