// The address editor: layout names, and that only OK copies values back.
#include "TMailAddressDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Waits for the modal dialog, lets act() fill it and press a button.
void WhenShown(const std::function<void(TMailAddressDlg &)> &act)
{
    QTimer::singleShot(0, [act] {
        QTRY_VERIFY(qobject_cast<TMailAddressDlg *>(QApplication::activeModalWidget()));
        act(*qobject_cast<TMailAddressDlg *>(QApplication::activeModalWidget()));
    });
}

} // namespace

class TestMailAddressDlg : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void okCopiesBack();
    void cancelKeepsAddress();
};

void TestMailAddressDlg::layout()
{
    TMailAddressDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Address"));
    QCOMPARE(dialog.size(), QSize(240, 124));
    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("NameEdit"));
    auto *address = dialog.findChild<QLineEdit *>(QStringLiteral("AddressEdit"));
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("OKButton"));
    auto *cancel = dialog.findChild<QPushButton *>(QStringLiteral("CancelButton"));
    QVERIFY(name && address && ok && cancel);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QVERIFY(ok->isDefault());
    QWidget *next = name->nextInFocusChain();
    while (next->focusPolicy() == Qt::NoFocus)
        next = next->nextInFocusChain();
    QCOMPARE(next, address);
}

void TestMailAddressDlg::okCopiesBack()
{
    TmsMailAddress address(QStringLiteral("old@x"), QStringLiteral("Old"));
    WhenShown([](TMailAddressDlg &dialog) {
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("NameEdit"));
        QCOMPARE(name->text(), QStringLiteral("Old"));
        name->clear();
        QTest::keyClicks(name, QStringLiteral("New Name"));
        dialog.findChild<QLineEdit *>(QStringLiteral("AddressEdit"))->setText(QString(300, QLatin1Char('m')));
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("OKButton")), Qt::LeftButton);
    });
    QVERIFY(TMailAddressDlg::Edit(address));
    QCOMPARE(address.Name(), QStringLiteral("New Name"));
    QCOMPARE(address.Address(), QString(255, QLatin1Char('m')));
}

void TestMailAddressDlg::cancelKeepsAddress()
{
    TmsMailAddress address(QStringLiteral("old@x"), QStringLiteral("Old"));
    WhenShown([](TMailAddressDlg &dialog) {
        dialog.findChild<QLineEdit *>(QStringLiteral("NameEdit"))->setText(QStringLiteral("Changed"));
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("CancelButton")), Qt::LeftButton);
    });
    QVERIFY(!TMailAddressDlg::Edit(address));
    QCOMPARE(address.Name(), QStringLiteral("Old"));
    QCOMPARE(address.Address(), QStringLiteral("old@x"));
}

QTEST_MAIN(TestMailAddressDlg)
#include "tst_mailaddressdlg.moc"
