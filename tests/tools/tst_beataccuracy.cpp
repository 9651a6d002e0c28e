#include "TBeatAccuracy.h"

#include <QtTest>

#include <cmath>

// The live analysis measured against the synthesizer's truth on short records.
class TestBeatAccuracy : public QObject
{
    Q_OBJECT

private slots:
    void averageBeatWavePoints_data();
    void averageBeatWavePoints();
};

void TestBeatAccuracy::averageBeatWavePoints_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<int>("pvcEvery"); // 0: sinus beats only
    QTest::addColumn<double>("muscleUv");
    QTest::addColumn<double>("wanderMv");
    QTest::addColumn<double>("mainsUv");
    QTest::newRow("60 clean") << 60.0 << 0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("160 noisy") << 160.0 << 0 << 20.0 << 0.3 << 12.0;
    QTest::newRow("200 clean") << 200.0 << 0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("90, every 7th beat ventricular") << 90.0 << 7 << 0.0 << 0.0 << 12.0;
    // The early beat falls into the T wave of the beat before it.
    QTest::newRow("160, every 7th beat ventricular") << 160.0 << 7 << 0.0 << 0.0 << 12.0;
}

void TestBeatAccuracy::averageBeatWavePoints()
{
    QFETCH(double, bpm);
    QFETCH(int, pvcEvery);
    QFETCH(double, muscleUv);
    QFETCH(double, wanderMv);
    QFETCH(double, mainsUv);
    TSynthParams p;
    p.seed = pvcEvery > 0 ? 5 : 3;
    p.durationSeconds = 26.0;
    p.heartRateStart = p.heartRateEnd = bpm;
    p.sinusArrhythmia = pvcEvery > 0 ? 0.0 : 0.02;
    p.pvcEvery = pvcEvery;
    p.muscleNoiseUv = muscleUv;
    p.baselineWanderMv = wanderMv;
    p.mainsUv = mainsUv;
    const TBeatAccuracy::Run r = TBeatAccuracy::run(p);

    // Nothing invented; of a sinus rhythm every beat found but those of the
    // detector's first second and a half, and averaged.
    QCOMPARE(r.detectedBeats, r.matchedBeats);
    if (pvcEvery == 0) {
        QVERIFY2(r.truthBeats - r.matchedBeats <= int(1.5 * bpm / 60.0) + 1,
                 qPrintable(QString::number(r.truthBeats - r.matchedBeats)));
        QVERIFY(r.averagedBeats > int(0.8 * TBeatAccuracy::AveragingWindowSeconds * bpm / 60.0));
    }
    // The average beat is the sinus beat's, whatever the ectopy.
    QVERIFY2(std::fabs(r.pOnsetMs) <= 10.0, qPrintable(QString::number(r.pOnsetMs)));
    QVERIFY2(std::fabs(r.qrsOnsetMs) <= 10.0, qPrintable(QString::number(r.qrsOnsetMs)));
    QVERIFY2(std::fabs(r.qrsEndMs) <= 10.0, qPrintable(QString::number(r.qrsEndMs)));
    QVERIFY2(std::fabs(r.tEndMs) <= 25.0, qPrintable(QString::number(r.tEndMs)));
    // Neither an early interval nor the pause after it reaches the heart rate.
    QVERIFY2(std::fabs(r.heartRate - r.truthHeartRate) <= 2.0,
             qPrintable(QString("%1 against %2").arg(r.heartRate).arg(r.truthHeartRate)));
    if (pvcEvery > 0) {
        QEXPECT_FAIL("", "a premature beat seen by every channel passes the rhythm rule as regular", Continue);
        QCOMPARE(r.ventricularAsRegular, 0);
    }
}

QTEST_GUILESS_MAIN(TestBeatAccuracy)
#include "tst_beataccuracy.moc"
