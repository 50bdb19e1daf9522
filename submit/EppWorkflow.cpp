#include "EppWorkflow.h"

#include "ControlFields.h"
#include "RecordKind.h"

#include <QPushButton>

EppWorkflow::EppWorkflow(const Parts &parts) : m_parts(parts)
{
    settingsChanged();
}

void EppWorkflow::settingsChanged()
{
    const bool usable = !m_parts.settings.server.trimmed().isEmpty();
    for (const KindInfo &k : recordKinds())
        m_parts.controls.control<QPushButton>(QLatin1String(k.sendButton))->setEnabled(usable);
}
