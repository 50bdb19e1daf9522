#pragma once
// Sending a record to the registry over EPP from the three review pages,
// beside the mail: the "Send to Registry" buttons, which rest until the setup
// names an EPP server.
#include "EppSetup.h"

#include <QObject>

class ControlFields;

class EppWorkflow : public QObject {
    Q_OBJECT
public:
    // What the workflow works with; none of it is owned.
    struct Parts {
        const ControlFields &controls; // the review pages' buttons
        const EppSetup &settings;      // read when a send starts
    };
    explicit EppWorkflow(const Parts &parts);

    // The settings changed: the send buttons follow the server setting.
    void settingsChanged();

private:
    Parts m_parts;
};
