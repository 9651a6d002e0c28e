// The corrections of the stress review's per-stage table: what a cell's text
// reads as, and what an edit changes in the study (the METS following the
// load, the double product following heart rate and pressure, the maxima and
// the pressure trend points) and what a typo leaves alone.

#include "TProtocol.h"
#include "TStageEditor.h"
#include "TStudyResults.h"
#include "TTrend.h"
#include "TValueArray.h"

#include <QtTest>

using Column = TStageEditor::Column;

namespace {

// A treadmill test of three 60-s stages with rate and pressure measured in each.
struct Study
{
    explicit Study(int type = TProtocol::Treadmill)
    {
        protocol.setType(type);
        protocol.appendStage(0, 60.0, 1.0, 0.0);
        protocol.appendStage(1, 60.0, 5.0, 10.0);
        protocol.appendStage(2, 60.0, 2.0, 0.0);
        for (int k = 0; k < 3; ++k) {
            results.valueArray(QStringLiteral("BPMPerStage"))->setValue(k, 90 + 30 * k);
            results.valueArray(QStringLiteral("sysBPPerStage"))->setValue(k, 130 + 10 * k);
            results.valueArray(QStringLiteral("diaBPPerStage"))->setValue(k, 80);
            results.valueArray(QStringLiteral("DPPerStage"))->setValue(k, (90 + 30 * k) * (130 + 10 * k));
            results.valueArray(QStringLiteral("METSPerStage"))->setValue(k, 2.0 + k);
            results.trend(QStringLiteral("sysBPTrend"))->append(45.0 + 60 * k, 130 + 10 * k);
        }
        results.updateMaxima();
    }
    TStageEditor editor(double weight = 30.0)
    {
        return TStageEditor(protocol, results, protocol.type(), weight, QStringLiteral("watts"), 6);
    }
    double at(const char* name, int k) const { return results.valueArray(QLatin1String(name))->value(k); }
    double max(const char* name) const { return *results.value(QLatin1String(name)); }

    TProtocol protocol;
    TStudyResults results;
};

} // namespace

class TestStageEditor : public QObject
{
    Q_OBJECT

private slots:
    void number_data();
    void number();
    void bloodPressure_data();
    void bloodPressure();
    void typoLeavesEverything_data();
    void typoLeavesEverything();
    void bloodPressureEdit();
    void heartRateEdit();
    void metsEdit();
    void loadEdit();
    void stEdit();
    void stagePoint();
};

void TestStageEditor::number_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("reads");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "4.5" << "" << true << 4.5;
    QTest::newRow("with its unit") << "4.5 km/h" << "km/h" << true << 4.5;
    QTest::newRow("unit without space") << "12%" << "%" << true << 12.0;
    QTest::newRow("decimal comma") << "4,5" << "" << true << 4.5;
    QTest::newRow("negative") << " -1.5 mm" << "mm" << true << -1.5;
    QTest::newRow("leading point") << ".5" << "" << true << 0.5;
    QTest::newRow("typo") << "4.5x" << "" << false << 0.0;
    QTest::newRow("another unit") << "4.5 mph" << "km/h" << false << 0.0;
    QTest::newRow("empty") << "" << "" << false << 0.0;
    QTest::newRow("unit alone") << "km/h" << "km/h" << false << 0.0;
    QTest::newRow("exponent") << "1e3" << "" << false << 0.0;
    QTest::newRow("not a number") << "nan" << "" << false << 0.0;
    QTest::newRow("infinity") << "inf" << "" << false << 0.0;
    QTest::newRow("two numbers") << "4 5" << "" << false << 0.0;
}

void TestStageEditor::number()
{
    QFETCH(QString, text);
    QFETCH(QString, unit);
    QFETCH(bool, reads);
    QFETCH(double, value);
    const std::optional<double> v = TStageEditor::number(text, unit);
    QCOMPARE(v.has_value(), reads);
    if (reads)
        QCOMPARE(*v, value);
}

void TestStageEditor::bloodPressure_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("systolic"); // 0: refused
    QTest::addColumn<int>("diastolic");
    QTest::newRow("usual") << "120/80" << 120 << 80;
    QTest::newRow("spaces") << " 160 / 95 " << 160 << 95;
    QTest::newRow("systolic below diastolic") << "80/120" << 0 << 0;
    QTest::newRow("equal") << "90/90" << 0 << 0;
    QTest::newRow("trailing text") << "80/120x" << 0 << 0;
    QTest::newRow("trailing text, right order") << "120/80x" << 0 << 0;
    QTest::newRow("leading text") << "x120/80" << 0 << 0;
    QTest::newRow("four digits") << "1180/1200" << 0 << 0;
    QTest::newRow("other separator") << "120-80" << 0 << 0;
    QTest::newRow("three numbers") << "120/80/60" << 0 << 0;
    QTest::newRow("systolic too high") << "400/80" << 0 << 0;
    QTest::newRow("diastolic too low") << "120/5" << 0 << 0;
    QTest::newRow("empty") << "" << 0 << 0;
}

void TestStageEditor::bloodPressure()
{
    QFETCH(QString, text);
    QFETCH(int, systolic);
    QFETCH(int, diastolic);
    const auto bp = TStageEditor::bloodPressure(text);
    QCOMPARE(bp.has_value(), systolic > 0);
    if (bp) {
        QCOMPARE(bp->first, systolic);
        QCOMPARE(bp->second, diastolic);
    }
}

void TestStageEditor::typoLeavesEverything_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::newRow("speed typo") << int(Column::Speed) << "5.o";
    QTest::newRow("speed negative") << int(Column::Speed) << "-3";
    QTest::newRow("incline typo") << int(Column::Incline) << "1O %";
    QTest::newRow("METS typo") << int(Column::Mets) << "7..5";
    QTest::newRow("METS empty") << int(Column::Mets) << "";
    QTest::newRow("HR typo") << int(Column::HeartRate) << "12x";
    QTest::newRow("HR implausible") << int(Column::HeartRate) << "1200";
    QTest::newRow("BP unanchored") << int(Column::BloodPressure) << "80/120x";
    QTest::newRow("BP reversed") << int(Column::BloodPressure) << "80/120";
    QTest::newRow("ST typo") << int(Column::StLevel) << "-1.2.3 mm";
    QTest::newRow("DP is derived") << int(Column::DoubleProduct) << "10000";
    QTest::newRow("duration is derived") << int(Column::Duration) << "01:00";
}

void TestStageEditor::typoLeavesEverything()
{
    QFETCH(int, column);
    QFETCH(QString, text);
    Study s;
    const TStudyResults results = s.results;
    const TProtocol protocol = s.protocol;
    QVERIFY(!s.editor().apply(1, Column(column), text));
    QVERIFY(s.results == results);
    QVERIFY(s.protocol == protocol);
    // A stage the study does not have.
    QVERIFY(!s.editor().apply(3, Column::HeartRate, QStringLiteral("100")));
    QVERIFY(!s.editor().apply(-1, Column::HeartRate, QStringLiteral("100")));
    QVERIFY(s.results == results);
}

void TestStageEditor::bloodPressureEdit()
{
    Study s;
    QVERIFY(s.editor().apply(1, Column::BloodPressure, QStringLiteral("210/100")));
    QCOMPARE(s.at("sysBPPerStage", 1), 210.0);
    QCOMPARE(s.at("diaBPPerStage", 1), 100.0);
    QCOMPARE(s.at("DPPerStage", 1), 120.0 * 210.0);
    QCOMPARE(s.max("maxSysBP"), 210.0);
    QCOMPARE(s.max("maxDiaBP"), 100.0);
    QCOMPARE(s.max("maxDP"), 120.0 * 210.0);
    // The stage's trend point, 15 s before its end, took the value; the
    // diastolic and double-product trends had none, so theirs were added at
    // the stage's end.
    const TTrend& sys = *s.results.trend(QStringLiteral("sysBPTrend"));
    QCOMPARE(sys.size(), 3);
    QCOMPARE(sys.value(1), 210.0);
    const TTrend& dia = *s.results.trend(QStringLiteral("diaBPTrend"));
    QCOMPARE(dia.size(), 1);
    QCOMPARE(dia.time(0), 120.0);
    QCOMPARE(dia.value(0), 100.0);
    QCOMPARE(s.results.trend(QStringLiteral("DPTrend"))->value(0), 120.0 * 210.0);

    // Without a heart rate the double product stays.
    s.results.valueArray(QStringLiteral("BPMPerStage"))->setValue(2, 0);
    const double dp = s.at("DPPerStage", 2);
    QVERIFY(s.editor().apply(2, Column::BloodPressure, QStringLiteral("150/90")));
    QCOMPARE(s.at("DPPerStage", 2), dp);
    QCOMPARE(s.results.trend(QStringLiteral("DPTrend"))->size(), 1);
}

void TestStageEditor::heartRateEdit()
{
    Study s;
    QVERIFY(s.editor().apply(2, Column::HeartRate, QStringLiteral("182")));
    QCOMPARE(s.at("BPMPerStage", 2), 182.0);
    QCOMPARE(s.at("DPPerStage", 2), 182.0 * 150.0);
    QCOMPARE(s.max("maxBPM"), 182.0);
    QCOMPARE(s.max("maxDP"), 182.0 * 150.0);
    QCOMPARE(s.results.trend(QStringLiteral("DPTrend"))->size(), 1);

    // Systolic 0: the double product stays as it was.
    s.results.valueArray(QStringLiteral("sysBPPerStage"))->setValue(0, 0);
    const double dp = s.at("DPPerStage", 0);
    QVERIFY(s.editor().apply(0, Column::HeartRate, QStringLiteral("75")));
    QCOMPARE(s.at("BPMPerStage", 0), 75.0);
    QCOMPARE(s.at("DPPerStage", 0), dp);
    QCOMPARE(s.results.trend(QStringLiteral("DPTrend"))->size(), 1);
}

void TestStageEditor::metsEdit()
{
    Study s;
    QVERIFY(s.editor().apply(1, Column::Mets, QStringLiteral("10")));
    QCOMPARE(s.at("METSPerStage", 1), 10.0);
    QCOMPARE(s.max("maxMETS"), 10.0);
    QCOMPARE(s.max("maxVO2"), 35.0);
    // Lowered below another stage: the maximum is the other stage's.
    QVERIFY(s.editor().apply(1, Column::Mets, QStringLiteral("1.5")));
    QCOMPARE(s.max("maxMETS"), 4.0);
    QCOMPARE(s.max("maxVO2"), 14.0);
}

void TestStageEditor::loadEdit()
{
    {
        Study s;
        QVERIFY(s.editor().apply(1, Column::Speed, QStringLiteral("6.0 km/h")));
        QCOMPARE(s.protocol.stage(1).value(QStringLiteral("speed")), 6.0);
        // Walking equation at 100 m/min on 10 %: (0.2 * 100 + 0.9 * 100 * 0.1 + 3.5) / 3.5.
        QVERIFY(std::fabs(s.at("METSPerStage", 1) - (20.0 + 9.0 + 3.5) / 3.5) < 1e-9);
        QVERIFY(s.editor().apply(1, Column::Incline, QStringLiteral("0")));
        QCOMPARE(s.protocol.stage(1).value(QStringLiteral("incline")), 0.0);
        QVERIFY(std::fabs(s.at("METSPerStage", 1) - (20.0 + 3.5) / 3.5) < 1e-9);
        QCOMPARE(s.max("maxMETS"), s.at("METSPerStage", 1));
    }
    {
        Study s(TProtocol::Ergometer);
        QVERIFY(s.editor(30.0).apply(1, Column::Workload, QStringLiteral("100 watts")));
        QCOMPARE(s.protocol.stage(1).value(QStringLiteral("workload"), QStringLiteral("watts")), 100.0);
        QVERIFY(std::fabs(s.at("METSPerStage", 1) - (100.0 * 10.8 / 30.0 + 7.0) / 3.5) < 1e-9);
        // Without the patient's weight there is no rule: METS stays.
        const double mets = s.at("METSPerStage", 1);
        QVERIFY(s.editor(0.0).apply(1, Column::Workload, QStringLiteral("150")));
        QCOMPARE(s.at("METSPerStage", 1), mets);
    }
    {
        Study s(TProtocol::Pharmacologic);
        QVERIFY(s.editor().apply(2, Column::Dose, QStringLiteral("20")));
        QCOMPARE(s.protocol.stage(2).value(QStringLiteral("dose")), 20.0);
        QCOMPARE(s.at("METSPerStage", 2), 4.0);
    }
}

void TestStageEditor::stEdit()
{
    Study s;
    QVERIFY(s.editor().apply(1, Column::StLevel, QStringLiteral("-1.5 mm")));
    QCOMPARE(s.results.valueArray(TStudyResults::stLevelPerStageName(6))->value(1), -0.15);
    QVERIFY(s.editor().apply(1, Column::StSlope, QStringLiteral("2.0 mm/s")));
    QCOMPARE(s.results.valueArray(TStudyResults::stSlopePerStageName(6))->value(1), 0.2);
    // Other leads are left alone.
    QCOMPARE(s.results.valueArray(TStudyResults::stLevelPerStageName(0))->value(1), 0.0);
}

void TestStageEditor::stagePoint()
{
    TTrend trend;
    trend.append(10.0, 1.0);
    trend.append(50.0, 2.0);
    trend.append(130.0, 3.0);
    // 10 s before the stage's end: that point takes the value.
    TStageEditor::setStagePoint(trend, 60.0, 5.0);
    QCOMPARE(trend.size(), 3);
    QCOMPARE(trend.value(1), 5.0);
    // 20 s or more before: a new point in time order.
    TStageEditor::setStagePoint(trend, 120.0, 7.0);
    QCOMPARE(trend.size(), 4);
    QCOMPARE(trend.time(2), 120.0);
    QCOMPARE(trend.value(2), 7.0);
    QCOMPARE(trend.time(3), 130.0);
    TTrend empty;
    TStageEditor::setStagePoint(empty, 60.0, 9.0);
    QCOMPARE(empty.size(), 1);
}

QTEST_APPLESS_MAIN(TestStageEditor)
#include "tst_stageeditor.moc"
