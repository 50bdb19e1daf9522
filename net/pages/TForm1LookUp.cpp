// The WhoIs and Finger pages: a WHOIS query to the configured server (and
// once more to the server its answer refers to), Finger queries to any host.
#include "EIPPort.h"
#include "IPrompter.h"
#include "TForm1.h"
#include "TIPPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

// What a query sends for typed text: one line, whatever the text holds.
QByteArray queryLine(const QString &text)
{
    QByteArray line = text.toLatin1();
    for (const char stop : {'\r', '\n', '\0'})
        if (const qsizetype at = line.indexOf(stop); at >= 0)
            line.truncate(at);
    return line + kCrLf;
}

// A WHOIS line as shown. The page cuts at LF, so CR LF lines keep their CR,
// which the text box would show as a line break of its own.
QString shownLine(const QByteArray &text)
{
    return QString::fromLatin1(text.endsWith('\r') ? text.chopped(1) : text);
}

// The component reports a connection reset while an answer is read as the
// close's code, not as a receive error; the pages show it as the receive
// error it is.
QString brokenAnswer(const QString &description)
{
    return QStringLiteral("Winsock error in recv() ") + description;
}

QString referralFailed(const QString &host, const QString &reason)
{
    return QStringLiteral("Referral to %1 failed: %2").arg(host, reason);
}

} // namespace

QString TForm1::defaultWhoisServer()
{
    return QStringLiteral("whois.internic.net");
}

void TForm1::createLookUpComponents()
{
    IPPort1 = new TIPPort(this);
    IPPort1->setObjectName(QStringLiteral("IPPort1"));
    IPPort2 = new TIPPort(this);
    IPPort2->setObjectName(QStringLiteral("IPPort2"));
    // The handlers run inside the components' socket events: nothing thrown
    // there may reach the event loop.
    IPPort1->OnError = [this](QObject *s, int c, const QString &d) { guarded([&] { IPPort1Error(s, c, d); }); };
    IPPort1->OnConnected = [this](QObject *s, int c, const QString &d) { guarded([&] { IPPort1Connected(s, c, d); }); };
    IPPort1->OnDataIn = [this](QObject *s, const QByteArray &t, bool e) { guarded([&] { IPPort1DataIn(s, t, e); }); };
    IPPort1->OnDisconnected = [this](QObject *s, int c, const QString &d) {
        guarded([&] { IPPort1Disconnected(s, c, d); });
    };
    IPPort2->OnError = [this](QObject *s, int c, const QString &d) { guarded([&] { IPPort2Error(s, c, d); }); };
    IPPort2->OnConnected = [this](QObject *s, int c, const QString &d) { guarded([&] { IPPort2Connected(s, c, d); }); };
    IPPort2->OnDataIn = [this](QObject *s, const QByteArray &t, bool e) { guarded([&] { IPPort2DataIn(s, t, e); }); };
    IPPort2->OnDisconnected = [this](QObject *s, int c, const QString &d) {
        guarded([&] { IPPort2Disconnected(s, c, d); });
    };
}



void TForm1::connectLookUpHandlers()
{
    connect(control<QPushButton>(QStringLiteral("bLookUp")), &QPushButton::clicked, this,
            [this] { guarded([this] { bLookUpClick(); }); });
    connect(control<QPushButton>(QStringLiteral("fingerlookup")), &QPushButton::clicked, this,
            [this] { guarded([this] { fingerlookupClick(); }); });
    connect(control<QListWidget>(QStringLiteral("lResponse")), &QListWidget::itemDoubleClicked, this,
            [this] { guarded([this] { lResponseDblClick(); }); });
    // Key presses and the edit's double-click reach the handlers through the filter.
    control(QStringLiteral("tDomain"))->installEventFilter(this);
    control(QStringLiteral("tHost"))->installEventFilter(this);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    const bool domain = watched == control(QStringLiteral("tDomain"));
    const bool host = watched == control(QStringLiteral("tHost"));
    if (!domain && !host)
        return TGradientForm::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        char c = 13;
        guarded([&] { domain ? tDomainKeyPress(watched, c) : tHostKeyPress(watched, c); });
        return c == 0;
    }
    if (host && event->type() == QEvent::MouseButtonDblClick)
        guarded([this] { tHostDblClick(); });
    return false;
}

void TForm1::updateLookUpHint()
{
    control(QStringLiteral("bLookUp"))
        ->setToolTip(QStringLiteral("Searches ") + m_whoisServer + QStringLiteral(" for the name you entered to the left."));
}

void TForm1::endLookUps()
{
    // The waits see m_closing; no socket outlives the window.
    for (TIPPort *port : {IPPort1, IPPort2})
        guarded([port] { port->SetConnected(false); });
}

TForm1::WaitResult TForm1::waitForConnection(TIPPort &port, LookUpRun &run)
{
    const quint64 mine = run.generation;
    QElapsedTimer clock;
    clock.start();
    // Only wakes the sleep at the deadline; the socket events wake it otherwise.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    for (;;) {
        if (m_closing || run.generation != mine)
            return WaitResult::Superseded;
        if (port.Connected())
            return WaitResult::Connected;
        // A failed attempt ends the wait at once, with its reason on the page.
        if (run.failed)
            return WaitResult::Failed;
        const qint64 left = lookUpPorts.waitMs - clock.elapsed();
        if (left <= 0)
            return WaitResult::TimedOut;
        deadline.start(static_cast<int>(left));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// ---- WhoIs ----

void TForm1::addResponseLine(const QString &line)
{
    control<QPlainTextEdit>(QStringLiteral("mResponse"))->appendPlainText(line);
}

void TForm1::bLookUpClick()
{
    auto *edit = control<QLineEdit>(QStringLiteral("tDomain"));
    if (edit->text().isEmpty()) {
        m_prompter->beep();
        return;
    }
    try {
        IPPort1->SetWinsockLoaded(true);
        IPPort1->SetEOL(QByteArrayLiteral("\n"));
        // The answer on the page is being replaced: its referral is no longer wanted.
        m_whoisQuery.referralDone = true;
        if (IPPort1->Connected()) {
            ++m_whoisRun.generation;
            IPPort1->SetConnected(false);
        }
        control<QPlainTextEdit>(QStringLiteral("mResponse"))->clear();
        addResponseLine(QStringLiteral("Looking up host ") + m_whoisServer + QStringLiteral("..."));
        IPPort1->SetRemoteHost(m_whoisServer);
        if (m_closing)
            return;
        IPPort1->SetRemotePort(lookUpPorts.whois);
        addResponseLine(QStringLiteral("Connecting to ") + IPPort1->RemoteHost() + QStringLiteral(" ..."));
        m_whoisQuery = WhoisQuery{{}, m_whoisServer, IPPort1->RemoteHost(), std::nullopt, false, false};
        ++m_whoisRun.generation;
        m_whoisRun.failed = false;
        m_whoisRun.limit.restart();
        IPPort1->SetConnected(true);
        switch (waitForConnection(*IPPort1, m_whoisRun)) {
        case WaitResult::Connected:
            m_whoisQuery.text = queryLine(edit->text());
            IPPort1->SetDataToSend(m_whoisQuery.text);
            break;
        case WaitResult::TimedOut:
            m_prompter->warning(QStringLiteral("Connection timed out."));
            control<QPlainTextEdit>(QStringLiteral("mResponse"))->clear();
            break;
        case WaitResult::Failed:
        case WaitResult::Superseded:
            break;
        }
    } catch (const EIPPort &e) {
        addResponseLine(QStringLiteral("Exception: ") + e.Message());
    }
}

void TForm1::tDomainKeyPress(QObject *, char &key)
{
    if (key != 13)
        return;
    key = 0;
    control<QPushButton>(QStringLiteral("bLookUp"))->click();
}

void TForm1::IPPort1Connected(QObject *, int statusCode, const QString &description)
{
    if (statusCode != 0)
        m_whoisRun.failed = true;
    if (m_whoisQuery.referring) {
        const QString &host = m_whoisQuery.referral->host;
        addResponseLine(statusCode != 0 ? referralFailed(host, description)
                                        : QStringLiteral("--- ") + host + QStringLiteral(" ---"));
        return;
    }
    control<QPlainTextEdit>(QStringLiteral("mResponse"))->clear();
    if (statusCode != 0) {
        addResponseLine(QStringLiteral("Connection failed: ") + description);
        return;
    }
    addResponseLine(QStringLiteral("Connected. Waiting for data..."));
    addResponseLine(QString());
}

void TForm1::IPPort1DataIn(QObject *, const QByteArray &text, bool)
{
    if (m_whoisRun.limit.exceeded())
        return;
    if (!m_whoisRun.limit.admit(text.size())) {
        addResponseLine(ReplyLimit::cutText());
        IPPort1->SetConnected(false);
        return;
    }
    const QString line = shownLine(text);
    if (!m_whoisQuery.referring && !m_whoisQuery.referral)
        m_whoisQuery.referral = whoisReferral(line, lookUpPorts.whois);
    addResponseLine(line);
}

void TForm1::IPPort1Error(QObject *, int errorCode, const QString &description)
{
    m_prompter->error(QStringLiteral("IPPort error: ") + QString::number(errorCode) + description);
}

void TForm1::IPPort1Disconnected(QObject *sender, int statusCode, const QString &description)
{
    if (statusCode != 0) {
        IPPort1Error(sender, statusCode, brokenAnswer(description));
        return;
    }
    if (m_whoisQuery.referralDone || !m_whoisQuery.referral || m_whoisRun.limit.exceeded())
        return;
    m_whoisQuery.referralDone = true;
    // Not from inside the component's close: the referral connects it again.
    const quint64 generation = m_whoisRun.generation;
    QTimer::singleShot(0, this, [this, generation] { guarded([&] { followReferral(generation); }); });
}

void TForm1::followReferral(quint64 generation)
{
    if (m_closing || m_whoisRun.generation != generation)
        return;
    const WhoisServer to = *m_whoisQuery.referral;
    const bool samePort = to.port == lookUpPorts.whois;
    if (samePort && to.host.compare(m_whoisQuery.server, Qt::CaseInsensitive) == 0)
        return;
    m_whoisQuery.referring = true;
    try {
        IPPort1->SetRemoteHost(to.host);
        if (m_closing || m_whoisRun.generation != generation)
            return;
        // The same server under another name has answered already.
        if (samePort && IPPort1->RemoteHost() == m_whoisQuery.address)
            return;
        IPPort1->SetRemotePort(to.port);
        m_whoisRun.failed = false;
        m_whoisRun.limit.restart();
        IPPort1->SetConnected(true);
        switch (waitForConnection(*IPPort1, m_whoisRun)) {
        case WaitResult::Connected:
            IPPort1->SetDataToSend(m_whoisQuery.text);
            break;
        case WaitResult::TimedOut:
            addResponseLine(referralFailed(to.host, QStringLiteral("no answer in time.")));
            IPPort1->SetConnected(false);
            break;
        case WaitResult::Failed:
        case WaitResult::Superseded:
            break;
        }
    } catch (const EIPPort &e) {
        addResponseLine(referralFailed(to.host, e.Message()));
    }
}

// ---- Finger ----

void TForm1::addFingerItem(const QString &item)
{
    control<QListWidget>(QStringLiteral("lResponse"))->addItem(item);
}

void TForm1::fingerlookupClick()
{
    const QString input = control<QLineEdit>(QStringLiteral("tHost"))->text();
    if (input.isEmpty()) {
        m_prompter->beep();
        return;
    }
    try {
        IPPort2->SetWinsockLoaded(true);
        IPPort2->SetEOL(kCrLf);
        // Any earlier look-up of this page ends here, and so does its wait.
        ++m_fingerRun.generation;
        IPPort2->SetConnected(false);
        const qsizetype at = input.indexOf(QLatin1Char('@'));
        m_fingerUser = at < 0 ? QString() : input.left(at);
        m_fingerHost = (at < 0 ? input : input.mid(at + 1)).left(255);
        addFingerItem(QStringLiteral("Requesting ") + m_fingerHost + QStringLiteral("..."));
        QCoreApplication::processEvents();
        if (m_closing)
            return;
        IPPort2->SetRemoteHost(m_fingerHost);
        if (m_closing)
            return;
        IPPort2->SetRemotePort(lookUpPorts.finger);
        addFingerItem(QStringLiteral("Connecting to ") + IPPort2->RemoteHost() +
                      QStringLiteral("...   Will time out in 15 seconds"));
        ++m_fingerRun.generation;
        m_fingerRun.failed = false;
        m_fingerRun.limit.restart();
        IPPort2->SetConnected(true);
        switch (waitForConnection(*IPPort2, m_fingerRun)) {
        case WaitResult::Connected:
            // An empty user asks for the host's list of users.
            IPPort2->SetDataToSend(queryLine(m_fingerUser));
            break;
        case WaitResult::TimedOut:
            m_prompter->warning(QStringLiteral("Connection timed out."));
            control<QListWidget>(QStringLiteral("lResponse"))->clear();
            break;
        case WaitResult::Failed:
        case WaitResult::Superseded:
            break;
        }
    } catch (const EIPPort &e) {
        addFingerItem(QStringLiteral("Exception: ") + e.Message());
    }
}

void TForm1::tHostKeyPress(QObject *, char &key)
{
    if (key != 13)
        return;
    key = 0;
    control<QPushButton>(QStringLiteral("fingerlookup"))->click();
}

void TForm1::IPPort2Connected(QObject *, int statusCode, const QString &description)
{
    if (statusCode == 0)
        return;
    m_fingerRun.failed = true;
    addFingerItem(QStringLiteral("Connection failed: ") + description);
}

void TForm1::IPPort2DataIn(QObject *, const QByteArray &text, bool)
{
    if (m_fingerRun.limit.exceeded())
        return;
    if (!m_fingerRun.limit.admit(text.size())) {
        addFingerItem(ReplyLimit::cutText());
        IPPort2->SetConnected(false);
        return;
    }
    addFingerItem(QString::fromLatin1(text));
}

void TForm1::IPPort2Error(QObject *, int errorCode, const QString &description)
{
    m_prompter->error(QStringLiteral("IPPort error: ") + QString::number(errorCode) + description);
}

void TForm1::IPPort2Disconnected(QObject *sender, int statusCode, const QString &description)
{
    if (statusCode != 0)
        IPPort2Error(sender, statusCode, brokenAnswer(description));
}

void TForm1::lResponseDblClick()
{
    const QList<QListWidgetItem *> picked = control<QListWidget>(QStringLiteral("lResponse"))->selectedItems();
    if (picked.isEmpty())
        return;
    const QString line = picked.first()->text();
    const qsizetype blank = line.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return;
    control<QLineEdit>(QStringLiteral("tHost"))->setText(line.left(blank) + QLatin1Char('@') + m_fingerHost);
    control<QPushButton>(QStringLiteral("fingerlookup"))->click();
}

void TForm1::tHostDblClick()
{
    auto *edit = control<QLineEdit>(QStringLiteral("tHost"));
    const qsizetype at = edit->text().indexOf(QLatin1Char('@'));
    if (at < 0)
        return;
    edit->setText(edit->text().mid(at + 1).left(255));
    control<QPushButton>(QStringLiteral("fingerlookup"))->click();
}
