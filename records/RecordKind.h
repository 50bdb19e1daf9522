#pragma once
// The three record kinds and what each one is made of.
#include <QString>
#include <array>

class IFields;

enum class RecordKind { Domain, Host, Contact };

struct KindInfo {
    RecordKind kind;
    const char *outerPage;    // caption of the main page
    const char *nameField;    // control whose text names the record's files
    const char *folder;       // record folder under the current directory
    const char *listFile;     // name list file in the current directory
    const char *section;      // section of the record file and of the defaults
    const char *versionLine;  // first line of the template
    const char *newRadio;
    const char *modifyRadio;
    const char *deleteRadio;
    bool sortedList;          // the contact list stays sorted without regard to case
    // Review page controls.
    const char *memo;
    const char *showButton;
    const char *mailButton;
    const char *printButton;
    const char *defaultButton;
    const char *clearAllButton;
    const char *status;
    const char *progress;
    const char *stopButton;   // ends the send in progress
    // Review page texts.
    const char *mailCaption;
    const char *showHint;
    const char *mailHint;
    const char *defaultHint;
    // Mailing.
    const char *mailSubject;  // after the record's name
    const char *schemeField;  // the authorization scheme; PGP is never mailed
    // Sending to the registry over EPP.
    const char *sendButton;
};

// Caption of every kind's last inner page, the review page.
extern const char *const kReviewPage;

const std::array<KindInfo, 3> &recordKinds();
const KindInfo &kindInfo(RecordKind kind);

// "N", "M" or "D" from the kind's action radios (a later checked one wins),
// empty when none is checked.
QString actionCode(const IFields &fields, RecordKind kind);
// "Y" for Public, "N" for Confidential, empty when neither is checked.
QString publicFlag(const IFields &fields);
