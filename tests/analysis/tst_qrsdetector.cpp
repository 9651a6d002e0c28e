#include "TAnalysisPath.h"
#include "TChannelQuality.h"
#include "TEcgSynthesizer.h"
#include "TQrsChannelDetector.h"
#include "TQrsDetector.h"
#include "TQrsWavelets.h"
#include "TRingSignalBuffer.h"
#include "TSynthesizedPlayback.h"
#include "TestBeats.h"
#include "TestSignals.h"

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

// A QRS-like deflection (Gaussian, 10 ms wide) of the given height centred at t seconds.
double qrs(double height, double t, double at)
{
    const double d = t - at;
    return height * std::exp(-d * d / (2 * 0.010 * 0.010));
}

// Channels that never show a complex yet are not flat: a slow sine, whose
// opposite slopes lie too far apart to pair.
double silent(int channel, int i) { return 600.0 * std::sin(2 * M_PI * 2.0 * i / Rate + channel); }

// A heartbeat of the test rhythms: its time and in which channels it shows.
struct TestBeat
{
    double time;
    double height; // of the complex, in codes
    bool inAll;    // false: only in the channels that carry every beat
};

// Regular beats every rr seconds from 0.5 s until 0.5 s before the end.
std::vector<TestBeat> rhythm(double rr, double seconds)
{
    std::vector<TestBeat> beats;
    for (double t = 0.5; t < seconds - 0.5; t += rr)
        beats.push_back({t, 1000.0, true});
    return beats;
}

// Signal of channel c at sample i: the beats, in channels below `everyBeat`
// all of them, in channels below `someBeats` those shown in all, and the
// silent sine in the rest.
double beatSignal(const std::vector<TestBeat>& beats, int everyBeat, int someBeats, int c, int i)
{
    if (c >= someBeats)
        return silent(c, i);
    const double t = double(i) / Rate;
    double v = 0.0;
    for (const TestBeat& b : beats)
        if (std::fabs(b.time - t) < 0.1 && (c < everyBeat || b.inAll))
            v += qrs(b.height, t, b.time);
    return v;
}

std::vector<TBeat> detect(const TSynthParams& p)
{
    TSynthesizedPlayback playback(p);
    BeatRecorder sink;
    playback.path().detector().setSink(&sink);
    playback.play();
    return sink.beats;
}

// One channel's candidates over stretches of the signal ending at each of `ends`
// in turn; returns where the last stretch ended.
int channelCandidates(int samples, const std::function<double(int, int)>& value, const std::vector<int>& ends,
                      std::deque<TQrsCandidate>& found, int* walkMargin = nullptr)
{
    auto buffer = TestSignals::intBuffer(1, Rate);
    TestSignals::appendSignal(*buffer, samples, value);
    TQrsWavelets wavelets(buffer.get());
    wavelets.process();
    TQrsChannelDetector channel(buffer.get(), &wavelets, 0);
    int from = 0;
    for (int end : ends) {
        channel.detect(from, end, found);
        from = end;
    }
    if (walkMargin)
        *walkMargin = channel.walkMargin();
    return from;
}

// Runs the detector over channels of value(c, i) at 250 per second, fed in blocks
// of 0.1 s; each beat's clock is how far the detector had searched when it came out.
BeatRecorder runDetector(int channels, double seconds, const std::function<double(int, int)>& value)
{
    auto buffer = TestSignals::intBuffer(channels, Rate);
    TQrsDetector detector(buffer.get(), 0.0, 0.0);
    BeatRecorder sink([&detector] { return detector.processedTime(); });
    detector.setSink(&sink);
    const int total = int(seconds * Rate);
    for (int done = 0; done < total; done += Rate / 10) {
        TestSignals::appendSignal(*buffer, std::min(Rate / 10, total - done), value);
        detector.process();
    }
    detector.finish();
    return sink;
}

// The index of the stored beat within 30 ms of t, or -1.
int storedAt(const BeatRecorder& stored, double t)
{
    for (size_t k = 0; k < stored.beats.size(); ++k)
        if (std::fabs(stored.beats[k].time() - t) < 0.03)
            return int(k);
    return -1;
}

} // namespace

class TestQrsDetector : public QObject
{
    Q_OBJECT

private slots:
    void channelQuality_data();
    void channelQuality();
    void meanRRZeroUntilFiveIntervals();
    void flatRecordingHasNoBeats();
    void secondDetectionOfOneComplex_data();
    void secondDetectionOfOneComplex();
    void searchBackAfterLongInterval_data();
    void searchBackAfterLongInterval();
    void weightedVote_data();
    void weightedVote();
    void prematureBeatHeldBack_data();
    void prematureBeatHeldBack();
    void weakComplexAloneIsNoPrematureBeat_data();
    void weakComplexAloneIsNoPrematureBeat();
    void leadsFuseByComplex_data();
    void leadsFuseByComplex();
    void complexAtStretchBoundary_data();
    void complexAtStretchBoundary();
    void lastBeatsReportedAtFinish_data();
    void lastBeatsReportedAtFinish();
    void analysisPathFlushedAtTheEnd_data();
    void analysisPathFlushedAtTheEnd();
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

void TestQrsDetector::meanRRZeroUntilFiveIntervals()
{
    TSynthParams p = steadyRhythm(100.0, 12.0, 12);
    p.sinusArrhythmia = 0.0;
    const std::vector<TBeat> beats = detect(p);
    QVERIFY(beats.size() > 10);
    for (size_t i = 0; i < beats.size(); ++i) {
        const double meanRR = beats[i].value(TBeat::MeanRR);
        if (i < 5)
            QCOMPARE(meanRR, 0.0);
        else
            QVERIFY2(std::fabs(meanRR - 0.6) < 0.01, qPrintable(QString("beat %1: %2").arg(i).arg(meanRR)));
    }
    QVERIFY(beats.front().value(TBeat::RR) <= 0.0); // the first beat has no interval
}

void TestQrsDetector::flatRecordingHasNoBeats()
{
    TIntSignalBuffer raw(4096, TAnalysisPath::RingSamples, 2, 500);
    TAnalysisPath path(&raw);
    BeatRecorder sink;
    path.detector().setSink(&sink);
    std::vector<qint16> block(51 * 2, 0);
    for (int i = 0; i < 200; ++i) {
        raw.append(block.data(), int(block.size() * sizeof(qint16)));
        path.process(true);
    }
    path.finish();
    QVERIFY(sink.beats.empty());
}

void TestQrsDetector::secondDetectionOfOneComplex_data()
{
    QTest::addColumn<double>("echoDelay");
    QTest::addColumn<bool>("second");
    // A complex followed by a like one this much later: within 75 ms it is
    // the same complex seen twice, later a beat of its own (here at 150 ms,
    // which only the rhythm rules further on may reject).
    QTest::newRow("60 ms apart") << 0.060 << false;
    QTest::newRow("70 ms apart") << 0.070 << false;
    QTest::newRow("150 ms apart") << 0.150 << true;
}

void TestQrsDetector::secondDetectionOfOneComplex()
{
    QFETCH(double, echoDelay);
    QFETCH(bool, second);
    const std::vector<TestBeat> beats = rhythm(0.8, 12.0);
    std::vector<int> seconds;
    for (int end = Rate; end <= 11 * Rate; end += Rate)
        seconds.push_back(end);
    std::deque<TQrsCandidate> found;
    channelCandidates(12 * Rate, [&](int, int i) {
        const double t = double(i) / Rate;
        double v = 0.0;
        for (const TestBeat& b : beats)
            v += qrs(1000.0, t, b.time) + (b.time > 4.0 ? qrs(1000.0, t, b.time + echoDelay) : 0.0);
        return v;
    }, seconds, found);
    int echoes = 0;
    int complexes = 0;
    for (const TQrsCandidate& c : found) {
        const double t = double(c.record.rPosition()) / Rate;
        for (const TestBeat& b : beats) {
            if (std::fabs(t - b.time) < 0.02)
                ++complexes;
            else if (std::fabs(t - b.time - echoDelay) < 0.02)
                ++echoes;
        }
    }
    QCOMPARE(complexes, int(found.size()) - echoes);
    QVERIFY2(complexes >= 12, qPrintable(QString::number(complexes)));
    if (second)
        QVERIFY(echoes > 0);
    else
        QCOMPARE(echoes, 0);
}

void TestQrsDetector::searchBackAfterLongInterval_data()
{
    QTest::addColumn<double>("height");
    QTest::addColumn<bool>("found");
    // Beats every 0.8 s; at 6.1 s a small complex 0.6 s after the last beat, and
    // the next one 0.6 s later: 1.5 times the mean RR after the last found beat.
    // A fifth of the usual height passes only the thresholds lowered to 70 %.
    QTest::newRow("a fifth: found looking back") << 200.0 << true;
    QTest::newRow("a tenth: noise even then") << 100.0 << false;
    QTest::newRow("full height: found at once") << 1000.0 << true;
}

void TestQrsDetector::searchBackAfterLongInterval()
{
    QFETCH(double, height);
    QFETCH(bool, found);
    std::vector<TestBeat> beats;
    for (double t = 0.5; t < 5.8; t += 0.8)
        beats.push_back({t, 1000.0, true});
    const double last = beats.back().time; // 5.3 s
    beats.push_back({last + 0.6, height, true});
    for (double t = last + 1.2; t < 11.0; t += 0.8)
        beats.push_back({t, 1000.0, true});
    const auto stored = runDetector(1, 12.0, [&](int c, int i) { return beatSignal(beats, 1, 1, c, i); });
    const int small = storedAt(stored, last + 0.6);
    const int next = storedAt(stored, last + 1.2);
    QVERIFY(next >= 0);
    QCOMPARE(small >= 0, found);
    if (found)
        QCOMPARE(small, next - 1); // reported before the beat that ended the long interval
    QCOMPARE(int(stored.beats.size()), int(beats.size()) - (found ? 0 : 1));
}

void TestQrsDetector::weightedVote_data()
{
    QTest::addColumn<QVector<int>>("detecting");
    QTest::addColumn<bool>("accepted");
    // Twelve usable channels in the order of the lead table: weight 1 for the
    // limb leads, 5 for V1 to V3, 10 for V4 to V6 (51 in all); 30 % must agree.
    QTest::newRow("V4 to V6 (30 of 51)") << QVector<int>{9, 10, 11} << true;
    QTest::newRow("limb leads only (6 of 51)") << QVector<int>{0, 1, 2, 3, 4, 5} << false;
    QTest::newRow("V1 to V3 (15 of 51)") << QVector<int>{6, 7, 8} << false;
    QTest::newRow("V1 to V3 and lead I (16 of 51)") << QVector<int>{0, 6, 7, 8} << true;
}

void TestQrsDetector::weightedVote()
{
    QFETCH(QVector<int>, detecting);
    QFETCH(bool, accepted);
    const std::vector<TestBeat> beats = rhythm(0.8, 12.0);
    const auto stored = runDetector(12, 12.0, [&](int c, int i) {
        return detecting.contains(c) ? beatSignal(beats, 1, 1, 0, i) : silent(c, i);
    });
    if (accepted)
        QVERIFY2(int(stored.beats.size()) >= int(beats.size()) - 1,
                 qPrintable(QString("%1 of %2").arg(stored.beats.size()).arg(beats.size())));
    else
        QCOMPARE(int(stored.beats.size()), 0);
}

void TestQrsDetector::prematureBeatHeldBack_data()
{
    QTest::addColumn<int>("everyBeat");   // channels that show every beat
    QTest::addColumn<int>("someBeats");   // ... and those that miss the early one
    QTest::addColumn<int>("channels");    // the rest are silent but usable
    QTest::addColumn<double>("earliness"); // RR of the early beat / the mean
    QTest::addColumn<int>("outcome");      // 0 rejected, 1 normal, 2 premature
    QTest::newRow("vote 0.5, RR 0.7 x mean") << 2 << 4 << 4 << 0.7 << 2;
    QTest::newRow("vote 0.5 by silent leads, RR 0.7 x mean") << 2 << 2 << 4 << 0.7 << 2;
    QTest::newRow("vote 0.5, RR 0.45 x mean") << 2 << 4 << 4 << 0.45 << 0;
    QTest::newRow("weak vote 1/3, RR 0.7 x mean") << 2 << 2 << 6 << 0.7 << 2;
    QTest::newRow("weak vote 1/3, RR 0.8 x mean") << 2 << 2 << 6 << 0.8 << 2;
    QTest::newRow("weak vote 1/3, RR 0.55 x mean") << 2 << 2 << 6 << 0.55 << 0;
    QTest::newRow("every channel, RR 0.7 x mean") << 4 << 4 << 4 << 0.7 << 1;
}

void TestQrsDetector::prematureBeatHeldBack()
{
    QFETCH(int, everyBeat);
    QFETCH(int, someBeats);
    QFETCH(int, channels);
    QFETCH(double, earliness);
    QFETCH(int, outcome);
    const double rr = 0.8;
    std::vector<TestBeat> beats;
    for (double t = 0.5; t < 8.0; t += rr)
        beats.push_back({t, 1000.0, true});
    const double before = beats.back().time;
    const double early = before + earliness * rr;
    beats.push_back({early, 1000.0, false});
    // A full compensatory pause: the next beat on the sinus rhythm.
    for (double t = before + 2 * rr; t < 14.0; t += rr)
        beats.push_back({t, 1000.0, true});
    const auto stored =
        runDetector(channels, 15.0, [&](int c, int i) { return beatSignal(beats, everyBeat, someBeats, c, i); });

    const int e = storedAt(stored, early);
    const int next = storedAt(stored, before + 2 * rr);
    QVERIFY(next >= 0 && storedAt(stored, before) >= 0);
    if (outcome == 0) {
        QCOMPARE(e, -1);
        QCOMPARE(int(stored.beats.size()), int(beats.size()) - 1);
        return;
    }
    QVERIFY(e >= 0);
    QCOMPARE(e, next - 1);
    QCOMPARE(stored.beats[size_t(e)].beatClass(),
             outcome == 2 ? int(TQrsDetector::Premature) : int(TQrsDetector::Normal));
    if (outcome == 2) {
        // Held back until the next beat decided: both came out together.
        QCOMPARE(stored.clockAt[size_t(e)], stored.clockAt[size_t(next)]);
        // After a pause more than 1.7 times the early interval, the next beat's
        // interval counts from the beat before the early one.
        const double q = (2.0 - earliness) / earliness;
        const double expected = q > 1.7 ? 2 * rr : (2.0 - earliness) * rr;
        const double nextRR = stored.beats[size_t(next)].value(TBeat::RR);
        QVERIFY2(std::fabs(nextRR - expected) < 0.02, qPrintable(QString::number(nextRR)));
    } else {
        QVERIFY(stored.clockAt[size_t(e)] < stored.clockAt[size_t(next)]);
    }
    // Neither the early interval nor the pause moves the mean.
    for (size_t k = size_t(next); k < stored.beats.size(); ++k) {
        const double meanRR = stored.beats[k].value(TBeat::MeanRR);
        QVERIFY2(std::fabs(meanRR - rr) < 0.01, qPrintable(QString::number(meanRR)));
    }
}

void TestQrsDetector::weakComplexAloneIsNoPrematureBeat_data()
{
    // Two leads in noise of +-200 codes that keeps either from voting against
    // a complex of the other, the beats (1000 codes) in both; an early complex
    // in the first lead alone or in both, of a height against the noise.
    QTest::addColumn<double>("height");
    QTest::addColumn<bool>("inBoth");
    QTest::addColumn<bool>("taken");
    QTest::newRow("weak, alone: noise") << 400.0 << false << false;
    QTest::newRow("smaller, in both leads") << 600.0 << true << true;
    QTest::newRow("strong, alone") << 1300.0 << false << true;
}

void TestQrsDetector::weakComplexAloneIsNoPrematureBeat()
{
    QFETCH(double, height);
    QFETCH(bool, inBoth);
    QFETCH(bool, taken);
    const double rr = 0.8;
    std::vector<TestBeat> beats;
    for (double t = 0.5; t < 14.0; t += rr)
        beats.push_back({t, 1000.0, true});
    const double early = beats[12].time + 0.6 * rr;
    const auto noise = [](int c, int i) {
        quint32 x = quint32(i) * 2654435761u + quint32(c) * 40503u;
        x ^= x >> 13;
        x *= 1274126177u;
        x ^= x >> 16;
        return double(int(x % 401u) - 200);
    };
    const auto stored = runDetector(2, 15.0, [&](int c, int i) {
        const double t = double(i) / Rate;
        double v = beatSignal(beats, 2, 2, c, i) + noise(c, i);
        if (c == 0 || inBoth)
            v += qrs(height, t, early);
        return v;
    });
    // The beats of the rhythm are all there.
    for (const TestBeat& b : beats)
        QVERIFY2(storedAt(stored, b.time) >= 0, qPrintable(QString("beat at %1 s").arg(b.time)));
    const int e = storedAt(stored, early);
    QCOMPARE(e >= 0, taken);
    // Seen in one lead of two, a beat taken early is a premature one.
    if (taken && !inBoth)
        QCOMPARE(stored.beats[size_t(e)].beatClass(), int(TQrsDetector::Premature));
}

void TestQrsDetector::leadsFuseByComplex_data()
{
    QTest::addColumn<double>("sOffset");
    QTest::addColumn<int>("leads");
    // Lead 0 shows an R wave; lead 1 the same beat as a deep S wave the given
    // time later, its largest deflection and so its R point. In a wide complex
    // the two lie further apart than the fusion spread while their slopes touch.
    QTest::newRow("at the same time") << 0.0 << 2;
    QTest::newRow("S 40 ms after R") << 0.04 << 2;
    QTest::newRow("S 60 ms after R") << 0.06 << 2;
    QTest::newRow("S 100 ms after R: no longer one complex") << 0.10 << 1;
}

void TestQrsDetector::leadsFuseByComplex()
{
    QFETCH(double, sOffset);
    QFETCH(int, leads);
    const std::vector<TestBeat> beats = rhythm(0.8, 12.0);
    const auto stored = runDetector(2, 12.0, [&](int c, int i) {
        const double t = double(i) / Rate;
        double v = 0.0;
        for (const TestBeat& b : beats)
            v += c == 0 ? qrs(1000.0, t, b.time) : qrs(-1000.0, t, b.time + sOffset);
        return v;
    });
    // Every heartbeat is reported once, seen by the leads that show it as one complex.
    QCOMPARE(int(stored.beats.size()), int(beats.size()));
    for (const TBeat& beat : stored.beats)
        QCOMPARE(detectingLeads(beat), leads);
}

void TestQrsDetector::complexAtStretchBoundary_data()
{
    QTest::addColumn<int>("offset");
    // Where a searched stretch ends relative to the R of every complex (samples).
    for (int offset : {-16, -9, -6, -4, -3, -2, -1, 0, 1, 2, 3, 4, 6, 9, 16})
        QTest::newRow(qPrintable(QString("%1 samples").arg(offset))) << offset;
}

void TestQrsDetector::complexAtStretchBoundary()
{
    QFETCH(int, offset);
    // Complexes every 200 samples, each with its slopes around the end of a stretch.
    std::vector<double> times;
    for (int k = 1; k < 15; ++k)
        times.push_back(k * 200.0 / Rate);
    std::vector<int> ends;
    for (int end = 200 + offset; end <= 15 * 200 + offset; end += 200)
        ends.push_back(end);
    std::deque<TQrsCandidate> found;
    int walkMargin = 0;
    const int searched = channelCandidates(16 * 200, [&](int, int i) {
        double v = 0.0;
        for (double at : times)
            v += qrs(1000.0, double(i) / Rate, at);
        return v;
    }, ends, found, &walkMargin);
    for (double at : times) {
        if (at * Rate > searched - walkMargin)
            break; // not yet walked
        const auto count = std::count_if(found.begin(), found.end(), [&](const TQrsCandidate& c) {
            return std::fabs(double(c.record.rPosition()) / Rate - at) < 0.02;
        });
        QVERIFY2(count == 1, qPrintable(QString("%1 s found %2 times").arg(at).arg(count)));
    }
    QVERIFY(found.size() >= times.size() - 2);
}

void TestQrsDetector::lastBeatsReportedAtFinish_data()
{
    QTest::addColumn<double>("beforeEnd");
    // How long before the end of the recording its last complex lies.
    QTest::newRow("0.5 s") << 0.5;
    QTest::newRow("0.25 s") << 0.25;
    QTest::newRow("0.15 s") << 0.15;
    QTest::newRow("0.12 s") << 0.12;
}

void TestQrsDetector::lastBeatsReportedAtFinish()
{
    QFETCH(double, beforeEnd);
    const double seconds = 10.0;
    std::vector<TestBeat> beats;
    for (double t = seconds - beforeEnd; t > 0.3; t -= 0.8)
        beats.insert(beats.begin(), {t, 1000.0, true});
    const auto stored = runDetector(2, seconds, [&](int c, int i) { return beatSignal(beats, 2, 2, c, i); });
    QVERIFY(storedAt(stored, seconds - beforeEnd) >= 0);
    QCOMPARE(int(stored.beats.size()), int(beats.size()));
}

void TestQrsDetector::analysisPathFlushedAtTheEnd_data()
{
    QTest::addColumn<double>("seconds");
    // The last complex ends up at various distances from the end of the recording.
    for (double seconds : {12.0, 12.15, 12.3, 12.45})
        QTest::newRow(qPrintable(QString("%1 s").arg(seconds))) << seconds;
}

void TestQrsDetector::analysisPathFlushedAtTheEnd()
{
    QFETCH(double, seconds);
    const TSynthParams p = steadyRhythm(100.0, seconds, 5);
    const std::vector<TBeat> beats = detect(p);
    QVERIFY(!beats.empty());
    // The filters' look-ahead is flushed: the last complex the recording holds
    // whole is found, and nothing is made of the padding after the end.
    double lastWhole = 0.0;
    const TEcgSynthesizer synth(p);
    for (const TSynthBeat& b : synth.beats())
        if (b.rTime < seconds - 0.1)
            lastWhole = b.rTime;
    QVERIFY2(std::fabs(beats.back().time() - lastWhole) < 0.05,
             qPrintable(QString("last beat at %1 s, last complex at %2 s").arg(beats.back().time()).arg(lastWhole)));
    QVERIFY(beats.back().time() < seconds - 0.1);
}

QTEST_GUILESS_MAIN(TestQrsDetector)
#include "tst_qrsdetector.moc"
