#include "FingerPage.h"

#include "FrameOverlay.h"
#include "IPrompter.h"
#include "TIPPort.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

FingerPage::FingerPage(IPrompter &prompter, const LookUpOptions &options, QWidget *parent)
    : FingerPage(prompter, new FingerJob(options), parent)
{
}

FingerPage::FingerPage(IPrompter &prompter, FingerJob *job, QWidget *parent)
    : LookUpPage(prompter, job, parent), IPPort2(job->port()), m_job(job)
{
    // Each step shows at once: the job lets events run before it resolves a name.
    connect(job, &FingerJob::statusLine, this, &FingerPage::flushLines);
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
    // What the older look-up brought in before now is still its answer.
    flushLines();
    m_typed = input;
    m_job->start(input);
}

void FingerPage::tHostKeyPress(QObject *, char &key)
{
    clickOnEnter(key);
}

void FingerPage::IPPort2Connected(QObject *, int statusCode, const QString &description)
{
    m_job->connected(statusCode, description);
}

void FingerPage::IPPort2DataIn(QObject *, const QByteArray &text, bool eol)
{
    m_job->dataIn(text, eol);
}

void FingerPage::IPPort2Error(QObject *, int errorCode, const QString &description)
{
    showPortError(errorCode, description);
}

void FingerPage::IPPort2Disconnected(QObject *, int statusCode, const QString &description)
{
    m_job->disconnected(statusCode, description);
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
    tHost->setText(user.contains(QLatin1Char('@')) ? user : user + QLatin1Char('@') + m_job->host());
    fingerlookup->click();
}

void FingerPage::tHostDblClick()
{
    const qsizetype at = tHost->text().indexOf(QLatin1Char('@'));
    if (at < 0)
        return;
    tHost->setText(tHost->text().mid(at + 1).left(FingerJob::MaxHostLength));
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
