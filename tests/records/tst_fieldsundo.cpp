#include "FieldsUndo.h"
#include "FormRules.h"
#include "MapFields.h"

#include <QTest>

class TestFieldsUndo : public QObject {
    Q_OBJECT
private slots:
    void script_data()
    {
        // Steps: a button, "all"/"hostall" (Clear All), "F=text" (typing), "undo", "forget"/"forgethost" (a load or
        // store). After: the texts of the fields shown below, 1/0 for an undo in reach and for "was cleared".
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("after");
        const QString all = "Org,City,ACity,ns1,h1 00";
        QTest::newRow("two clears, two undos") << "O8 BitBtn3 undo undo" << all;
        QTest::newRow("two clears, one undo") << "O8 BitBtn3 undo" << ",,ACity,ns1,h1 11";
        QTest::newRow("kinds and clear all undone in turn") << "hostall O4 all undo undo undo" << all;
        QTest::newRow("typing into a cleared field") << "O8 OCityEdit=Paris undo" << ",Paris,ACity,ns1,h1 01";
        QTest::newRow("typing elsewhere") << "O8 ACityEdit=Rome undo" << "Org,City,Rome,ns1,h1 00";
        QTest::newRow("typing erased again") << "O8 OCityEdit=Paris OCityEdit= undo" << all;
        QTest::newRow("a later step only") << "O8 OCityEdit=Paris BitBtn3 undo undo" << ",Paris,ACity,ns1,h1 01";
        QTest::newRow("a copy over typing") << "O8 OCityEdit=Paris A1 undo undo" << ",Paris,ACity,ns1,h1 01";
        QTest::newRow("load or store") << "O8 forget undo" << ",,ACity,ns1,h1 00";
        QTest::newRow("another kind's load") << "O8 forgethost undo" << all;
        QTest::newRow("a copy that empties is no clear") << "A1" << ",ACity,ACity,ns1,h1 10";
    }

    void script()
    {
        QFETCH(QString, steps);
        MapFields f;
        f.texts = {{"OOrgNameEdit", "Org"}, {"OCityEdit", "City"}, {"ACityEdit", "ACity"}, {"PriNSEdit", "ns1"}, {"HostName", "h1"}};
        FieldsUndo undo;
        for (const QString &step : steps.split(' ')) {
            const RecordKind kind = step.contains("host") ? RecordKind::Host : RecordKind::Domain;
            if (step == "undo")
                undo.undo(f);
            else if (step.startsWith("forget"))
                undo.forget(kind);
            else if (step.contains('='))
                f.setText(step.section('=', 0, 0), step.section('=', 1));
            else if (step.endsWith("all"))
                undo.record(f, kind, FieldsUndo::Kind::Clear, step, [&] { clearAll(f, kind); });
            else
                undo.record(f, kind, cancelButtonNames().contains(step) ? FieldsUndo::Kind::Clear : FieldsUndo::Kind::Copy,
                            step, [&] { runCopyButton(f, step); });
        }
        QStringList shown;
        for (const char *name : {"OOrgNameEdit", "OCityEdit", "ACityEdit", "PriNSEdit", "HostName"})
            shown << f.text(QLatin1String(name));
        QTEST(shown.join(',') + QStringLiteral(" %1%2").arg(undo.canUndo(f)).arg(undo.wasCleared(f, RecordKind::Domain)),
              "after");
    }
};

QTEST_GUILESS_MAIN(TestFieldsUndo)
#include "tst_fieldsundo.moc"
