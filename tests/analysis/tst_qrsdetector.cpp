#include "TAnalysisPath.h"
#include "TBeat.h"
#include "TBeatSink.h"
#include "TChannelQuality.h"
#include "TEcgSynthesizer.h"
#include "TQrsDetector.h"
#include "TRingSignalBuffer.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int Rate = 250;
constexpr int WindowSamples = 3 * Rate;

// A train of narrow QRS-like pulses of the given height, one every period seconds.
std::vector<double> pulses(double height, double period, double clampAt = 1e9)
{
    std::vector<double> w(WindowSamples, 0.0);
    for (int i = 0; i < WindowSamples; ++i) {
        const double t = double(i) / Rate;
        const double phase = std::fmod(t + 0.1, period) - 0.1;
        w[size_t(i)] = std::clamp(height * std::exp(-phase * phase / (2 * 0.008 * 0.008)), -clampAt, clampAt);
    }
    return w;
}

std::vector<double> sine(double amplitude, double hz)
{
    std::vector<double> w(WindowSamples);
    for (int i = 0; i < WindowSamples; ++i)
        w[size_t(i)] = amplitude * std::sin(2 * M_PI * hz * i / Rate);
    return w;
}

class CollectingSink : public TBeatSink
{
public:
    std::vector<TBeat> beats;
    void storeBeat(const TBeat& beat, const TBeatRecord*, int) override { beats.push_back(beat); }
};

// What the tests read of a beat, copied out while the signal it refers to lives.
struct Detected
{
    double time = 0.0;
    double rr = 0.0;
    double meanRR = 0.0;
    std::vector<double> detection;
};

std::vector<Detected> detect(const TSynthParams& p)
{
    const TEcgSynthesizer synth(p);
    const int channels = TEcgSynthesizer::LeadCount;
    TIntSignalBuffer raw(4096, TAnalysisPath::RingSamples, channels, p.samplingRate);
    raw.setGain(-p.gainMv, p.gainMv);
    TAnalysisPath path(&raw);
    CollectingSink sink;
    path.detector().setSink(&sink);
    std::vector<qint16> block(51 * channels);
    for (qint64 start = 0; start < synth.frameCount(); start += 51) {
        const int n = int(std::min<qint64>(51, synth.frameCount() - start));
        synth.render(start, n, block.data());
        raw.append(block.data(), n * channels * int(sizeof(qint16)));
        path.process(true);
    }
    path.finish();
    std::vector<Detected> out;
    for (const TBeat& b : sink.beats) {
        Detected d{b.time(), b.value(TBeat::RR), b.value(TBeat::MeanRR), {}};
        for (int c = 0; c < channels; ++c)
            d.detection.push_back(b.leadValue(c, TBeat::DetectionFlag));
        out.push_back(d);
    }
    return out;
}

} // namespace

class TestQrsDetector : public QObject
{
    Q_OBJECT

private slots:
    void channelQuality_data();
    void channelQuality();
    void leadWithoutContactTakesNoPart();
    void meanRRZeroUntilFiveIntervals();
    void flatRecordingHasNoBeats();
};

void TestQrsDetector::channelQuality_data()
{
    QTest::addColumn<std::vector<double>>("window");
    QTest::addColumn<bool>("clipped");
    QTest::addColumn<bool>("flat");
    QTest::newRow("QRS train") << pulses(3000, 0.6) << false << false;
    QTest::newRow("no signal") << std::vector<double>(WindowSamples, 0.0) << false << true;
    QTest::newRow("baseline drift of 2 mV only") << sine(220, 0.3) << false << true;
    QTest::newRow("mains hum only") << sine(1000, 50) << false << true;
    QTest::newRow("QRS lost in the noise floor") << pulses(15, 0.6) << false << true;
    QTest::newRow("every R clipped") << pulses(60000, 0.6, 32767) << true << false;
    QTest::newRow("one R clipped") << pulses(60000, 5.0, 32767) << false << false;
    std::vector<double> pinned = pulses(3000, 0.6);
    std::fill(pinned.begin() + 100, pinned.begin() + 200, -32768.0);
    QTest::newRow("pinned at the bottom for 0.4 s") << pinned << true << false;
}

void TestQrsDetector::channelQuality()
{
    QFETCH(std::vector<double>, window);
    QFETCH(bool, clipped);
    QFETCH(bool, flat);
    const TChannelQuality quality(Rate);
    QCOMPARE(quality.isClipped(window, 16), clipped);
    QCOMPARE(quality.isFlat(window, 16), flat);
    QCOMPARE(quality.isUsable(window, 16), !clipped && !flat);
}

void TestQrsDetector::leadWithoutContactTakesNoPart()
{
    TSynthParams p;
    p.seed = 11;
    p.durationSeconds = 20.0;
    p.heartRateStart = p.heartRateEnd = 120.0;
    p.electrodesOff = QStringList{"V2"};
    const std::vector<Detected> beats = detect(p);
    // All beats found but those of the detector's start.
    const int truth = TEcgSynthesizer(p).beats().size();
    QVERIFY2(int(beats.size()) >= truth - 3 && int(beats.size()) <= truth,
             qPrintable(QString("%1 of %2").arg(beats.size()).arg(truth)));
    const int v2 = 7;
    for (const Detected& b : beats)
        QCOMPARE(b.detection[size_t(v2)], 0.0);
}

void TestQrsDetector::meanRRZeroUntilFiveIntervals()
{
    TSynthParams p;
    p.seed = 12;
    p.durationSeconds = 12.0;
    p.heartRateStart = p.heartRateEnd = 100.0;
    p.sinusArrhythmia = 0.0;
    const std::vector<Detected> beats = detect(p);
    QVERIFY(beats.size() > 10);
    for (size_t i = 0; i < beats.size(); ++i) {
        if (i < 5)
            QCOMPARE(beats[i].meanRR, 0.0);
        else
            QVERIFY2(std::fabs(beats[i].meanRR - 0.6) < 0.01,
                     qPrintable(QString("beat %1: %2").arg(i).arg(beats[i].meanRR)));
    }
    QVERIFY(beats.front().rr <= 0.0); // the first beat has no interval
}

void TestQrsDetector::flatRecordingHasNoBeats()
{
    TIntSignalBuffer raw(4096, TAnalysisPath::RingSamples, 2, 500);
    TAnalysisPath path(&raw);
    CollectingSink sink;
    path.detector().setSink(&sink);
    std::vector<qint16> block(51 * 2, 0);
    for (int i = 0; i < 200; ++i) {
        raw.append(block.data(), int(block.size() * sizeof(qint16)));
        path.process(true);
    }
    path.finish();
    QVERIFY(sink.beats.empty());
}

QTEST_GUILESS_MAIN(TestQrsDetector)
#include "tst_qrsdetector.moc"
