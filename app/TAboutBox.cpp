#include "TAboutBox.h"

#include "Contrast.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *framedPicture(const QString &resource, QSize size, QWidget *parent)
{
    auto *picture = new QLabel(parent);
    picture->setFrameStyle(QFrame::Box | QFrame::Sunken);
    picture->setPixmap(QPixmap(resource));
    picture->setScaledContents(true);
    picture->setFixedSize(size);
    return picture;
}

} // namespace

TAboutBox::TAboutBox(QWidget *owner)
    : TGradientForm(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto *pictures = new QVBoxLayout;
    pictures->addWidget(framedPicture(QStringLiteral(":/images/logo.png"), {180, 120}, panel));
    pictures->addWidget(framedPicture(QStringLiteral(":/images/network.png"), {100, 100}, panel), 0, Qt::AlignHCenter);
    pictures->addStretch(1);

    auto *product = new QLabel(QStringLiteral("Zandolet<sup style=\"font-size:8pt\">TM</sup>"), panel);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(32);
    big.setBold(true);
    product->setFont(big);
    // Navy where it reads well; on a dark panel a lighter blue.
    QPalette productColours = product->palette();
    productColours.setColor(QPalette::WindowText,
                            Contrast::readableOn(productColours.color(QPalette::Window), QColor(0x00, 0x00, 0x80)));
    product->setPalette(productColours);
    auto *title = new QLabel(QStringLiteral("The Internet Domain Name Registration Manager"), panel);
    title->setObjectName(QStringLiteral("Comments"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setWordWrap(true);
    auto *version = new QLabel(QStringLiteral("Version 1.5"), panel);
    version->setObjectName(QStringLiteral("Version"));
    auto *texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addStretch(1);

    auto *inside = new QHBoxLayout(panel);
    inside->addLayout(pictures);
    inside->addLayout(texts, 1);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    setClientSize(443, 291);
    centerOnScreen();
    ok->setFocus();
}
