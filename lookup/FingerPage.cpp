#include "FingerPage.h"

#include "EIPPort.h"
#include "FrameOverlay.h"
#include "IPrompter.h"
#include "LookUpText.h"
#include "TIPPort.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

FingerPage::FingerPage(IPrompter &prompter, const LookUpOptions &options, QWidget *parent)
    : PortLookUpPage(QStringLiteral("IPPort2"), prompter, options, parent), IPPort2(port())
{
    buildRow(QStringLiteral("Label90"), QStringLiteral("Host or User@Host"), QStringLiteral("tHost"),
             QStringLiteral("Enter username@host to finger"), QStringLiteral("fingerlookup"));
    tHost = edit();
    fingerlookup = button();
    fingerlookup->setToolTip(QStringLiteral("Lookup host for username you are fingering."));
    lResponse = new QListWidget;
    lResponse->setObjectName(QStringLiteral("lResponse"));
    lResponse->setAccessibleName(QStringLiteral("Finger answer"));
    lResponse->setFont(answerFont());
    lResponse->setUniformItemSizes(true);
    lResponse->setToolTip(QStringLiteral("Double click on a line for more information on user."));
    lResponse->installEventFilter(this);
    new FrameOverlay(lResponse);
    column()->addWidget(lResponse, 1);

    connect(fingerlookup, &QPushButton::clicked, this, [this] { guarded([this] { fingerlookupClick(); }); });
    connect(lResponse, &QListWidget::itemDoubleClicked, this, [this] { guarded([this] { lResponseDblClick(); }); });
    IPPort2->OnError = [this](QObject *s, int c, const QString &d) { guarded([&] { IPPort2Error(s, c, d); }); };
    IPPort2->OnConnected = [this](QObject *s, int c, const QString &d) { guarded([&] { IPPort2Connected(s, c, d); }); };
    IPPort2->OnDataIn = [this](QObject *s, const QByteArray &t, bool e) { guarded([&] { IPPort2DataIn(s, t, e); }); };
    IPPort2->OnDisconnected = [this](QObject *s, int c, const QString &d) {
        guarded([&] { IPPort2Disconnected(s, c, d); });
    };
}

void FingerPage::fingerlookupClick()
{
    const QString input = tHost->text();
    if (input.isEmpty()) {
        prompter().beep();
        return;
    }
    // A second click on the same text stops it; a changed text is a new look-up.
    if (running() && input == m_typed) {
        stop();
        return;
    }
    const quint64 run = beginRun();
    m_typed = input;
    try {
        IPPort2->SetWinsockLoaded(true);
        // Lines end at LF; a CR before it is dropped when shown.
        IPPort2->SetEOL(QByteArrayLiteral("\n"));
        const qsizetype at = input.indexOf(QLatin1Char('@'));
        m_fingerUser = at < 0 ? QString() : input.left(at);
        m_fingerHost = (at < 0 ? input : input.mid(at + 1)).left(255);
        addLine(QStringLiteral("Requesting ") + m_fingerHost + QStringLiteral("..."));
        flushLines();
        QCoreApplication::processEvents();
        if (!isCurrent(run) || !resolve(run, m_fingerHost, options().fingerPort))
            return;
        // The announced time is the wait this page really has.
        addLine(QStringLiteral("Connecting to %1...   Will time out in %2 seconds")
                    .arg(IPPort2->RemoteHost())
                    .arg((options().connectWaitMs + 999) / 1000));
        connectNow();
    } catch (const EIPPort &e) {
        failRun(run, exceptionText(e.Message()));
    }
}

void FingerPage::tHostKeyPress(QObject *, char &key)
{
    clickOnEnter(key);
}

void FingerPage::connectTimedOut()
{
    if (running())
        connectionTimedOut();
}

void FingerPage::IPPort2Connected(QObject *, int statusCode, const QString &description)
{
    if (!running())
        return;
    stopConnectWait();
    if (statusCode != 0) {
        finishRun();
        addLine(QStringLiteral("Connection failed: ") + description);
        return;
    }
    startAnswer();
    // An empty user asks for the host's list of users.
    send(queryLine(m_fingerUser, false));
}

void FingerPage::IPPort2DataIn(QObject *, const QByteArray &text, bool)
{
    if (!running() || !admit(text.size()))
        return;
    addLine(shownLine(text));
}

void FingerPage::IPPort2Error(QObject *, int errorCode, const QString &description)
{
    showPortError(errorCode, description);
}

void FingerPage::IPPort2Disconnected(QObject *, int statusCode, const QString &description)
{
    if (!running())
        return;
    finishRun();
    if (statusCode != 0) {
        showPortError(statusCode, brokenAnswer(description));
        return;
    }
    answerEnded();
}

void FingerPage::lResponseDblClick()
{
    const QList<QListWidgetItem *> picked = lResponse->selectedItems();
    if (picked.isEmpty())
        return;
    const QString line = picked.first()->text();
    QString user;
    // Today's daemons start each user's entry with "Login: NAME".
    static const QLatin1String login("Login:");
    if (line.startsWith(login)) {
        user = line.mid(login.size()).trimmed().section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        user = user.section(QLatin1Char('\t'), 0, 0);
    } else {
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        if (blank < 0)
            return;
        user = line.left(blank);
    }
    if (user.isEmpty())
        return;
    // A login that names its own host ("Login: user@host") is asked there.
    tHost->setText(user.contains(QLatin1Char('@')) ? user : user + QLatin1Char('@') + m_fingerHost);
    fingerlookup->click();
}

void FingerPage::tHostDblClick()
{
    const qsizetype at = tHost->text().indexOf(QLatin1Char('@'));
    if (at < 0)
        return;
    tHost->setText(tHost->text().mid(at + 1).left(255));
    fingerlookup->click();
}

void FingerPage::showLines(const QStringList &lines)
{
    // The newest entries stay; older ones leave from the top.
    const qsizetype from = std::max<qsizetype>(0, lines.size() - MaxItems);
    const int over = lResponse->count() + int(lines.size() - from) - MaxItems;
    if (over > 0)
        lResponse->model()->removeRows(0, over);
    lResponse->addItems(from == 0 ? lines : lines.mid(from));
}

void FingerPage::clearShown()
{
    lResponse->clear();
}

void FingerPage::editKeyPress(char &key)
{
    tHostKeyPress(tHost, key);
}
