// The protocol editor's rules without a window: the stage table's columns and
// texts, stages added and removed, what a typed cell changes (durations,
// loads within what the machines take, units), the stage order and the names
// a protocol may be stored under.

#include "TProtocolEditor.h"

#include <QtTest>

namespace {

using Column = TProtocolEditor::Column;

// Phases as letters: R rest, E exercise, C recovery (cool-down).
TProtocol protocolOf(const QString& phases, int type = TProtocol::Treadmill)
{
    TProtocol p;
    p.setType(type);
    for (int i = 0; i < phases.size(); ++i) {
        TProtocolStage& s = p.insertStage(i);
        s.setPhase(phases[i] == QLatin1Char('R') ? TProtocolStage::Rest
                   : phases[i] == QLatin1Char('C') ? TProtocolStage::Recovery
                                                   : TProtocolStage::Exercise);
        s.setDuration(60.0 * (i + 1));
        s.setValue(QStringLiteral("speed"), 2.0 * i);
        s.setValue(QStringLiteral("incline"), 1.0 * i);
    }
    return p;
}

} // namespace

class TestProtocolEditor : public QObject
{
    Q_OBJECT

private slots:
    void stageOrder_data()
    {
        QTest::addColumn<QString>("phases");
        QTest::addColumn<bool>("valid");
        QTest::newRow("rest, exercise, recovery") << "REC" << true;
        QTest::newRow("rest, rest, exercise, recovery") << "RREC" << false;
        QTest::newRow("rest, exercise, exercise") << "REE" << false;
        QTest::newRow("rest, exercise, recovery, exercise") << "RECE" << false;
        QTest::newRow("several of each after the rest") << "REEEECC" << true;
        QTest::newRow("no rest") << "EEC" << false;
        QTest::newRow("no exercise") << "RCC" << false;
        QTest::newRow("rest last") << "RECR" << false;
        QTest::newRow("two stages") << "RE" << false;
        QTest::newRow("none") << "" << false;
    }

    void stageOrder()
    {
        QFETCH(QString, phases);
        QFETCH(bool, valid);
        const TProtocol p = protocolOf(phases);
        QCOMPARE(TProtocolEditor::stageOrderValid(p), valid);
        const TProtocolEditor editor(p, QStringLiteral("watts"));
        QCOMPARE(editor.isValid(QStringLiteral("Bruce")), valid);
        QCOMPARE(editor.problem(QStringLiteral("Bruce")).isEmpty(), valid);
    }

    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("hintWord"); // a word of the hint shown instead
        QTest::newRow("a name") << "Canine treadmill" << true << "";
        QTest::newRow("empty") << "" << false << "name";
        QTest::newRow("spaces only") << "   " << false << "name";
        QTest::newRow("the built-in tilt test") << "Tilt test" << false << "tilt test";
        QTest::newRow("tilt test among spaces") << "  Tilt test " << false << "tilt test";
        QTest::newRow("tilt test in other letters") << "TILT TEST" << false << "tilt test";
        QTest::newRow("a tilt test protocol of its own") << "Tilt test 2" << true << "";
    }

    void names()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QFETCH(QString, hintWord);
        const TProtocolEditor editor(protocolOf(QStringLiteral("REEC")), QStringLiteral("watts"));
        QCOMPARE(editor.isValid(name), valid);
        QCOMPARE(TProtocolEditor::isReservedName(name), hintWord == QLatin1String("tilt test"));
        if (!valid)
            QVERIFY2(editor.problem(name).contains(hintWord, Qt::CaseInsensitive), qPrintable(editor.problem(name)));
    }

    void replacing_data()
    {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("replaces");
        QTest::newRow("kept under its own name") << "Bruce" << "Bruce" << false;
        QTest::newRow("renamed onto another") << "Bruce" << "Example" << true;
        QTest::newRow("renamed to a new name") << "Bruce" << "Naughton" << false;
        QTest::newRow("new, given an existing name") << "" << "Example" << true;
        QTest::newRow("new, given a new name") << "" << "Naughton" << false;
        QTest::newRow("names differ in case") << "Bruce" << "example" << false;
    }

    void replacing()
    {
        QFETCH(QString, original);
        QFETCH(QString, stored);
        const QByteArrayList names = {"Bruce", "Example"};
        QTEST(TProtocolEditor::replacesAnother(original, stored, names), "replaces");
    }

    void duration_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds"); // after the edit, from 240 s
        QTest::addColumn<bool>("refused");
        QTest::newRow("2:30") << "2:30" << 150.0 << false;
        QTest::newRow("3 minutes") << "3" << 180.0 << false;
        QTest::newRow("as the cell shows it") << "02:05" << 125.0 << false;
        QTest::newRow("spaces around") << " 0:45 " << 45.0 << false;
        QTest::newRow("an hour") << "60:00" << 3600.0 << false;
        QTest::newRow("0:00 keeps") << "0:00" << 240.0 << true;
        QTest::newRow("1:75 keeps") << "1:75" << 240.0 << true;
        QTest::newRow("0 keeps") << "0" << 240.0 << true;
        QTest::newRow("negative minutes") << "-3" << 240.0 << true;
        QTest::newRow("over an hour") << "60:01" << 240.0 << true;
        QTest::newRow("99999 minutes") << "99999" << 240.0 << true;
        QTest::newRow("more digits than a number holds") << "99999999999999999999:00" << 240.0 << true;
        QTest::newRow("letters") << "abc" << 240.0 << true;
        QTest::newRow("empty") << "" << 240.0 << true;
        QTest::newRow("decimal minutes") << "2.5" << 240.0 << true;
    }

    void duration()
    {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        QFETCH(bool, refused);
        TProtocol p = protocolOf(QStringLiteral("REC"));
        p.stage(1).setDuration(240.0);
        TProtocolEditor editor(p, QStringLiteral("watts"));
        const QString refusal = editor.apply(1, 1, text);
        QCOMPARE(editor.protocol().stage(1).duration(), seconds);
        QCOMPARE(!refusal.isEmpty(), refused);
        if (refused)
            QVERIFY2(refusal.contains(QLatin1String("60:00")), qPrintable(refusal));
        QCOMPARE(editor.row(1).at(1), TProtocolEditor::durationText(seconds));
    }

    void loads_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("stored"); // base unit; the previous 3.0 when refused
        QTest::addColumn<QString>("cell");
        QTest::addColumn<bool>("refused");
        const int t = TProtocol::Treadmill;
        const int e = TProtocol::Ergometer;
        const int d = TProtocol::Pharmacologic;
        const QString w = QStringLiteral("watts");
        const QString k = QStringLiteral("kgm/min");
        QTest::newRow("speed") << t << w << 2 << "6.5" << "speed" << 6.5 << "6.5 km/h" << false;
        QTest::newRow("speed with its unit") << t << w << 2 << "7.0 km/h" << "speed" << 7.0 << "7.0 km/h" << false;
        QTest::newRow("speed with a comma") << t << w << 2 << "5,5" << "speed" << 5.5 << "5.5 km/h" << false;
        QTest::newRow("treadmill's top speed") << t << w << 2 << "40" << "speed" << 40.0 << "40.0 km/h" << false;
        QTest::newRow("speed above the top") << t << w << 2 << "40.1" << "speed" << 3.0 << "3.0 km/h" << true;
        QTest::newRow("negative speed") << t << w << 2 << "-5" << "speed" << 3.0 << "3.0 km/h" << true;
        QTest::newRow("unreadable speed keeps") << t << w << 2 << "fast" << "speed" << 3.0 << "3.0 km/h" << true;
        QTest::newRow("speed in another unit") << t << w << 2 << "5 mph" << "speed" << 3.0 << "3.0 km/h" << true;
        QTest::newRow("exponent") << t << w << 2 << "1e1" << "speed" << 3.0 << "3.0 km/h" << true;
        QTest::newRow("incline") << t << w << 3 << "12.5 %" << "incline" << 12.5 << "12.5 %" << false;
        QTest::newRow("incline of 0") << t << w << 3 << "0" << "incline" << 0.0 << "0.0 %" << false;
        QTest::newRow("incline of 500 %") << t << w << 3 << "500" << "incline" << 3.0 << "3.0 %" << true;
        QTest::newRow("downhill") << t << w << 3 << "-2" << "incline" << 3.0 << "3.0 %" << true;
        QTest::newRow("600 kgm/min is 100 W") << e << k << 2 << "600" << "workload" << 100.0 << "600.0 kgm/min" << false;
        QTest::newRow("kgm/min with the unit") << e << k << 2 << "300 kgm/min" << "workload" << 50.0 << "300.0 kgm/min"
                                               << false;
        QTest::newRow("4800 kgm/min is the top") << e << k << 2 << "4800" << "workload" << 800.0 << "4800.0 kgm/min"
                                                 << false;
        QTest::newRow("above 4800 kgm/min") << e << k << 2 << "4801" << "workload" << 3.0 << "18.0 kgm/min" << true;
        QTest::newRow("watts") << e << w << 2 << "150 watts" << "workload" << 150.0 << "150.0 watts" << false;
        QTest::newRow("above 800 W") << e << w << 2 << "801" << "workload" << 3.0 << "3.0 watts" << true;
        QTest::newRow("negative workload") << e << w << 2 << "-10" << "workload" << 3.0 << "3.0 watts" << true;
        QTest::newRow("dose") << d << w << 2 << "20" << "dose" << 20.0 << "20" << false;
        QTest::newRow("dose above the limit") << d << w << 2 << "1001" << "dose" << 3.0 << "3" << true;
        QTest::newRow("unreadable dose keeps") << d << w << 2 << "x" << "dose" << 3.0 << "3" << true;
    }

    void loads()
    {
        QFETCH(int, type);
        QFETCH(QString, unit);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, value);
        QFETCH(double, stored);
        QFETCH(QString, cell);
        QFETCH(bool, refused);
        TProtocol p = protocolOf(QStringLiteral("REC"), type);
        p.stage(1).setValue(value, 3.0);
        TProtocolEditor editor(p, unit);
        const QString refusal = editor.apply(1, column, text);
        QCOMPARE(!refusal.isEmpty(), refused);
        if (refused)
            QVERIFY2(refusal.contains(text), qPrintable(refusal));
        QCOMPARE(editor.protocol().stage(1).value(value), stored);
        QCOMPARE(editor.row(1).at(column), cell);
        // Only the edited stage changed.
        QCOMPARE(editor.protocol().stage(0), p.stage(0));
        QCOMPARE(editor.protocol().stage(2), p.stage(2));
    }

    void refusalsNameTheRange_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("range");
        QTest::newRow("speed") << int(TProtocol::Treadmill) << "watts" << 2 << "0.0 to 40.0 km/h";
        QTest::newRow("incline") << int(TProtocol::Treadmill) << "watts" << 3 << "0.0 to 20.0 %";
        QTest::newRow("watts") << int(TProtocol::Ergometer) << "watts" << 2 << "0 to 800 watts";
        QTest::newRow("kgm/min") << int(TProtocol::Ergometer) << "kgm/min" << 2 << "0 to 4800 kgm/min";
        QTest::newRow("dose") << int(TProtocol::Pharmacologic) << "watts" << 2 << "0 to 1000";
    }

    void refusalsNameTheRange()
    {
        QFETCH(int, type);
        QFETCH(QString, unit);
        QFETCH(int, column);
        QFETCH(QString, range);
        TProtocolEditor editor(protocolOf(QStringLiteral("REC"), type), unit);
        const QString refusal = editor.apply(0, column, QStringLiteral("99999"));
        QVERIFY2(refusal.contains(range), qPrintable(refusal));
    }

    void tableTexts_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QStringList>("secondRow");
        QTest::newRow("treadmill") << int(TProtocol::Treadmill)
                                   << QStringList{"Stage", "Duration", "Speed", "Incline", ""}
                                   << QStringList{"Exercise 1", "02:00", "2.0 km/h", "1.0 %", ""};
        QTest::newRow("ergometer") << int(TProtocol::Ergometer) << QStringList{"Stage", "Duration", "Workload", ""}
                                   << QStringList{"Exercise 1", "02:00", "150.0 kgm/min", ""};
        QTest::newRow("pharmacologic") << int(TProtocol::Pharmacologic) << QStringList{"Stage", "Duration", "Dose", ""}
                                       << QStringList{"Exercise 1", "02:00", "12", ""};
        QTest::newRow("other types: no load") << int(TProtocol::Ecg) << QStringList{"Stage", "Duration", ""}
                                              << QStringList{"Exercise 1", "02:00", ""};
    }

    void tableTexts()
    {
        QFETCH(int, type);
        QFETCH(QStringList, headers);
        TProtocol p = protocolOf(QStringLiteral("REEC"), type);
        p.stage(1).setValue(QStringLiteral("workload"), 25.0);
        p.stage(1).setValue(QStringLiteral("dose"), 12.4);
        const TProtocolEditor editor(p, QStringLiteral("kgm/min"));
        QCOMPARE(editor.headers(), headers);
        QTEST(editor.row(1), "secondRow");
        // Neither the stage name nor the blank last column is typed into.
        QVERIFY(!editor.isEditable(0));
        QVERIFY(editor.isEditable(1));
        QVERIFY(!editor.isEditable(headers.size() - 1));
        QCOMPARE(editor.row(2).at(0), QStringLiteral("Exercise 2"));
        QCOMPARE(editor.row(3).at(0), QStringLiteral("Recovery 1"));
        QCOMPARE(editor.row(3).at(1), QStringLiteral("04:00"));
        QVERIFY(editor.row(4).isEmpty());
    }

    void durationTexts_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("five minutes") << 300.0 << "05:00";
        QTest::newRow("a part second is dropped") << 59.9 << "00:59";
        QTest::newRow("over an hour") << 3725.0 << "62:05";
        QTest::newRow("a damaged negative one") << -30.0 << "00:00";
        QTest::newRow("not a number") << qQNaN() << "00:00";
    }

    void durationTexts()
    {
        QFETCH(double, seconds);
        QTEST(TProtocolEditor::durationText(seconds), "text");
    }

    void insertingDuplicatesTheRowWithTheChosenPhase()
    {
        TProtocol p = protocolOf(QStringLiteral("REEEC"));
        p.stage(2).setValue(QStringLiteral("speed"), 9.5);
        TProtocolEditor editor(p, QStringLiteral("watts"));
        QCOMPARE(editor.insertStage(2, TProtocolStage::Recovery), 2);
        const TProtocol& edited = editor.protocol();
        QCOMPARE(edited.stageCount(), 6);
        QCOMPARE(edited.stage(2).phase(), int(TProtocolStage::Recovery));
        QCOMPARE(edited.stage(2).duration(), p.stage(2).duration());
        QCOMPARE(edited.stage(2).value(QStringLiteral("speed")), 9.5);
        QCOMPARE(edited.stage(2).value(QStringLiteral("incline")), p.stage(2).value(QStringLiteral("incline")));
        // The stage that was there moved down unchanged.
        QCOMPARE(edited.stage(3), p.stage(2));
        QCOMPARE(edited.stage(5), p.stage(4));
        // Without a row the stage goes first.
        QCOMPARE(editor.insertStage(-1, TProtocolStage::Rest), 0);
        QCOMPARE(editor.protocol().stage(0).duration(), p.stage(0).duration());
    }

    void appendingAddsAMinuteOfTheChosenPhase()
    {
        TProtocolEditor editor(protocolOf(QStringLiteral("RE")), QStringLiteral("watts"));
        QCOMPARE(editor.appendStage(TProtocolStage::Recovery), 2);
        const TProtocolStage& s = editor.protocol().stage(2);
        QCOMPARE(s.phase(), int(TProtocolStage::Recovery));
        QCOMPARE(s.duration(), 60.0);
        QVERIFY(!s.hasValue(QStringLiteral("speed")));
        QVERIFY(editor.removeStage(0));
        QVERIFY(!editor.removeStage(2));
        QVERIFY(!editor.removeStage(-1));
        QCOMPARE(editor.protocol().stageCount(), 2);
    }

    void typeComboItems()
    {
        for (int index : {0, 1, 2})
            QCOMPARE(TProtocolEditor::indexOfType(TProtocolEditor::typeOfIndex(index)), index);
        QCOMPARE(TProtocolEditor::typeOfIndex(2), int(TProtocol::Pharmacologic));
        QCOMPARE(TProtocolEditor::indexOfType(TProtocol::TiltTest), -1);
        QCOMPARE(TProtocolEditor::typeOfIndex(3), -1);
    }

    // A table file edited by hand may hold what the editor would refuse: such a
    // protocol is shown, but not stored again until it is mended.
    void storedValuesOutsideTheRangesAreNotStoredAgain_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("hint");
        QTest::newRow("speed") << "speed" << 45.0 << "speed";
        QTest::newRow("incline") << "incline" << -1.0 << "incline";
        QTest::newRow("duration of 0") << "duration" << 0.0 << "duration";
        QTest::newRow("duration of 99999 minutes") << "duration" << 5999940.0 << "duration";
    }

    void storedValuesOutsideTheRangesAreNotStoredAgain()
    {
        QFETCH(QString, value);
        QFETCH(double, amount);
        QFETCH(QString, hint);
        TProtocol p = protocolOf(QStringLiteral("REEC"));
        if (value == QLatin1String("duration"))
            p.stage(2).setDuration(amount);
        else
            p.stage(2).setValue(value, amount);
        TProtocolEditor editor(p, QStringLiteral("watts"));
        const QString problem = editor.problem(QStringLiteral("Bruce"));
        QVERIFY2(problem.startsWith(QLatin1String("Exercise 2")) && problem.contains(hint), qPrintable(problem));
        QVERIFY(editor.apply(2, value == QLatin1String("duration") ? 1 : value == QLatin1String("speed") ? 2 : 3,
                             QStringLiteral("1")).isEmpty());
        QVERIFY(editor.isValid(QStringLiteral("Bruce")));
    }
};

QTEST_APPLESS_MAIN(TestProtocolEditor)
#include "tst_protocoleditor.moc"
