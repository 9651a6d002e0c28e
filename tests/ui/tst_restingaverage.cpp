// The average a reviewed resting ECG is measured on is the one its recording
// was measured on when it stopped: the same samples at the analysis rate,
// however far into a long recording the averaged minutes begin.

#include "TBeatAverager.h"
#include "TBeatStore.h"
#include "TEcgSynthesizer.h"
#include "TLeadTable.h"
#include "TRecordingBeatFinder.h"
#include "TRestingAverage.h"
#include "TRestingMeasurement.h"
#include "TRingSignalBuffer.h"
#include "TSignalChannel.h"

#include <QtTest>
#include <memory>
#include <vector>

namespace {

constexpr int Rate = 500;

std::unique_ptr<TIntSignalBuffer> synthesize(double seconds, double bpm)
{
    TSynthParams params;
    params.seed = 11;
    params.durationSeconds = seconds + 1.0;
    params.heartRateStart = params.heartRateEnd = bpm;
    const TEcgSynthesizer synth(params);
    const int channels = TEcgSynthesizer::LeadCount;
    const int frames = int(seconds * Rate);
    auto buffer = std::make_unique<TIntSignalBuffer>(4096, frames + 1, channels, Rate);
    buffer->setGain(-params.gainMv, params.gainMv);
    for (int c = 0; c < channels; ++c)
        buffer->channel(c)->setName(TLeadTable::leadName(c));
    std::vector<qint16> block(size_t(Rate) * channels);
    for (int f = 0; f < frames; f += Rate) {
        const int n = std::min(Rate, frames - f);
        synth.render(f, n, block.data());
        buffer->append(block.data(), int(size_t(n) * channels * sizeof(qint16)));
    }
    return buffer;
}

} // namespace

class TestRestingAverage : public QObject
{
    Q_OBJECT

private slots:
    void sameAsTheRecordingsOwn_data();
    void sameAsTheRecordingsOwn();
    void noBeatsMeasuresNothing();
};

void TestRestingAverage::sameAsTheRecordingsOwn_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("bpm");
    QTest::newRow("30 s, all of it") << 30.0 << 100.0;
    // The last five minutes only, which start neither at the recording's start
    // nor on a whole analysis sample of its own.
    QTest::newRow("320 s, its last minutes") << 320.0 << 137.0;
}

void TestRestingAverage::sameAsTheRecordingsOwn()
{
    QFETCH(double, seconds);
    QFETCH(double, bpm);
    const std::unique_ptr<TIntSignalBuffer> recording = synthesize(seconds, bpm);
    TRecordingBeatFinder finder(*recording);
    TMemoryBeatStore beats;
    finder.find([&](const TBeat& beat) { beats.append(beat); });
    QVERIFY(beats.count() > int(seconds * bpm / 60.0) - 3);

    // As the recording was measured when it stopped.
    TBeatAverager recorded(finder.analysisSignal(), TRestingMeasurement::AveragingSeconds);
    for (int i = 0; i < beats.count(); ++i)
        recorded.addBeat(beats.beat(i));
    const int leadII = TRestingMeasurement::automaticLead(recording.get());
    const TMeasurementRecord expected = TRestingMeasurement::measure(recorded, leadII);

    TRestingAverage average(*recording, beats);
    TBeatAverager& reviewed = average.averager();
    QCOMPARE(reviewed.beatCount(), recorded.beatCount());
    QCOMPARE(reviewed.averagedBeatTimes(), recorded.averagedBeatTimes());
    QCOMPARE(reviewed.rIndex(), recorded.rIndex());
    for (int lead = 0; lead < recording->channelCount(); ++lead)
        QCOMPARE(reviewed.average(lead), recorded.average(lead));

    // Amplitudes measured at the recording's wave times come out as its own.
    TMeasurementRecord measured = expected;
    for (const char* key : {"PAmp", "QRSAmp", "TAmp", "RAmp"})
        measured.setValue(QLatin1String(key), -1.0);
    average.measureAmplitudes(measured, leadII);
    for (const char* key : {"PAmp", "QRSAmp", "TAmp", "RAmp"}) {
        QVERIFY2(expected.value(QLatin1String(key)) > 0.0, key);
        QCOMPARE(measured.value(QLatin1String(key)), expected.value(QLatin1String(key)));
    }
}

void TestRestingAverage::noBeatsMeasuresNothing()
{
    const std::unique_ptr<TIntSignalBuffer> recording = synthesize(5.0, 100.0);
    TMemoryBeatStore none;
    TRestingAverage average(*recording, none);
    QCOMPARE(average.averager().beatCount(), 0);
    TMeasurementRecord record;
    record.setValue(QStringLiteral("PAmp"), 0.3);
    average.measureAmplitudes(record, 1);
    QCOMPARE(record.value(QStringLiteral("PAmp")), 0.3);
    QVERIFY(!record.contains(QStringLiteral("RAmp")));
}

QTEST_GUILESS_MAIN(TestRestingAverage)
#include "tst_restingaverage.moc"
