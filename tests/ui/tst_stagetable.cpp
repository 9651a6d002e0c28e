// The per-stage table of a stress test: columns by protocol type, stage names
// by phase, the workload in the configured unit, and the ST of V5 found by
// name among the study's leads (with another lead, named, where V5 is absent).

#include "TProtocol.h"
#include "TStageTable.h"
#include "TStudyResults.h"

#include <QtTest>

namespace {

const QStringList LauncherLeads = {"I", "II", "III", "aVR", "aVL", "aVF", "V5"};

// Rest 60 s, exercise 180 s and 125 s, recovery 90 s; HR, BP and METS per stage,
// and in every lead an ST level of -0.1 mV x (lead + 1) and a slope of 0.2 mV/s.
void fill(TProtocol& executed, TStudyResults& results, int type, int leads)
{
    executed.setType(type);
    const int phases[] = {TProtocolStage::Rest, TProtocolStage::Exercise, TProtocolStage::Exercise,
                          TProtocolStage::Recovery};
    const double durations[] = {60.0, 180.0, 125.0, 90.0};
    for (int k = 0; k < 4; ++k) {
        TProtocolStage& s = executed.insertStage(k);
        s.setPhase(phases[k]);
        s.setDuration(durations[k]);
        s.setValue(QStringLiteral("speed"), 2.5 * k);
        s.setValue(QStringLiteral("incline"), k == 2 ? 10.0 : 0.0);
        s.setValue(QStringLiteral("workload"), 25.0 * k);
        s.setValue(QStringLiteral("dose"), 5.0 * k);
        results.valueArray(QStringLiteral("BPMPerStage"))->setValue(k, 90 + 30 * k);
        results.valueArray(QStringLiteral("sysBPPerStage"))->setValue(k, 120 + 10 * k);
        results.valueArray(QStringLiteral("diaBPPerStage"))->setValue(k, 80);
        results.valueArray(QStringLiteral("DPPerStage"))->setValue(k, (90 + 30 * k) * (120 + 10 * k));
        results.valueArray(QStringLiteral("METSPerStage"))->setValue(k, k == 0 ? 0.0 : 2.0 * k);
        for (int lead = 0; lead < leads; ++lead) {
            results.valueArray(TStudyResults::stLevelPerStageName(lead))->setValue(k, -0.1 * (lead + 1));
            results.valueArray(TStudyResults::stSlopePerStageName(lead))->setValue(k, 0.2);
        }
    }
}

} // namespace

class TestStageTable : public QObject
{
    Q_OBJECT

private slots:
    void columnsAndRows_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("leads");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QStringList>("thirdRow");
        QTest::newRow("treadmill, the launcher's leads")
            << int(TProtocol::Treadmill) << LauncherLeads << "kgm/min"
            << QStringList{"Stage", "Duration", "Speed", "Incline", "METS", "HR", "SBP/DBP", "DP", "ST [V5]",
                           "\u2206ST [V5]"}
            << QStringList{"Exercise 2", "02:05", "5.0 km/h", "10.0 %", "4.0", "150", "140/80", "21000",
                           "-7.0 mm", "2.0 mm/s"};
        QTest::newRow("ergometer in kgm/min")
            << int(TProtocol::Ergometer) << LauncherLeads << "kgm/min"
            << QStringList{"Stage", "Duration", "Workload", "METS", "HR", "SBP/DBP", "DP", "ST [V5]", "\u2206ST [V5]"}
            << QStringList{"Exercise 2", "02:05", "300.0 kgm/min", "4.0", "150", "140/80", "21000", "-7.0 mm",
                           "2.0 mm/s"};
        QTest::newRow("ergometer in watts")
            << int(TProtocol::Ergometer) << LauncherLeads << "watts"
            << QStringList{"Stage", "Duration", "Workload", "METS", "HR", "SBP/DBP", "DP", "ST [V5]", "\u2206ST [V5]"}
            << QStringList{"Exercise 2", "02:05", "50.0 watts", "4.0", "150", "140/80", "21000", "-7.0 mm",
                           "2.0 mm/s"};
        QTest::newRow("pharmacologic, 12 leads: V5 is channel 10")
            << int(TProtocol::Pharmacologic)
            << QStringList{"I", "II", "III", "aVR", "aVL", "aVF", "V1", "V2", "V3", "V4", "V5", "V6"} << "watts"
            << QStringList{"Stage", "Duration", "Dose", "METS", "HR", "SBP/DBP", "DP", "ST [V5]", "\u2206ST [V5]"}
            << QStringList{"Exercise 2", "02:05", "10", "4.0", "150", "140/80", "21000", "-11.0 mm", "2.0 mm/s"};
        QTest::newRow("tilt test, limb leads only: lead II")
            << int(TProtocol::TiltTest) << QStringList{"I", "II", "III"} << "watts"
            << QStringList{"Stage", "Duration", "METS", "HR", "SBP/DBP", "DP", "ST [II]", "\u2206ST [II]"}
            << QStringList{"2", "02:05", "4.0", "150", "140/80", "21000", "-2.0 mm", "2.0 mm/s"};
        QTest::newRow("leads without a known name: the first")
            << int(TProtocol::Treadmill) << QStringList{"A", "B"} << "watts"
            << QStringList{"Stage", "Duration", "Speed", "Incline", "METS", "HR", "SBP/DBP", "DP", "ST [A]",
                           "\u2206ST [A]"}
            << QStringList{"Exercise 2", "02:05", "5.0 km/h", "10.0 %", "4.0", "150", "140/80", "21000",
                           "-1.0 mm", "2.0 mm/s"};
    }

    void columnsAndRows()
    {
        QFETCH(int, type);
        QFETCH(QStringList, leads);
        QFETCH(QString, unit);
        TProtocol executed;
        TStudyResults results;
        fill(executed, results, type, leads.size());
        const TStageTable table(executed, type, results, leads, unit);
        QTEST(table.headers(), "headers");
        QCOMPARE(table.rowCount(), 4);
        QTEST(table.row(2), "thirdRow");
        for (int k = 0; k < table.rowCount(); ++k)
            QCOMPARE(table.row(k).size(), table.headers().size());
        // The rest stage has no METS; the first stage of each phase is number 1.
        QCOMPARE(table.row(0).value(table.headers().indexOf("METS")), QString());
        QCOMPARE(table.row(0).value(0), type == TProtocol::TiltTest ? QStringLiteral("Basal 1") : QStringLiteral("Rest 1"));
        QCOMPARE(table.row(3).value(0),
                 type == TProtocol::TiltTest ? QStringLiteral("Control 1") : QStringLiteral("Recovery 1"));
    }

    // A stage whose arrays have no entry (a test stopped in its first stage, or
    // results from an older study) shows zeros, not another stage's values.
    void missingValues()
    {
        TProtocol executed;
        TStudyResults results;
        fill(executed, results, TProtocol::Treadmill, 7);
        TProtocolStage& extra = executed.insertStage(4);
        extra.setPhase(TProtocolStage::Recovery);
        extra.setDuration(30.0);
        const TStageTable table(executed, TProtocol::Treadmill, results, LauncherLeads, QStringLiteral("watts"));
        QCOMPARE(table.row(4),
                 (QStringList{"Recovery 2", "00:30", "0.0 km/h", "0.0 %", "", "0", "0/0", "0", "0.0 mm", "0.0 mm/s"}));
        // A level just below zero shows as 0.0, not -0.0.
        results.valueArray(TStudyResults::stLevelPerStageName(6))->setValue(0, -0.004);
        const TStageTable rounded(executed, TProtocol::Treadmill, results, LauncherLeads, QStringLiteral("watts"));
        QCOMPARE(rounded.row(0).value(8), QStringLiteral("0.0 mm"));
        const TStageTable none(TProtocol(), TProtocol::Treadmill, results, QStringList(), QStringLiteral("watts"));
        QCOMPARE(none.rowCount(), 0);
        QCOMPARE(none.stLead(), -1);
        QCOMPARE(none.headers().mid(8), (QStringList{"ST", "\u2206ST"}));
        QCOMPARE(none.row(0), QStringList());
    }
};

QTEST_MAIN(TestStageTable)
#include "tst_stagetable.moc"
