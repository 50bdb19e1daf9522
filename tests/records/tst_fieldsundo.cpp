// Undo of the bulk changes, as a script of steps over plain fields: every
// step comes back in turn, typing is never overwritten, a load or store ends
// the history of its kind only.
#include "FieldsUndo.h"
#include "FormRules.h"
#include "MapFields.h"

#include <QTest>
#include <algorithm>

class TestFieldsUndo : public QObject {
    Q_OBJECT
private slots:
    void script_data()
    {
        QTest::addColumn<QString>("steps");  // buttons, "all", "hostall", "F=text" typing, "undo", "forget", "forgethost"
        QTest::addColumn<QString>("fields"); // OOrgNameEdit,OCityEdit,ACityEdit,PriNSEdit,HostName afterwards
        QTest::addColumn<bool>("canUndo");
        QTest::addColumn<bool>("cleared");
        const QString all = "Org,City,ACity,ns1,h1";
        QTest::newRow("two clears, two undos") << "O8 BitBtn3 undo undo" << all << false << false;
        QTest::newRow("two clears, one undo") << "O8 BitBtn3 undo" << ",,ACity,ns1,h1" << true << true;
        QTest::newRow("copy, clear all, both undone") << "O4 all undo undo" << all << false << false;
        QTest::newRow("kinds undone in turn") << "hostall O8 undo undo" << all << false << false;
        QTest::newRow("a change of nothing is no step") << "O8 O8 undo" << all << false << false;
        QTest::newRow("typing into a cleared field") << "O8 OCityEdit=Paris undo" << ",Paris,ACity,ns1,h1" << false << true;
        QTest::newRow("typing elsewhere") << "O8 ACityEdit=Rome undo" << "Org,City,Rome,ns1,h1" << false << false;
        QTest::newRow("typing erased again") << "O8 OCityEdit=Paris OCityEdit= undo" << all << false << false;
        QTest::newRow("a later step still undone") << "O8 OCityEdit=Paris BitBtn3 undo undo" << ",Paris,ACity,ns1,h1"
                                                   << false << true;
        QTest::newRow("a copy over typing gives it back") << "O8 OCityEdit=Paris A1 undo undo"
                                                          << ",Paris,ACity,ns1,h1" << false << true;
        QTest::newRow("load or store") << "O8 forget undo" << ",,ACity,ns1,h1" << false << false;
        QTest::newRow("another kind's load") << "O8 forgethost undo" << all << false << false;
        QTest::newRow("a copy that empties is no clear") << "A1" << ",ACity,ACity,ns1,h1" << true << false;
    }

    void script()
    {
        QFETCH(QString, steps);
        QFETCH(QString, fields);
        QFETCH(bool, canUndo);
        QFETCH(bool, cleared);
        MapFields f;
        f.texts = {{"OOrgNameEdit", "Org"}, {"OCityEdit", "City"}, {"ACityEdit", "ACity"},
                   {"PriNSEdit", "ns1"},    {"DomainNameEdit", "ex.com"}, {"HostName", "h1"}};
        FieldsUndo undo;
        for (const QString &step : steps.split(' ')) {
            if (step == "undo") {
                undo.undo(f);
            } else if (step.startsWith("forget")) {
                undo.forget(step.endsWith("host") ? RecordKind::Host : RecordKind::Domain);
            } else if (step.contains('=')) {
                f.setText(step.section('=', 0, 0), step.section('=', 1));
            } else if (step.endsWith("all")) {
                const RecordKind kind = step == "all" ? RecordKind::Domain : RecordKind::Host;
                undo.record(f, kind, FieldsUndo::Kind::Clear, step, [&] { clearAll(f, kind); });
            } else {
                const auto b = std::find_if(copyButtons().begin(), copyButtons().end(),
                                            [&](const CopyButtonSpec &s) { return s.name == step; });
                QVERIFY(b != copyButtons().end());
                undo.record(f, RecordKind::Domain, b->isCancel ? FieldsUndo::Kind::Clear : FieldsUndo::Kind::Copy,
                            step, [&] { runCopyButton(f, step); });
            }
        }
        QStringList shown;
        for (const char *name : {"OOrgNameEdit", "OCityEdit", "ACityEdit", "PriNSEdit", "HostName"})
            shown << f.text(QLatin1String(name));
        QCOMPARE(shown.join(','), fields);
        QCOMPARE(undo.canUndo(f), canUndo);
        QCOMPARE(undo.wasCleared(f, RecordKind::Domain), cleared);
    }
};

QTEST_GUILESS_MAIN(TestFieldsUndo)
#include "tst_fieldsundo.moc"
