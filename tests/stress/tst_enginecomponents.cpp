#include "TestWait.h"
#include "TBeat.h"
#include "TEcgSynthesizer.h"
#include "TEquipmentFactory.h"
#include "TErgometerSimulator.h"
#include "TKipnetTreadmill.h"
#include "TMets.h"
#include "TMovingMean.h"
#include "TOlmoErgometer.h"
#include "TRingSignalBuffer.h"
#include "TStMeasurement.h"
#include "TTreadmillSimulator.h"
#include "TWavePointRefiner.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {

constexpr int V5 = 10;

// One lead of a noiseless synthesized recording, as codes.
std::vector<double> synthesizedLead(const TEcgSynthesizer& synth, int lead, qint64 first, int count)
{
    std::vector<double> mv(size_t(count) * TEcgSynthesizer::LeadCount);
    synth.renderMillivolts(first, count, mv.data());
    std::vector<double> codes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        codes[size_t(i)] = mv[size_t(i) * TEcgSynthesizer::LeadCount + size_t(lead)] / synth.codeStepMv();
    return codes;
}

TSynthParams quietParams(double stMv, double bpm)
{
    TSynthParams p;
    p.durationSeconds = 10.0;
    p.heartRateStart = p.heartRateEnd = bpm;
    p.sinusArrhythmia = 0.0;
    p.muscleNoiseUv = 0.0;
    p.baselineWanderMv = 0.0;
    p.mainsUv = 0.0;
    p.stDeviationMv = stMv;
    return p;
}

} // namespace

class TestEngineComponents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void treadmillMets_data()
    {
        QTest::addColumn<double>("speed");
        QTest::addColumn<double>("incline");
        QTest::addColumn<double>("mets");
        QTest::newRow("running 6 km/h 10 %") << 6.0 << 10.0 << (20.0 + 9.0 + 3.5) / 3.5;
        QTest::newRow("walking 4.8 km/h flat") << 4.8 << 0.0 << (8.0 + 3.5) / 3.5;
        QTest::newRow("standing") << 0.0 << 0.0 << 1.0;
        // 5 km/h is 83.333... m/min, at the running side of the threshold.
        QTest::newRow("5 km/h runs") << 5.0 << 0.0 << (0.2 * 5000.0 / 60.0 + 3.5) / 3.5;
        QTest::newRow("walking uphill") << 3.0 << 12.0 << (0.1 * 50.0 + 1.8 * 50.0 * 0.12 + 3.5) / 3.5;
    }
    void treadmillMets()
    {
        QFETCH(double, speed);
        QFETCH(double, incline);
        QFETCH(double, mets);
        QVERIFY(std::fabs(TMets::treadmill(speed, incline) - mets) < 1e-9);
    }

    void ergometerMets_data()
    {
        QTest::addColumn<double>("watts");
        QTest::addColumn<double>("weight");
        QTest::addColumn<double>("mets");
        QTest::newRow("no weight") << 100.0 << 0.0 << 0.0;
        QTest::newRow("negative weight") << 100.0 << -3.0 << 0.0;
        QTest::newRow("not a number") << 100.0 << std::nan("") << 0.0;
        QTest::newRow("30 kg dog at 100 W") << 100.0 << 30.0 << (1080.0 / 30.0 + 7.0) / 3.5;
        QTest::newRow("unloaded") << 0.0 << 30.0 << 2.0;
    }
    void ergometerMets()
    {
        QFETCH(double, watts);
        QFETCH(double, weight);
        QFETCH(double, mets);
        QVERIFY(std::fabs(TMets::ergometer(watts, weight) - mets) < 1e-9);
    }

    void movingMean()
    {
        TMovingMean<3> m;
        QCOMPARE(m.mean(), 0.0);
        QCOMPARE(m.push(3.0), 3.0);
        QCOMPARE(m.push(6.0), 4.5);
        QCOMPARE(m.push(9.0), 6.0);
        QCOMPARE(m.push(12.0), 9.0); // 3.0 has left
        QCOMPARE(m.push(-12.0), 3.0);
        QCOMPARE(m.count(), 3);
        m.clear();
        QCOMPARE(m.push(1.0), 1.0);
    }

    void firKernel()
    {
        const auto& h = TWavePointRefiner::taps();
        double sum = 0.0;
        for (int i = 0; i < TWavePointRefiner::TapCount; ++i) {
            QCOMPARE(h[size_t(i)], h[size_t(TWavePointRefiner::TapCount - 1 - i)]);
            sum += h[size_t(i)];
        }
        // The kernel's gain at DC is 1.019: only where its turning points lie matters.
        QVERIFY(std::fabs(sum - 1.0192124) < 1e-6);
        // A constant passes unchanged, and a bump stays where it was.
        std::vector<double> x(100, 7.0);
        for (double v : TWavePointRefiner::smooth(x))
            QVERIFY(std::fabs(v - 7.0 * sum) < 1e-9);
        x.assign(100, 0.0);
        for (int i = 0; i < 100; ++i)
            x[size_t(i)] = std::exp(-0.5 * std::pow((i - 50) / 4.0, 2));
        const auto y = TWavePointRefiner::smooth(x);
        const int peak = int(std::max_element(y.begin(), y.end()) - y.begin());
        QVERIFY2(std::abs(peak - 50) <= 1, qPrintable(QString::number(peak)));
    }

    void turningPoints_data()
    {
        QTest::addColumn<QVector<double>>("y");
        QTest::addColumn<int>("centre");
        QTest::addColumn<bool>("extremum");
        QTest::addColumn<int>("found");
        const QVector<double> rising{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        QTest::newRow("monotonic: none") << rising << 8 << true << -1;
        const QVector<double> peakValley{0, 1, 2, 3, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("maximum before the centre") << peakValley << 8 << false << 4;
        QTest::newRow("extremum: first is the maximum") << peakValley << 8 << true << 4;
        QTest::newRow("minimum only with extremum") << peakValley << 12 << true << 8;
        QTest::newRow("no maximum within reach") << peakValley << 12 << false << -1;
        const QVector<double> edge{5, 4, 3, 2, 1, 2, 3};
        QTest::newRow("minimum near the start") << edge << 0 << true << 4;
        QTest::newRow("the first sample has no left neighbour") << QVector<double>{9, 1, 2, 3} << 0 << false << -1;
    }
    void turningPoints()
    {
        QFETCH(QVector<double>, y);
        QFETCH(int, centre);
        QFETCH(bool, extremum);
        QFETCH(int, found);
        const std::vector<double> v(y.begin(), y.end());
        QCOMPARE(TWavePointRefiner::turningPoint(v, centre, extremum), found);
    }

    void refineMovesToPeaks()
    {
        // A bump on lead 0 at sample 1000, a dip on lead 1 at 1010; the beat's
        // times lie a few samples off.
        const int rate = 500;
        TIntSignalBuffer raw(4096, 8192, 2, rate);
        std::vector<qint16> l0(2000), l1(2000);
        for (int i = 0; i < 2000; ++i) {
            l0[size_t(i)] = qint16(1000.0 * std::exp(-0.5 * std::pow((i - 1000) / 6.0, 2)));
            l1[size_t(i)] = qint16(-800.0 * std::exp(-0.5 * std::pow((i - 1010) / 6.0, 2)));
        }
        const qint16* channels[2] = {l0.data(), l1.data()};
        raw.appendChannels(channels, 2000);
        TBeat beat(1, &raw);
        beat.setWindowStart(1.8);
        beat.setWindowLength(0.4);
        beat.setLeadValue(0, TBeat::Fiducial, 1004.0 / rate);
        beat.setLeadValue(1, TBeat::QrsOnset, 1013.0 / rate);
        beat.setLeadValue(1, TBeat::Fiducial, 1016.0 / rate); // a maximum is looked for: none
        beat.setLeadValue(0, TBeat::WaveTime5, 1100.3 / rate); // flat: none, its own sample
        TWavePointRefiner::refine(beat, raw);
        QVERIFY(std::fabs(beat.leadValue(0, TBeat::Fiducial) * rate - 1000.0) <= 1.0);
        QVERIFY(std::fabs(beat.leadValue(1, TBeat::QrsOnset) * rate - 1010.0) <= 1.0);
        QCOMPARE(beat.leadValue(1, TBeat::Fiducial) * rate, 1016.0);
        QCOMPARE(beat.leadValue(0, TBeat::WaveTime5) * rate, 1100.0);
        QVERIFY(!beat.hasLeadValue(0, TBeat::POnset));
    }

    void refineDamagedWindow_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("length");
        QTest::newRow("beyond the signal") << 1e7 << 0.4;
        QTest::newRow("before the signal") << -5.0 << 0.4;
        QTest::newRow("huge window") << 0.0 << 1e12;
        QTest::newRow("negative length") << 1.0 << -1.0;
        QTest::newRow("not a number") << std::nan("") << 0.4;
    }
    void refineDamagedWindow()
    {
        QFETCH(double, start);
        QFETCH(double, length);
        TIntSignalBuffer raw(4096, 8192, 1, 500);
        std::vector<qint16> l0(1000, 5);
        const qint16* channels[1] = {l0.data()};
        raw.appendChannels(channels, 1000);
        TBeat beat(1, &raw);
        beat.setWindowStart(start);
        beat.setWindowLength(length);
        beat.setLeadValue(0, TBeat::Fiducial, 1.0);
        TWavePointRefiner::refine(beat, raw);
        QVERIFY(std::isfinite(beat.leadValue(0, TBeat::Fiducial)));
    }

    void stLevel_data()
    {
        QTest::addColumn<double>("stMv");
        QTest::addColumn<double>("bpm");
        QTest::addColumn<int>("rate");
        QTest::addColumn<QVector<int>>("leads");
        const QVector<int> several{1, 5, V5, 11};
        QTest::newRow("none, 500/s") << 0.0 << 90.0 << 500 << several;
        QTest::newRow("-0.1 mV, 500/s") << -0.1 << 90.0 << 500 << several;
        QTest::newRow("-0.2 mV, 500/s") << -0.2 << 90.0 << 500 << several;
        // At 120/min the T wave begins 40 ms after the QRS: only V5, where the
        // deviation is largest against the T wave, stays within 0.02 mV.
        QTest::newRow("-0.2 mV, 500/s, 120/min") << -0.2 << 120.0 << 500 << QVector<int>{V5};
        QTest::newRow("-0.2 mV, 250/s") << -0.2 << 90.0 << 250 << several;
        QTest::newRow("+0.15 mV, 1000/s") << 0.15 << 90.0 << 1000 << several;
    }
    void stLevel()
    {
        QFETCH(double, stMv);
        QFETCH(double, bpm);
        QFETCH(int, rate);
        QFETCH(QVector<int>, leads);
        TSynthParams p = quietParams(stMv, bpm);
        p.samplingRate = rate;
        const TEcgSynthesizer synth(p);
        const auto truth = synth.stDeviationMv();
        const TSynthBeat& b = synth.beats().at(4);
        const int length = int(0.8 * rate);
        const int r = int(0.3 * rate);
        const qint64 first = qint64(std::llround(b.rTime * rate)) - r;
        for (int lead : leads) {
            const auto x = synthesizedLead(synth, lead, first, length);
            const auto st = TStMeasurement::measure(x, rate, r, 60.0 / bpm, synth.codeStepMv());
            QVERIFY2(st.measured, qPrintable(QString("lead %1").arg(lead)));
            QVERIFY(st.baselinePoint < r && st.levelPoint > r && st.slopePoint > st.levelPoint);
            QVERIFY2(std::fabs(st.level - truth[size_t(lead)]) < 0.02,
                     qPrintable(QString("lead %1: %2 against %3").arg(lead).arg(st.level).arg(truth[size_t(lead)])));
            QCOMPARE(st.baselinePoint % std::max(1, rate / 250), 0);
        }
    }

    void stUnmeasurable_data()
    {
        QTest::addColumn<QVector<double>>("beat");
        QTest::addColumn<int>("rIndex");
        QTest::newRow("empty") << QVector<double>() << 0;
        QTest::newRow("flat") << QVector<double>(200, 3.0) << 75;
        QTest::newRow("R outside") << QVector<double>(200, 3.0) << 500;
        QVector<double> spike(200, 0.0);
        spike[2] = 2000.0;
        QTest::newRow("spike at the start") << spike << 2;
    }
    void stUnmeasurable()
    {
        QFETCH(QVector<double>, beat);
        QFETCH(int, rIndex);
        const std::vector<double> x(beat.begin(), beat.end());
        const auto st = TStMeasurement::measure(x, 250, rIndex, 0.6, 0.01);
        QVERIFY(!st.measured);
        QCOMPARE(st.baselinePoint + st.levelPoint + st.slopePoint, 0);
        QCOMPARE(st.level, 0.0);
    }

    void equipmentChoice_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("treadmill");
        QTest::addColumn<QString>("ergometer");
        QTest::addColumn<QString>("made");
        QTest::newRow("no settings, treadmill") << 0 << "" << "" << "none";
        QTest::newRow("no settings, ergometer") << 1 << "" << "" << "none";
        QTest::newRow("kip treadmill") << 0 << "kipmachines" << "olmo" << "kipnet";
        QTest::newRow("olmo ergometer") << 1 << "kipmachines" << "olmo" << "olmo";
        QTest::newRow("kip ergometer") << 1 << "" << "kipmachines" << "kipnet";
        QTest::newRow("treadmill never olmo") << 0 << "olmo" << "olmo" << "none";
        QTest::newRow("names compared exactly") << 0 << "KipMachines" << "" << "none";
        QTest::newRow("ecg protocol") << 2 << "kipmachines" << "olmo" << "none";
        QTest::newRow("tilt test") << 3 << "kipmachines" << "olmo" << "none";
        QTest::newRow("pharmacologic") << 4 << "kipmachines" << "olmo" << "none";
        QTest::newRow("unknown type") << -1 << "kipmachines" << "olmo" << "none";
    }
    void equipmentChoice()
    {
        QFETCH(int, type);
        QFETCH(QString, treadmill);
        QFETCH(QString, ergometer);
        QFETCH(QString, made);
        QTemporaryDir dir;
        QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
        if (!treadmill.isEmpty())
            settings.setValue("Config/TreadmillEquipment", treadmill);
        if (!ergometer.isEmpty())
            settings.setValue("Config/ErgometerEquipment", ergometer);
        // Ports nobody answers on: the workers only fail to open them.
        settings.setValue("Config/TreadmillPort", dir.filePath("no-treadmill"));
        settings.setValue("Config/ErgometerPort", dir.filePath("no-ergometer"));
        std::unique_ptr<TExerciseEquipment> equipment(TEquipmentFactory::create(type, settings));
        if (made == "none")
            QVERIFY(!equipment);
        else if (made == "kipnet")
            QVERIFY(dynamic_cast<TKipnetTreadmill*>(equipment.get()));
        else
            QVERIFY(dynamic_cast<TOlmoErgometer*>(equipment.get()));
    }

    void equipmentOnConfiguredPort()
    {
        // The treadmill made from the settings talks on the configured port.
        TTreadmillSimulator treadmill;
        QVERIFY(treadmill.start());
        QTemporaryDir dir;
        QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
        settings.setValue("Config/TreadmillEquipment", "kipmachines");
        settings.setValue("Config/TreadmillPort", treadmill.portPath());
        std::unique_ptr<TExerciseEquipment> equipment(TEquipmentFactory::create(0, settings));
        QVERIFY(equipment);
        QVERIFY(equipment->setValue("speed", 4.0));
        QVERIFY(equipment->apply());
        QVERIFY(waitFor([&] { return treadmill.speedKmh() == 4.0; }, 5000));
        QVERIFY(treadmill.isRunning());
    }
};

QTEST_GUILESS_MAIN(TestEngineComponents)
#include "tst_enginecomponents.moc"
