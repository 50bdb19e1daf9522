#include "WhoisPage.h"

#include "FrameOverlay.h"
#include "IPrompter.h"
#include "TIPPort.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

WhoisPage::WhoisPage(IPrompter &prompter, const LookUpOptions &options, QWidget *parent)
    : WhoisPage(prompter, new WhoisJob(QString(), {}, options), parent)
{
}

WhoisPage::WhoisPage(IPrompter &prompter, WhoisJob *job, QWidget *parent)
    : LookUpPage(prompter, job, parent), m_job(job)
{
    buildRow(QStringLiteral("Label105"), QStringLiteral("Domain Name to Look Up:"), QStringLiteral("tDomain"),
             QStringLiteral("Enter a domain name, host or contact."), QStringLiteral("bLookUp"));
    IPPort1 = m_job->port();
    tDomain = edit();
    bLookUp = button();
    mResponse = new QPlainTextEdit;
    mResponse->setObjectName(QStringLiteral("mResponse"));
    mResponse->setAccessibleName(QStringLiteral("WhoIs answer"));
    mResponse->setReadOnly(true);
    mResponse->setLineWrapMode(QPlainTextEdit::NoWrap);
    mResponse->setFont(answerFont());
    mResponse->installEventFilter(this);
    new FrameOverlay(mResponse);
    column()->addWidget(mResponse, 1);

    connect(bLookUp, &QPushButton::clicked, this, [this] { guarded([this] { bLookUpClick(); }); });
    // The port's events go through the page's handlers to the job. They run
    // inside the component's socket events: nothing thrown there may reach
    // the event loop.
    IPPort1->OnError = [this](QObject *s, int c, const QString &d) { guarded([&] { IPPort1Error(s, c, d); }); };
    IPPort1->OnConnected = [this](QObject *s, int c, const QString &d) { guarded([&] { IPPort1Connected(s, c, d); }); };
    IPPort1->OnDataIn = [this](QObject *s, const QByteArray &t, bool e) { guarded([&] { IPPort1DataIn(s, t, e); }); };
    IPPort1->OnDisconnected = [this](QObject *s, int c, const QString &d) {
        guarded([&] { IPPort1Disconnected(s, c, d); });
    };
}

void WhoisPage::setServer(const QString &server)
{
    m_job->setServer(server);
    updateHint();
}

void WhoisPage::setLookUp(const LookUpSettings &settings)
{
    m_job->setLookUp(settings);
    updateHint();
}

void WhoisPage::updateHint()
{
    bLookUp->setToolTip(QStringLiteral("Searches ") + (m_job->overRdap() ? QStringLiteral("RDAP") : m_job->server()) +
                        QStringLiteral(" for the name you entered to the left."));
}

void WhoisPage::bLookUpClick()
{
    const QString typed = tDomain->text();
    if (typed.isEmpty()) {
        prompter().beep();
        return;
    }
    // A second click on the same name stops it; a changed name is a new look-up.
    if (running() && typed == m_typed) {
        stop();
        return;
    }
    // What the older look-up brought in before now is still its answer.
    flushLines();
    m_typed = typed;
    m_job->start(typed);
}

void WhoisPage::tDomainKeyPress(QObject *, char &key)
{
    clickOnEnter(key);
}

void WhoisPage::IPPort1Connected(QObject *, int statusCode, const QString &description)
{
    m_job->connected(statusCode, description);
}

void WhoisPage::IPPort1DataIn(QObject *, const QByteArray &text, bool eol)
{
    m_job->dataIn(text, eol);
}

void WhoisPage::IPPort1Error(QObject *, int errorCode, const QString &description)
{
    showPortError(errorCode, description);
}

void WhoisPage::IPPort1Disconnected(QObject *, int statusCode, const QString &description)
{
    m_job->disconnected(statusCode, description);
}

void WhoisPage::showLines(const QStringList &lines)
{
    mResponse->appendPlainText(lines.join(QLatin1Char('\n')));
}

void WhoisPage::clearShown()
{
    mResponse->clear();
}

void WhoisPage::editKeyPress(char &key)
{
    tDomainKeyPress(tDomain, key);
}
