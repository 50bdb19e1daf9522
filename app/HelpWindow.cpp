#include "HelpWindow.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Zandolet Help"));
    m_browser->setOpenExternalLinks(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(560, 480);
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(QStringLiteral("Zandolet Help - ") + m_browser->documentTitle()); });
}

QString HelpWindow::topicUrl(int context)
{
    const QString topic = QStringLiteral(":/help/%1.html").arg(context);
    if (context && QFile::exists(topic))
        return topic;
    return QStringLiteral(":/help/contents.html");
}

void HelpWindow::showTopic(int context)
{
    m_browser->setSource(QUrl(QStringLiteral("qrc") + topicUrl(context)));
    show();
    raise();
    activateWindow();
}
