#include "LookUpPage.h"

#include "Exception.h"
#include "IPrompter.h"
#include "LookUpText.h"

#include <QElapsedTimer>
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

LookUpPage::LookUpPage(IPrompter &prompter, PortLookUpJob *job, QWidget *parent)
    : QWidget(parent), m_prompter(prompter), m_job(job)
{
    m_job->setParent(this);
    connect(m_job, &PortLookUpJob::cleared, this, &LookUpPage::clearLines);
    connect(m_job, &PortLookUpJob::statusLine, this, &LookUpPage::addLine);
    connect(m_job, &PortLookUpJob::answerLines, this, [this](const QStringList &lines) {
        for (const QString &line : lines)
            addLine(line);
    });
    connect(m_job, &PortLookUpJob::errorLine, this, &LookUpPage::addLine);
    connect(m_job, &PortLookUpJob::connectTimedOut, this, &LookUpPage::connectionTimedOut);
    connect(m_job, &PortLookUpJob::portError, this, &LookUpPage::showPortError);
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
    return PortLookUpJob::noAnswerText();
}

QString LookUpPage::tooLongText(int ms)
{
    return PortLookUpJob::tooLongText(ms);
}

QString LookUpPage::nothingSentText()
{
    return PortLookUpJob::nothingSentText();
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
    if (event->type() == QEvent::ShortcutOverride && running() &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && running()) {
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

void LookUpPage::connectionTimedOut()
{
    const quint64 run = m_job->currentRun();
    m_prompter.warning(PortLookUpJob::timedOutText());
    if (m_job->currentRun() == run)
        clearLines();
}

void LookUpPage::showPortError(int errorCode, const QString &description)
{
    m_prompter.error(PortLookUpJob::portErrorText(errorCode, description));
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
    m_job->abort();
}

void LookUpPage::stop()
{
    if (!running())
        return;
    end();
    addLine(stoppedText());
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
