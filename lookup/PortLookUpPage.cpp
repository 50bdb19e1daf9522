#include "PortLookUpPage.h"

#include "EIPPort.h"
#include "IPrompter.h"
#include "LookUpText.h"
#include "TIPPort.h"

PortLookUpPage::PortLookUpPage(const QString &portName, IPrompter &prompter, const LookUpOptions &options,
                               QWidget *parent)
    : LookUpPage(prompter, options, parent), m_port(new TIPPort(this))
{
    m_port->setObjectName(portName);
}

bool PortLookUpPage::resolve(quint64 run, const QString &host, quint16 remotePort)
{
    // The resolve lets events run; a newer look-up may start and end this one there.
    m_port->SetRemoteHost(aceName(host));
    if (!isCurrent(run))
        return false;
    m_port->SetRemotePort(remotePort);
    return true;
}

void PortLookUpPage::connectNow()
{
    m_port->SetConnected(true);
    startConnectWait();
}

void PortLookUpPage::send(const QByteArray &bytes)
{
    m_port->SetDataToSend(bytes);
}

void PortLookUpPage::abortTransport()
{
    try {
        m_port->SetConnected(false);
    } catch (const EIPPort &) {
        // A socket that fails to close is gone all the same.
    }
}

void PortLookUpPage::showPortError(int errorCode, const QString &description)
{
    prompter().error(QStringLiteral("IPPort error: ") + QString::number(errorCode) + description);
}

QString PortLookUpPage::brokenAnswer(const QString &description)
{
    return QStringLiteral("Winsock error in recv() ") + description;
}
