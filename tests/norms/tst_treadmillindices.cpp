#include "TProtocol.h"
#include "TStudyResults.h"
#include "TTreadmillIndices.h"

#include <QtTest>

namespace {

struct Stage
{
    int phase;
    double seconds;
    double speed;
    double heartRate;
};

// An executed treadmill test and its results: per-stage heart rates, and a
// heart rate trend of one beat a second following each stage's rate.
void build(const QVector<Stage>& stages, TProtocol& protocol, TStudyResults& results, double recoveryFallPerSecond = 0.0)
{
    protocol.setType(0);
    TValueArray* perStage = results.valueArray(QStringLiteral("BPMPerStage"));
    TTrend* trend = results.trend(QStringLiteral("BPMTrend"));
    double t = 0.0;
    for (int k = 0; k < stages.size(); ++k) {
        TProtocolStage& s = protocol.insertStage(k);
        s.setPhase(stages[k].phase);
        s.setDuration(stages[k].seconds);
        s.setValue(QStringLiteral("speed"), stages[k].speed);
        perStage->setValue(k, stages[k].heartRate);
        for (double end = t + stages[k].seconds; t < end; t += 1.0)
            trend->append(t, stages[k].phase == TProtocolStage::Recovery && recoveryFallPerSecond > 0.0
                                 ? stages[k].heartRate - recoveryFallPerSecond * (t - (end - stages[k].seconds))
                                 : stages[k].heartRate);
    }
}

} // namespace

class TestTreadmillIndices : public QObject
{
    Q_OBJECT

private slots:
    // Heart rate rising linearly with speed, 60 + 12 per km/h: 150 is reached
    // at 7.5 km/h and 200 at 11.667 km/h, between the stages that bracket them.
    void linearRise_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("v150");
        QTest::addColumn<double>("v200");
        QTest::newRow("1 km/h steps from 4") << 4.0 << 1.0 << 7.5 << 35.0 / 3.0;
        QTest::newRow("2.5 km/h steps from 5") << 5.0 << 2.5 << 7.5 << 35.0 / 3.0;
        QTest::newRow("stage exactly at 150") << 5.5 << 2.0 << 7.5 << 35.0 / 3.0;
    }
    void linearRise()
    {
        QFETCH(double, start);
        QFETCH(double, step);
        QFETCH(double, v150);
        QFETCH(double, v200);
        QVector<Stage> stages = {{TProtocolStage::Rest, 120, 0.0, 50}};
        for (double v = start; 60 + 12 * v < 240; v += step)
            stages.append({TProtocolStage::Exercise, 60, v, 60 + 12 * v});
        stages.append({TProtocolStage::Recovery, 400, 2.0, 100});
        TProtocol protocol;
        TStudyResults results;
        build(stages, protocol, results);
        const TTreadmillIndices indices = TTreadmillIndices::of(protocol, results);
        QVERIFY(indices.v150);
        QVERIFY(indices.v200);
        QVERIFY(std::abs(*indices.v150 - v150) < 1e-9);
        QVERIFY(std::abs(*indices.v200 - v200) < 1e-9);
    }

    void bracketingStagesOnly()
    {
        // Not linear: only the two stages around 200 count. 190 at 8, 210 at 9: 8.5.
        QVector<TTreadmillIndices::StagePoint> stages = {{4, 100}, {6, 170}, {8, 190}, {9, 210}, {10, 212}};
        QCOMPARE(TTreadmillIndices::speedAt(stages, 200.0).value(), 8.5);
        // 150 between 4 (100) and 6 (170): 4 + 2 x 50/70.
        QVERIFY(std::abs(TTreadmillIndices::speedAt(stages, 150.0).value() - (4.0 + 100.0 / 70.0)) < 1e-9);
    }

    void absentWhenNotReached_data()
    {
        QTest::addColumn<QVector<double>>("heartRates");
        QTest::newRow("never reaches 200") << QVector<double>{120, 150, 170, 199};
        QTest::newRow("first stage already above") << QVector<double>{205, 210, 220};
    }
    void absentWhenNotReached()
    {
        QFETCH(QVector<double>, heartRates);
        QVector<Stage> stages;
        double speed = 6.0;
        for (double hr : heartRates) {
            stages.append({TProtocolStage::Exercise, 60, speed, hr});
            speed += 2.0;
        }
        TProtocol protocol;
        TStudyResults results;
        build(stages, protocol, results);
        const TTreadmillIndices indices = TTreadmillIndices::of(protocol, results);
        QVERIFY(!indices.v200);
    }

    void equalSpeedsGiveNothing()
    {
        QVERIFY(!TTreadmillIndices::speedAt({{8, 190}, {8, 210}}, 200.0));
        QVERIFY(!TTreadmillIndices::speedAt({}, 200.0));
        // The speed lowered while the rate still rose: no line of rate on speed.
        QVERIFY(!TTreadmillIndices::speedAt({{10, 190}, {8, 205}}, 200.0));
    }

    void recovery()
    {
        // Exercise ends at 180 s at 210/min; in recovery the rate falls 0.25/min a second.
        TProtocol protocol;
        TStudyResults results;
        build({{TProtocolStage::Rest, 60, 0, 60},
               {TProtocolStage::Exercise, 60, 10, 180},
               {TProtocolStage::Exercise, 60, 14, 210},
               {TProtocolStage::Recovery, 400, 3, 210}},
              protocol, results, 0.25);
        const TTreadmillIndices indices = TTreadmillIndices::of(protocol, results);
        QCOMPARE(indices.endHeartRate.value(), 210.0);
        // At 60 s into recovery: 210 - 15 = 195 (the window's mean, symmetric about it).
        QVERIFY(std::abs(indices.recovery1HeartRate.value() - 195.0) < 1e-9);
        QVERIFY(std::abs(indices.recovery1Drop().value() - 15.0) < 1e-9);
        QVERIFY(std::abs(indices.recovery5HeartRate.value() - 135.0) < 1e-9);
        QVERIFY(std::abs(indices.recovery5Drop().value() - 75.0) < 1e-9);
        QCOMPARE(indices.summary(),
                 QStringLiteral("V150 --, V200 12.7 km/h; recovery HR at 1 min 195/min (-15), at 5 min 135/min (-75)"));
    }

    void recoveryCutShort()
    {
        // The recording ends 2 minutes after exercise: no five-minute value.
        TProtocol protocol;
        TStudyResults results;
        build({{TProtocolStage::Exercise, 60, 10, 180}, {TProtocolStage::Recovery, 120, 3, 150}}, protocol, results);
        const TTreadmillIndices indices = TTreadmillIndices::of(protocol, results);
        QCOMPARE(indices.recovery1HeartRate.value(), 150.0);
        QVERIFY(!indices.recovery5HeartRate);
        QVERIFY(!indices.recovery5Drop());
    }

    void onlyTreadmillTests()
    {
        TProtocol protocol;
        TStudyResults results;
        build({{TProtocolStage::Exercise, 60, 10, 180}, {TProtocolStage::Exercise, 60, 12, 220}}, protocol, results);
        protocol.setType(1);
        const TTreadmillIndices indices = TTreadmillIndices::of(protocol, results);
        QVERIFY(!indices.v200 && !indices.v150 && !indices.endHeartRate);
    }
};

QTEST_GUILESS_MAIN(TestTreadmillIndices)
#include "tst_treadmillindices.moc"
