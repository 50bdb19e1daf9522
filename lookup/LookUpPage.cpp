#include "LookUpPage.h"

#include "Exception.h"
#include "IPrompter.h"
#include "LookUpText.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QFont boldFont(const QWidget *w)
{
    QFont f = w->font();
    f.setBold(true);
    return f;
}

} // namespace

LookUpPage::LookUpPage(IPrompter &prompter, const LookUpOptions &options, QWidget *parent)
    : QWidget(parent), m_prompter(prompter), m_options(options)
{
    m_connectWait.setSingleShot(true);
    m_connectWait.setTimerType(Qt::PreciseTimer);
    connect(&m_connectWait, &QTimer::timeout, this, [this] { guarded([this] { connectTimedOut(); }); });
    m_lookUpWait.setSingleShot(true);
    connect(&m_lookUpWait, &QTimer::timeout, this, [this] {
        if (!m_running)
            return;
        end();
        addLine(tooLongText(m_options.lookUpWaitMs));
    });
    m_idleWait.setSingleShot(true);
    connect(&m_idleWait, &QTimer::timeout, this, [this] { guarded([this] { idleCheck(); }); });
    // Zero: after the read pass that brought the lines has handed back to the loop.
    m_flush.setSingleShot(true);
    m_flush.setInterval(0);
    connect(&m_flush, &QTimer::timeout, this, &LookUpPage::flushSlice);
}

LookUpPage::~LookUpPage() = default;

QFont LookUpPage::answerFont()
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setBold(true);
    return f;
}

QString LookUpPage::stoppedText()
{
    return QStringLiteral("Look-up stopped.");
}

QString LookUpPage::noAnswerText()
{
    return QStringLiteral("The server did not answer in time; the connection was closed.");
}

QString LookUpPage::tooLongText(int ms)
{
    const int s = (ms + 999) / 1000;
    return QStringLiteral("The look-up took longer than %1 second%2; it was ended.").arg(s).arg(s == 1 ? "" : "s");
}

QString LookUpPage::nothingSentText()
{
    return QStringLiteral("The server sent nothing.");
}

void LookUpPage::buildRow(const QString &labelName, const QString &labelText, const QString &editName,
                          const QString &editHint, const QString &buttonName)
{
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(6, 4, 6, 4);
    m_column->setSpacing(2);
    auto *row = new QHBoxLayout;
    // The same visible gap between label and field as on the record pages.
    row->setSpacing(6);
    auto *label = new QLabel(labelText);
    label->setObjectName(labelName);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFont(boldFont(label));
    m_edit = new QLineEdit;
    m_edit->setObjectName(editName);
    m_edit->setFont(boldFont(m_edit));
    m_edit->setToolTip(editHint);
    label->setBuddy(m_edit);
    m_button = new QPushButton(QStringLiteral("LookUp"));
    m_button->setObjectName(buttonName);
    row->addWidget(label);
    row->addWidget(m_edit, 1);
    row->addWidget(m_button);
    m_column->addLayout(row);
    for (QWidget *w : {static_cast<QWidget *>(m_edit), static_cast<QWidget *>(m_button)})
        w->installEventFilter(this);
}

bool LookUpPage::eventFilter(QObject *watched, QEvent *event)
{
    // The window's own Escape (cancel of a send) waits while a look-up runs here.
    if (event->type() == QEvent::ShortcutOverride && m_running &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && m_running) {
            guarded([this] { stop(); });
            return true;
        }
        if (watched == m_edit && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            char c = 13;
            guarded([&] { editKeyPress(c); });
            return c == 0;
        }
    }
    if (watched == m_edit && event->type() == QEvent::MouseButtonDblClick)
        guarded([this] { editDblClick(); });
    return QWidget::eventFilter(watched, event);
}

void LookUpPage::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const Exception &e) {
        m_prompter.error(e.Message());
    } catch (const std::exception &e) {
        m_prompter.error(QString::fromLocal8Bit(e.what()));
    }
}

quint64 LookUpPage::beginRun()
{
    // What the older look-up brought in before now is still its answer.
    flushLines();
    end();
    m_running = true;
    m_limit.restart();
    m_answered = false;
    m_lookUpWait.start(m_options.lookUpWaitMs);
    return ++m_run;
}

void LookUpPage::finishRun()
{
    m_running = false;
    m_connectWait.stop();
    m_idleWait.stop();
    m_lookUpWait.stop();
}

void LookUpPage::failRun(quint64 run, const QString &line)
{
    if (!isCurrent(run))
        return;
    finishRun();
    addLine(line);
}

void LookUpPage::connectionTimedOut()
{
    const quint64 run = currentRun();
    end();
    m_prompter.warning(QStringLiteral("Connection timed out."));
    if (currentRun() == run)
        clearLines();
}

void LookUpPage::clickOnEnter(char &key)
{
    if (key != 13)
        return;
    key = 0;
    m_button->click();
}

void LookUpPage::end()
{
    // Not running first: events the ending fires belong to no look-up.
    finishRun();
    abortTransport();
}

void LookUpPage::stop()
{
    if (!m_running)
        return;
    end();
    addLine(stoppedText());
}

void LookUpPage::startConnectWait()
{
    m_connectWait.start(m_options.connectWaitMs);
}

void LookUpPage::startAnswer()
{
    m_connectWait.stop();
    m_limit.restart();
    m_answered = false;
    m_sinceByte.start();
    m_idleWait.start(m_options.idleWaitMs);
}

void LookUpPage::idleCheck()
{
    if (!m_running)
        return;
    const qint64 left = m_options.idleWaitMs - m_sinceByte.elapsed();
    if (left > 0) {
        m_idleWait.start(int(left));
        return;
    }
    end();
    addLine(noAnswerText());
}

bool LookUpPage::admit(qsizetype bytes)
{
    m_sinceByte.restart();
    m_answered = true;
    if (m_limit.exceeded())
        return false;
    if (m_limit.admit(bytes))
        return true;
    end();
    addLine(ReplyLimit::cutText());
    return false;
}

void LookUpPage::answerEnded()
{
    if (!m_answered)
        addLine(nothingSentText());
}

void LookUpPage::addLine(const QString &line)
{
    // Every line goes through here, the servers' and the RDAP answer's alike.
    m_pending << visibleText(line);
    if (!m_flush.isActive())
        m_flush.start();
}

void LookUpPage::flushLines()
{
    m_flush.stop();
    const QStringList lines = std::exchange(m_pending, {});
    if (!lines.isEmpty())
        showLines(lines);
}

void LookUpPage::flushSlice()
{
    // A flood is shown a slice at a time, so that the window keeps answering.
    constexpr qsizetype Batch = 500;
    constexpr qint64 SliceMs = 20;
    QElapsedTimer slice;
    slice.start();
    while (!m_pending.isEmpty()) {
        const qsizetype n = std::min(Batch, m_pending.size());
        const QStringList lines = m_pending.first(n);
        m_pending.remove(0, n);
        showLines(lines);
        if (!m_pending.isEmpty() && slice.elapsed() >= SliceMs) {
            m_flush.start();
            return;
        }
    }
}

void LookUpPage::clearLines()
{
    m_pending.clear();
    m_flush.stop();
    clearShown();
}
