// The beats of a finished recording, first second to last: synthesized
// recordings cut at every phase of the cardiac cycle, with a flat start, shorter
// than the lead-in, at a cat's and a horse's rates.

#include "TBeatAverager.h"
#include "TEcgSynthesizer.h"
#include "TLeadTable.h"
#include "TRecordingBeatFinder.h"
#include "TRingSignalBuffer.h"
#include "TSignalChannel.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int Rate = 500;
// A found beat is a true one when its R lies this close.
constexpr double MatchSeconds = 0.04;

struct Recording
{
    std::unique_ptr<TIntSignalBuffer> buffer;
    std::vector<double> rTimes; // the true R times, seconds of the recording
};

// seconds of the synthesized ECG from cut seconds on, after flat seconds of a
// flat line (the electrodes settling), as a study's recording holds it.
Recording synthesize(double bpm, double seconds, double cut, double flat, quint64 seed = 5)
{
    TSynthParams params;
    params.seed = seed;
    params.durationSeconds = cut + seconds + 1.0;
    params.heartRateStart = params.heartRateEnd = bpm;
    const TEcgSynthesizer synth(params);
    const int channels = TEcgSynthesizer::LeadCount;
    const int flatFrames = int(flat * Rate);
    const int frames = int(seconds * Rate);
    Recording r;
    r.buffer = std::make_unique<TIntSignalBuffer>(4096, frames + 1, channels, Rate);
    r.buffer->setGain(-params.gainMv, params.gainMv);
    for (int c = 0; c < channels; ++c)
        r.buffer->channel(c)->setName(TLeadTable::leadName(c));
    std::vector<qint16> block(size_t(500) * channels, 0);
    for (int f = 0; f < frames; f += 500) {
        const int n = std::min(500, frames - f);
        std::fill(block.begin(), block.end(), qint16(0));
        // The synthesized part starts at frame flatFrames.
        const int from = std::max(f, flatFrames);
        if (from < f + n)
            synth.render(qint64(cut * Rate) + from - flatFrames, f + n - from,
                         block.data() + size_t(from - f) * channels);
        r.buffer->append(block.data(), int(size_t(n) * channels * sizeof(qint16)));
    }
    for (const TSynthBeat& b : synth.beats()) {
        const double t = b.rTime - cut + flat;
        if (t >= flat && t < seconds)
            r.rTimes.push_back(t);
    }
    return r;
}

} // namespace

class TestRecordingBeatFinder : public QObject
{
    Q_OBJECT

private slots:
    void everyBeatOnce_data();
    void everyBeatOnce();
    void firstBeatCarriesItsFollowingInterval();
    void tooShortOrEmpty();
};

void TestRecordingBeatFinder::everyBeatOnce_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("seconds");
    // The recording starts this long before the R of the synthesizer's fourth
    // beat (negative: after it).
    QTest::addColumn<double>("beforeR");
    QTest::addColumn<double>("flat");
    QTest::addColumn<bool>("averaged"); // every beat is a regular one of the average

    QTest::newRow("dog, first R at 0.4 s") << 100.0 << 10.0 << 0.4 << 0.0 << true;
    QTest::newRow("starts on an R") << 100.0 << 10.0 << 0.0 << 0.0 << true;
    QTest::newRow("starts inside a QRS") << 100.0 << 10.0 << -0.015 << 0.0 << true;
    QTest::newRow("starts just before a QRS") << 100.0 << 10.0 << 0.13 << 0.0 << true;
    QTest::newRow("starts in the T wave") << 100.0 << 10.0 << -0.25 << 0.0 << true;
    QTest::newRow("flat start") << 100.0 << 10.0 << 0.4 << 1.5 << true;
    QTest::newRow("shorter than the lead-in") << 120.0 << 4.0 << 0.3 << 0.0 << true;
    QTest::newRow("longer than the lead-in") << 90.0 << 45.0 << 0.3 << 0.0 << true;
    QTest::newRow("cat at 240/min") << 240.0 << 10.0 << 0.12 << 0.0 << true;
    QTest::newRow("horse at 30/min") << 30.0 << 16.0 << 0.6 << 0.0 << false;
}

void TestRecordingBeatFinder::everyBeatOnce()
{
    QFETCH(double, bpm);
    QFETCH(double, seconds);
    QFETCH(double, beforeR);
    QFETCH(double, flat);
    QFETCH(bool, averaged);
    // The fourth beat's R of the same synthesizer tells where to cut.
    TSynthParams probe;
    probe.seed = 5;
    probe.durationSeconds = 20.0 + 6 * 60.0 / bpm;
    probe.heartRateStart = probe.heartRateEnd = bpm;
    const double cut = TEcgSynthesizer(probe).beats().at(3).rTime - beforeR;
    const Recording r = synthesize(bpm, seconds, cut, flat);

    TRecordingBeatFinder finder(*r.buffer);
    std::vector<TBeat> found;
    finder.find([&](const TBeat& b) { found.push_back(b); });

    // Every beat found is a true beat, once, belongs to the recording, in order.
    std::vector<int> matches(r.rTimes.size(), 0);
    for (size_t k = 0; k < found.size(); ++k) {
        const double t = found[k].time();
        QVERIFY2(k == 0 || t > found[k - 1].time(), qPrintable(QString::number(t)));
        QCOMPARE(found[k].buffer(), static_cast<const TSignalBuffer*>(r.buffer.get()));
        const auto near = std::min_element(r.rTimes.begin(), r.rTimes.end(), [t](double a, double b) {
            return std::abs(a - t) < std::abs(b - t);
        });
        QVERIFY2(near != r.rTimes.end() && std::abs(*near - t) <= MatchSeconds,
                 qPrintable(QString("invented beat at %1 s").arg(t, 0, 'f', 3)));
        ++matches[size_t(near - r.rTimes.begin())];
    }
    // Every complex the recording holds whole is found, the first included.
    QStringList missing, doubled;
    for (size_t i = 0; i < r.rTimes.size(); ++i) {
        const double t = r.rTimes[i];
        if (matches[i] > 1)
            doubled.append(QString::number(t, 'f', 3));
        if (matches[i] == 0 && t >= flat + 0.12 && t <= seconds - 0.12)
            missing.append(QString::number(t, 'f', 3));
    }
    QVERIFY2(doubled.isEmpty(), qPrintable("doubled beats at " + doubled.join(", ")));
    QVERIFY2(missing.isEmpty(), qPrintable("missing beats at " + missing.join(", ")));

    if (!averaged)
        return;
    // The synthesized rhythm is regular: every beat is one of the average.
    TBeatAverager averager(finder.analysisSignal(), seconds + 1.0);
    for (const TBeat& b : found)
        averager.addBeat(b);
    QCOMPARE(averager.beatCount(), int(found.size()));
    QVERIFY(std::abs(averager.meanRR() - 60.0 / bpm) < 0.1 * 60.0 / bpm);
}

void TestRecordingBeatFinder::firstBeatCarriesItsFollowingInterval()
{
    const Recording r = synthesize(100.0, 10.0, 3.0, 0.0);
    TRecordingBeatFinder finder(*r.buffer);
    std::vector<TBeat> found;
    finder.find([&](const TBeat& b) { found.push_back(b); });
    QVERIFY(found.size() >= 3);
    const double following = found[1].time() - found[0].time();
    QVERIFY(found[0].hasValue(TBeat::RR));
    QCOMPARE(found[0].value(TBeat::RR), following);
    QVERIFY(found[0].value(TBeat::MeanRR) > 0.0);
    for (int lead = 0; lead < found[0].leadCount(); ++lead)
        if (found[0].leadValue(lead, TBeat::DetectionFlag) == 1.0)
            QCOMPARE(found[0].leadValue(lead, TBeat::LeadRR), following);
    // The later beats keep the detector's own interval.
    QVERIFY(std::abs(found[2].value(TBeat::RR) - (found[2].time() - found[1].time())) < 0.02);
}

void TestRecordingBeatFinder::tooShortOrEmpty()
{
    // No recording, a single sample, half a beat, a flat one: nothing invented.
    for (const auto& [seconds, flat] : {std::pair{0.0, 0.0}, {0.002, 0.0}, {0.5, 0.0}, {6.0, 6.0}}) {
        Recording r = synthesize(100.0, seconds, 3.0, flat);
        TRecordingBeatFinder finder(*r.buffer);
        int count = 0;
        finder.find([&](const TBeat&) { ++count; });
        QVERIFY2(count <= int(r.rTimes.size()), qPrintable(QString::number(seconds)));
    }
}

QTEST_GUILESS_MAIN(TestRecordingBeatFinder)
#include "tst_recordingbeatfinder.moc"
