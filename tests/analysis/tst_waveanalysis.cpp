#include "TBeatAverager.h"
#include "TEcgSynthesizer.h"
#include "TLeadSpread.h"
#include "TMeasurementRecord.h"
#include "TRRAverager.h"
#include "TRingSignalBuffer.h"
#include "TWaveConfidence.h"
#include "TWaveDelineator.h"
#include "TestSignals.h"

#include <QtTest>
#include <cmath>
#include <memory>

namespace {

const char* const leadNames[] = {"I", "II", "III", "aVR", "aVL", "aVF", "V1", "V2", "V3", "V4", "V5", "V6", "CM5", "CR5"};

// A synthesized recording in a buffer, with the beats of its ground truth as
// detected beats (fiducial at R, detected by every lead).
struct SynthRig
{
    explicit SynthRig(const TSynthParams& params, int leads = 14)
        : synth(params), buffer(4096, int(synth.frameCount()) + 10, leads, params.samplingRate)
    {
        buffer.setGain(-params.gainMv, params.gainMv);
        for (int c = 0; c < leads; ++c)
            buffer.channel(c)->setName(leadNames[c]);
        std::vector<qint16> frames(static_cast<size_t>(synth.frameCount()) * 14);
        synth.render(0, int(synth.frameCount()), frames.data());
        TestSignals::appendSignal(buffer, int(synth.frameCount()),
                                  [&](int c, int f) { return double(frames[size_t(f) * 14 + size_t(c)]); });
    }

    TBeat beat(int k, double meanRR) const
    {
        const TSynthBeat& b = synth.beats()[k];
        TBeat t(k + 1, &buffer);
        t.setValue(TBeat::Time, b.rTime);
        if (k > 0)
            t.setValue(TBeat::RR, b.rTime - synth.beats()[k - 1].rTime);
        t.setValue(TBeat::MeanRR, meanRR);
        for (int c = 0; c < buffer.channelCount(); ++c) {
            t.setLeadValue(c, TBeat::Fiducial, b.rTime);
            t.setLeadValue(c, TBeat::DetectionFlag, 1.0);
        }
        return t;
    }

    TEcgSynthesizer synth;
    TIntSignalBuffer buffer;
};

// A beat at time t with its RR and mean RR, detected by the given leads.
TBeat plainBeat(const TSignalBuffer* buffer, double t, double rr, double meanRR, std::initializer_list<int> leads)
{
    TBeat b(1, buffer);
    b.setValue(TBeat::Time, t);
    b.setValue(TBeat::RR, rr);
    b.setValue(TBeat::MeanRR, meanRR);
    for (int c : leads) {
        b.setLeadValue(c, TBeat::Fiducial, t);
        b.setLeadValue(c, TBeat::DetectionFlag, 1.0);
    }
    return b;
}


// A beat drawn from its waves, at 500 per second, in codes of 10 uV, with R at
// 0.45 s of a 1.2 s template; times in seconds from the start of the beat.
struct DrawnBeat
{
    static constexpr int Rate = 500;
    static constexpr double R = 0.45;
    std::vector<double> x = std::vector<double>(size_t(1.2 * Rate), 0.0);

    // Adds amplitude * sin^2(pi * phase(t)) for t in (start, end).
    template <typename Phase>
    void add(double start, double end, double amplitude, Phase phase)
    {
        for (int i = 0; i < int(x.size()); ++i) {
            const double t = double(i) / Rate;
            if (t > start && t < end)
                x[size_t(i)] += amplitude * std::pow(std::sin(M_PI * phase(t)), 2);
        }
    }
    // sin^2 bump from start to end.
    void bump(double start, double end, double amplitude)
    {
        add(start, end, amplitude, [=](double t) { return (t - start) / (end - start); });
    }
    // A wave rising over [start, peak] and returning over [peak, end], each half a
    // sin^2 flank: a slow return is a long second half.
    void skewed(double start, double peak, double end, double amplitude)
    {
        add(start, end, amplitude, [=](double t) {
            return t < peak ? 0.5 * (t - start) / (peak - start) : 0.5 + 0.5 * (t - peak) / (end - peak);
        });
    }
    // A level held from start to end: reached over rise seconds, left over fall
    // seconds, each a sin^2 flank (an elevated stretch after the T wave).
    void shelf(double start, double end, double rise, double fall, double level)
    {
        add(start, end, level, [=](double t) {
            return t < start + rise ? 0.5 * (t - start) / rise : t > end - fall ? 0.5 * (end - t) / fall : 0.5;
        });
    }
    // Atrial fibrillation: irregular low waves of 5 to 8 per second.
    void fibrillation(double amplitude)
    {
        for (int i = 0; i < int(x.size()); ++i) {
            const double t = double(i) / Rate;
            x[size_t(i)] += amplitude * (0.6 * std::sin(2 * M_PI * 5.3 * t) + 0.4 * std::sin(2 * M_PI * 7.9 * t + 1.0));
        }
    }
    // A ripple of a few codes (what muscle noise leaves in an average).
    void ripple(double amplitude)
    {
        for (int i = 0; i < int(x.size()); ++i) {
            const double t = double(i) / Rate;
            x[size_t(i)] += amplitude * (std::sin(2 * M_PI * 23.0 * t) + 0.7 * std::sin(2 * M_PI * 37.0 * t + 2.0));
        }
    }
    double ms(int index) const { return index < 0 ? -1e9 : 1000.0 * double(index) / Rate; }
};

// A beat of one of the shapes of the wave tests, its true points in ms from
// the start of the beat.
DrawnBeat shapedBeat(const QString& shape, double pOnset, double qrsOnset, double qrsEnd, double tEnd)
{
    DrawnBeat b;
    const double q = qrsOnset / 1000.0;
    if (shape == "broad P")
        b.bump(pOnset / 1000.0, q - 0.06, 6.0); // 60 uV over 150 ms
    else if (shape == "sharp P")
        b.bump(pOnset / 1000.0, q - 0.03, 45.0); // 450 uV over 50 ms
    else if (shape == "P with a later component") {
        // 120 uV over 80 ms, and a lower, later component of 90 uV from 30 ms
        // into it, held until it falls within the last 30 ms of 130.
        b.bump(pOnset / 1000.0, pOnset / 1000.0 + 0.08, 12.0);
        b.shelf(pOnset / 1000.0 + 0.03, pOnset / 1000.0 + 0.13, 0.02, 0.03, 9.0);
    } else if (shape == "AF")
        b.fibrillation(1.5); // what is left of them in an average
    else if (shape == "coarse AF" || shape == "AF low T")
        b.fibrillation(7.0); // coarse waves, as in one beat or a short average
    else if (shape == "no P")
        ; // a P wave isoelectric in the lead
    else if (shape == "paced") {
        // An atrial pacing spike as an average at the analysis rate shows it
        // (800 uV over 14 ms), the small P wave after it.
        b.bump(pOnset / 1000.0, pOnset / 1000.0 + 0.014, 80.0);
        b.bump(pOnset / 1000.0 + 0.01, q - 0.07, 8.0);
    }
    else
        b.bump(pOnset / 1000.0, q - 0.07, 15.0);
    if (shape == "wide QRS") {
        // A bundle branch block: a broad notched R and a slow slur back to the baseline.
        b.bump(q, q + 0.09, 120.0);
        b.bump(q + 0.06, q + 0.13, 60.0);
        b.skewed(q + 0.11, q + 0.12, qrsEnd / 1000.0, -25.0);
        b.skewed(qrsEnd / 1000.0 + 0.08, qrsEnd / 1000.0 + 0.2, tEnd / 1000.0, -35.0);
    } else if (shape == "slow S") {
        b.bump(q, q + 0.1, 150.0);
        b.skewed(q + 0.07, q + 0.09, qrsEnd / 1000.0, -45.0); // returns over 90 ms
        b.skewed(qrsEnd / 1000.0 + 0.08, qrsEnd / 1000.0 + 0.2, tEnd / 1000.0, 35.0);
    } else if (shape == "narrow R") {
        b.bump(q, q + 0.014, -15.0);
        b.bump(q + 0.008, 0.44, 150.0);
        b.bump(0.43, qrsEnd / 1000.0, -40.0);
        b.skewed(0.6, 0.7, tEnd / 1000.0, 35.0);
    } else {
        b.bump(q, q + 0.014, -15.0);
        b.bump(q + 0.008, q + 0.045, 150.0);
        b.bump(q + 0.035, qrsEnd / 1000.0, -40.0);
        if (shape == "slow T") {
            b.skewed(q + 0.22, q + 0.33, tEnd / 1000.0, 35.0); // returns over 170 ms
        } else if (shape == "AF low T") {
            // A T wave of 90 uV among fibrillation waves of 140 uV from crest to
            // trough: one more of them.
            b.skewed(q + 0.2, q + 0.3, tEnd / 1000.0, 9.0);
        } else if (shape == "flat T") {
            // A T wave of 10 uV in a ripple of about as much: no end to place.
            b.skewed(q + 0.2, q + 0.3, tEnd / 1000.0, 1.0);
            b.ripple(0.6);
        } else if (shape == "T in two phases") {
            // A negative T wave from the QRS end, returning at 720 ms, then a low
            // positive wave to 900 ms: its second phase or a U wave.
            b.skewed(qrsEnd / 1000.0, qrsEnd / 1000.0 + 0.11, 0.72, -30.0);
            b.bump(0.72, 0.90, 5.0);
        } else if (shape == "T and U") {
            // A T wave ending at 800 ms and a U wave of 400 uV run into it, to
            // 980 ms: one broad wave, level from the T wave's peak to the U wave's.
            b.skewed(q + 0.2, q + 0.3, 0.80, 35.0);
            b.bump(0.66, 0.98, 40.0);
        } else if (shape == "early T") {
            b.skewed(q + 0.1, q + 0.2, 0.72, 30.0); // ends at 720 ms
        } else if (shape == "shelf") {
            // 300 uV T wave returning over 80 ms onto a 300 uV stretch that falls within 40 ms.
            b.skewed(q + 0.2, q + 0.3, tEnd / 1000.0, 30.0);
            b.shelf(q + 0.1, q + 0.52, 0.1, 0.04, 30.0);
        } else {
            b.skewed(q + 0.2, q + 0.3, tEnd / 1000.0, 35.0);
        }
    }
    return b;
}

// Ten beats of 1.2 s, each lead drawn from its own beat, every beat detected
// by every lead, averaged as a resting ECG's are.
struct DrawnRecording
{
    static constexpr int Beats = 10;

    DrawnRecording(const std::vector<DrawnBeat>& leads, const QStringList& names)
        : length(int(leads.front().x.size())),
          buffer(4096, length * Beats + 10, int(leads.size()), DrawnBeat::Rate),
          averager(&buffer, 20.0)
    {
        buffer.setGain(-327.68, 327.68); // 10 uV per code
        for (int c = 0; c < int(leads.size()); ++c)
            buffer.channel(c)->setName(names.value(c).toLatin1());
        TestSignals::appendSignal(buffer, length * Beats,
                                  [&](int c, int f) { return std::round(leads[size_t(c)].x[size_t(f % length)]); });
        const double rr = double(length) / DrawnBeat::Rate;
        for (int k = 1; k < Beats - 1; ++k) {
            const double t = k * rr + DrawnBeat::R;
            TBeat beat = plainBeat(&buffer, t, rr, rr, {});
            for (int c = 0; c < int(leads.size()); ++c) {
                beat.setLeadValue(c, TBeat::Fiducial, t);
                beat.setLeadValue(c, TBeat::DetectionFlag, 1.0);
            }
            averager.addBeat(beat);
        }
    }

    int length;
    TIntSignalBuffer buffer;
    TBeatAverager averager;
};

QStringList twelveLeads()
{
    QStringList names;
    for (int c = 0; c < 12; ++c)
        names << leadNames[c];
    return names;
}

} // namespace

class TestWaveAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void rrAveragerMeanBeforeWrite();
    void irregularRhythmIsAveraged_data();
    void irregularRhythmIsAveraged();
    void averageKeepsTheDominantShape_data();
    void averageKeepsTheDominantShape();
    void referenceChannelHasMostBeats();
    void averageIsAlignedAndMeanRemoved();
    void windowDropsOldBeats();
    void standardErrorOfTheAverage();
    void templateFollowsTheRate_data();
    void templateFollowsTheRate();
    void newTemplateReadsSegmentsAgain();
    void referenceBeatIsTakenAndCleared();
    void useBeatShowsOneBeat();
    void delineatesSynthesizedBeats_data();
    void delineatesSynthesizedBeats();
    void delineatesWaveShapes_data();
    void delineatesWaveShapes();
    void flatBeatHasNoWaves();
    void sharedPWave_data();
    void sharedPWave();
    void pWaveFromTheOtherLeads_data();
    void pWaveFromTheOtherLeads();
    void withholdsWhatCannotBePlaced_data();
    void withholdsWhatCannotBePlaced();
    void measurementWithholdsWhatCannotBePlaced_data();
    void measurementWithholdsWhatCannotBePlaced();
    void tWaveInTwoPhasesReadAsTheLeadsReadIt_data();
    void tWaveInTwoPhasesReadAsTheLeadsReadIt();
    void tEndNoOtherLeadReaches_data();
    void tEndNoOtherLeadReaches();
    void pWaveEndsAfterItsLastComponent_data();
    void pWaveEndsAfterItsLastComponent();
    void irregularlyIrregularRhythm_data();
    void irregularlyIrregularRhythm();
    void samePointsAtEveryRate_data();
    void samePointsAtEveryRate();
    void pWaveAboveTheSignalsResolution_data();
    void pWaveAboveTheSignalsResolution();
    void wavesNoShorterThanInTheMedianLead_data();
    void wavesNoShorterThanInTheMedianLead();
    void leadSpreadKeepsTheWavesInOrder_data();
    void leadSpreadKeepsTheWavesInOrder();
    void twoLeadsBeginTheirWavesTogether();
    void derivedIntervals_data();
    void derivedIntervals();
    void qrsAxis_data();
    void qrsAxis();
    void axisNeedsLeadsIAndIII();
};

void TestWaveAnalysis::rrAveragerMeanBeforeWrite()
{
    TRRAverager a;
    QCOMPARE(a.push(0.5), 0.0);
    QCOMPARE(a.push(0.7), 0.5);
    QCOMPARE(a.push(0.0), 0.6); // a zero is written but never counted
    QCOMPARE(a.filledSlots(), 2);
    for (int i = 0; i < 8; ++i)
        a.push(1.0);
    QCOMPARE(a.mean(), 1.0); // the first values have been overwritten
    QCOMPARE(a.lastMean(), 1.0);
    a.clear();
    QCOMPARE(a.mean(), 0.0);
}

void TestWaveAnalysis::averageKeepsTheDominantShape_data()
{
    // Beats every 0.8 s; every n-th a broad inverted complex at the same rate
    // (0: none); fiducials scattered by up to this many ms; muscle noise of this
    // many codes; the complexes' size swinging with breathing by this share.
    QTest::addColumn<int>("otherEvery");
    QTest::addColumn<double>("jitterMs");
    QTest::addColumn<double>("noise");
    QTest::addColumn<double>("breathing");
    // Each lead disturbed over one beat (an electrode pop in one, a cable tug
    // in the other): those beats leave that lead's average only.
    QTest::addColumn<bool>("disturbed");
    QTest::addColumn<int>("averaged");
    QTest::newRow("one shape") << 0 << 0.0 << 0.0 << 0.0 << false << 21;
    QTest::newRow("one shape, breathing, fiducials scattered") << 0 << 4.0 << 0.0 << 0.3 << false << 21;
    QTest::newRow("one shape in muscle noise") << 0 << 2.0 << 250.0 << 0.2 << false << 21;
    QTest::newRow("every third a ventricular beat at the same rate") << 3 << 2.0 << 3.0 << 0.2 << false << 14;
    QTest::newRow("every other one but one") << 2 << 2.0 << 3.0 << 0.0 << false << 12;
    QTest::newRow("every third ventricular, each lead disturbed once") << 3 << 2.0 << 3.0 << 0.2 << true << 14;
    // Half and half: no shape is the stretch's; the average is of one of them
    // whole, the one of the most typical beat, never a blend of the two.
    QTest::newRow("every other one, seven and seven") << -2 << 2.0 << 3.0 << 0.0 << false << 7;
}

void TestWaveAnalysis::averageKeepsTheDominantShape()
{
    QFETCH(int, otherEvery);
    QFETCH(double, jitterMs);
    QFETCH(double, noise);
    QFETCH(double, breathing);
    QFETCH(bool, disturbed);
    QFETCH(int, averaged);
    constexpr int rate = 500, length = 20 * rate;
    std::vector<std::vector<qint16>> columns(2, std::vector<qint16>(size_t(length), 0));
    std::vector<double> x(static_cast<size_t>(length), 0.0);
    auto wave = [&](double centre, double width, double amplitude) {
        for (int i = std::max(0, int((centre - width) * rate)); i < std::min(length, int((centre + width) * rate)); ++i) {
            const double u = (double(i) / rate - centre) / width;
            x[size_t(i)] += amplitude * std::exp(-8.0 * u * u);
        }
    };
    std::vector<TBeat> beats;
    std::vector<bool> other;
    quint32 seed = 7;
    auto uniform = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return double(seed >> 8) / double(1u << 24) - 0.5;
    };
    const int count = otherEvery == -2 ? 14 : 21;
    for (int k = 0; k < count; ++k) {
        const double t = 1.2 + 0.8 * k;
        const double size = 1.0 + breathing * std::sin(2.0 * M_PI * t / 3.3);
        // "Every other one but one": the second of each pair of the same shape.
        const bool ventricular = otherEvery == -2  ? k % 2 == 1
                                 : otherEvery == 2 ? k % 2 == 1 && k != 19
                                                   : otherEvery > 0 && k % otherEvery == 0;
        if (ventricular) {
            wave(t, 0.07, -600.0 * size);
            wave(t + 0.08, 0.06, 250.0 * size);
        } else {
            wave(t - 0.02, 0.012, -80.0 * size);
            wave(t, 0.02, 1000.0 * size);
            wave(t + 0.025, 0.015, -200.0 * size);
        }
        wave(t + 0.3, 0.12, 150.0);
        TBeat b = plainBeat(nullptr, t + jitterMs / 1000.0 * 2.0 * uniform(), 0.8, 0.8, {0, 1});
        if (disturbed && (k == 5 || k == 8))
            b.setLeadValue(k == 5 ? 0 : 1, TBeat::Flag8, 1.0);
        beats.push_back(b);
        other.push_back(ventricular);
    }
    for (int i = 0; i < length; ++i) {
        columns[0][size_t(i)] = qint16(std::lround(x[size_t(i)] + noise * 2.0 * uniform()));
        columns[1][size_t(i)] = qint16(std::lround(0.5 * x[size_t(i)] + noise * 2.0 * uniform()));
    }
    TIntSignalBuffer buffer(4096, length, 2, rate);
    const qint16* pointers[] = {columns[0].data(), columns[1].data()};
    buffer.appendChannels(pointers, length);
    TBeatAverager averager(&buffer, 20.0);
    for (TBeat& b : beats) {
        b.setBuffer(&buffer);
        averager.addBeat(b);
    }
    QCOMPARE(averager.beatCount(), averaged);
    const std::vector<double>& a = averager.average(0);
    const int r = averager.rIndex();
    if (otherEvery == -2 && a[size_t(r)] < 0.0) {
        // The broad inverted complex whole.
        QVERIFY2(a[size_t(r)] < -500.0, qPrintable(QString::number(a[size_t(r)])));
        return;
    }
    // The average is the dominant beat's: its tall narrow R, no broad inverted complex.
    QVERIFY2(a[size_t(r)] > 700.0, qPrintable(QString::number(a[size_t(r)])));
    QVERIFY2(*std::min_element(a.begin() + r - 50, a.begin() + r + 50) > -300.0,
             qPrintable(QString::number(*std::min_element(a.begin() + r - 50, a.begin() + r + 50))));
}

void TestWaveAnalysis::irregularRhythmIsAveraged_data()
{
    // Intervals of a stretch, the detector's mean RR, and the beats averaged.
    QTest::addColumn<QVector<double>>("intervals");
    QTest::addColumn<double>("meanRR");
    QTest::addColumn<int>("averaged");
    // One beat against the rule for regular beats.
    QTest::newRow("regular") << QVector<double>{0.60} << 0.60 << 1;
    QTest::newRow("RR 0.19 s") << QVector<double>{0.19} << 0.19 << 0;
    QTest::newRow("RR 2.4 s, a horse at 25/min") << QVector<double>{2.4} << 2.4 << 1;
    QTest::newRow("RR 2.6 s") << QVector<double>{2.6} << 2.6 << 0;
    QTest::newRow("25 % longer than the mean") << QVector<double>{0.75} << 0.60 << 0;
    QTest::newRow("17 % shorter than the mean") << QVector<double>{0.50} << 0.60 << 0;
    QTest::newRow("14 % shorter than the mean") << QVector<double>{0.516} << 0.60 << 1;
    QTest::newRow("mean not yet known") << QVector<double>{0.60} << 0.0 << 0;
    // Atrial fibrillation: the mean lies among intervals of every length; all
    // count but the early 0.35 s and the beat it follows.
    QTest::newRow("atrial fibrillation")
        << QVector<double>{0.52, 0.91, 0.63, 0.75, 1.05, 0.35, 0.82, 0.58, 0.97, 0.69, 0.6, 0.88} << 0.72 << 10;
    // A strong sinus arrhythmia of a resting dog, +-40 % with breathing.
    QTest::newRow("sinus arrhythmia")
        << QVector<double>{0.45, 0.6, 0.85, 0.95, 0.8, 0.55, 0.42, 0.5, 0.75, 0.95, 0.9, 0.6} << 0.69 << 12;
    // A regular rhythm with one early beat keeps the regular rule: the early beat,
    // the beat before it and the pause after it stay out.
    QTest::newRow("regular, one early beat")
        << QVector<double>{0.6, 0.61, 0.59, 0.6, 0.37, 0.83, 0.6, 0.6, 0.61, 0.6, 0.59, 0.6} << 0.6 << 9;
}

void TestWaveAnalysis::irregularRhythmIsAveraged()
{
    QFETCH(QVector<double>, intervals);
    QFETCH(double, meanRR);
    QFETCH(int, averaged);
    TIntSignalBuffer buffer(4096, 20000, 2, 500);
    TBeatAverager averager(&buffer, 20.0);
    double t = 2.0;
    for (double rr : intervals) {
        t += rr;
        averager.addBeat(plainBeat(&buffer, t, rr, meanRR, {0, 1}));
    }
    QCOMPARE(averager.beatCount(), averaged);
    if (intervals.size() == 1)
        QCOMPARE(averager.meanRR(), averaged ? intervals[0] : 0.0);
}

void TestWaveAnalysis::referenceChannelHasMostBeats()
{
    TIntSignalBuffer buffer(4096, 10000, 3, 500);
    {
        TBeatAverager averager(&buffer, 20.0);
        averager.addBeat(plainBeat(&buffer, 1.0, 0.6, 0.6, {1, 2}));
        averager.addBeat(plainBeat(&buffer, 1.6, 0.6, 0.6, {2}));
        QCOMPARE(averager.referenceChannel(), 2);
    }
    {
        TBeatAverager averager(&buffer, 20.0);
        averager.addBeat(plainBeat(&buffer, 1.0, 0.6, 0.6, {0, 1, 2}));
        QCOMPARE(averager.referenceChannel(), 0); // ties go to the lowest channel
    }
    {
        // A beat the reference channel did not detect is not averaged.
        TBeatAverager averager(&buffer, 20.0);
        averager.addBeat(plainBeat(&buffer, 1.0, 0.6, 0.6, {1}));
        averager.addBeat(plainBeat(&buffer, 1.6, 0.6, 0.6, {1}));
        averager.addBeat(plainBeat(&buffer, 2.2, 0.6, 0.6, {0}));
        QCOMPARE(averager.referenceChannel(), 1);
        QCOMPARE(averager.beatCount(), 2);
    }
}

void TestWaveAnalysis::averageIsAlignedAndMeanRemoved()
{
    // Two beats: a spike of 100 codes at each fiducial on a DC level of 40. The
    // average has the spike at the R index and no DC.
    TIntSignalBuffer buffer(4096, 10000, 1, 500);
    TestSignals::appendSignal(buffer, 3000, [](int, int i) { return i == 1000 || i == 2000 ? 140.0 : 40.0; });
    TBeatAverager averager(&buffer, 20.0);
    QCOMPARE(averager.templateLength(), 400); // the shortest before any average
    QCOMPARE(averager.rIndex(), 150);
    averager.addBeat(plainBeat(&buffer, 2.0, 0.6, 0.6, {0}));
    averager.addBeat(plainBeat(&buffer, 4.0, 0.6, 0.6, {0}));
    const std::vector<double>& a = averager.average(0);
    QCOMPARE(int(a.size()), 400);
    QCOMPARE(a[150], 100.0 - 100.0 / 400);
    QCOMPARE(a[149], -100.0 / 400);
    double sum = 0.0;
    for (double v : a)
        sum += v;
    QVERIFY(std::abs(sum) < 1e-9);
    QVERIFY(averager.average(1).empty());
}

void TestWaveAnalysis::standardErrorOfTheAverage()
{
    // Beats every 0.6 s, a spike at each R; in the stretch 100 to 60 ms before R
    // every other beat is 20 codes higher than the rest. The average's standard
    // error there is the spread of 20 codes split evenly, 10, over sqrt(n - 1);
    // where the beats agree it is 0.
    TIntSignalBuffer buffer(4096, 20000, 1, 500);
    const int beats = 17; // from 1.5 s on, every one whole in the recording
    TestSignals::appendSignal(buffer, 20 * 300, [](int, int i) {
        const int k = i / 300, inBeat = i % 300; // R at 150 of each 0.6 s
        const bool raised = k % 2 == 1 && inBeat >= 100 && inBeat < 120;
        return (inBeat == 150 ? 300.0 : 0.0) + (raised ? 20.0 : 0.0);
    });
    TBeatAverager averager(&buffer, 20.0);
    for (int k = 0; k < 2; ++k)
        averager.addBeat(plainBeat(&buffer, (300.0 * (k + 2) + 150) / 500, 0.6, 0.6, {0}));
    QVERIFY2(averager.standardError(0).empty(), "two beats tell no spread");
    for (int k = 2; k < beats; ++k)
        averager.addBeat(plainBeat(&buffer, (300.0 * (k + 2) + 150) / 500, 0.6, 0.6, {0}));
    const int n = averager.beatCount();
    QCOMPARE(n, beats);
    const std::vector<double> error = averager.standardError(0);
    QCOMPARE(int(error.size()), averager.templateLength());
    const int r = averager.rIndex();
    // The raised beats are the odd ones of the recording (k + 2 odd).
    int raised = 0;
    for (int k = 0; k < beats; ++k)
        raised += (k + 2) % 2 == 1;
    const double share = double(raised) / n;
    // Each segment loses its own mean (20 codes over 20 of its samples): the
    // spread is the same everywhere but in the raised stretch.
    const double spread = 20.0 * std::sqrt(share * (1.0 - share));
    const double outside = spread * 20.0 / averager.templateLength();
    const double inside = spread * (1.0 - 20.0 / averager.templateLength());
    QVERIFY2(std::abs(error[size_t(r - 40)] - inside / std::sqrt(n - 1.0)) < 1e-9, qPrintable(QString::number(error[size_t(r - 40)])));
    QVERIFY2(std::abs(error[size_t(r)] - outside / std::sqrt(n - 1.0)) < 1e-9, qPrintable(QString::number(error[size_t(r)])));
    QVERIFY(averager.standardError(1).empty());
}

void TestWaveAnalysis::windowDropsOldBeats()
{
    TIntSignalBuffer buffer(4096, 100000, 1, 500);
    TBeatAverager averager(&buffer, 20.0);
    for (int i = 0; i < 50; ++i)
        averager.addBeat(plainBeat(&buffer, 1.0 + i * 0.6, 0.6, 0.6, {0}));
    // Beats older than the newest time (30.4 s) minus 20 s are gone.
    QCOMPARE(averager.recentBeatCount(), 34);
    QCOMPARE(averager.beatCount(), 34);
}

void TestWaveAnalysis::templateFollowsTheRate_data()
{
    QTest::addColumn<double>("rr");
    QTest::addColumn<int>("rIndex");
    QTest::addColumn<int>("length");
    // 500 samples per second: at least 0.3 s before R and 0.5 s after; at slower
    // rates 35 % and 65 % of the RR, in whole steps of 40 ms.
    QTest::newRow("cat, 240/min") << 0.25 << 150 << 400;
    QTest::newRow("60/min") << 1.0 << 180 << 520;
    QTest::newRow("horse, 25/min") << 2.4 << 420 << 1200;
}

void TestWaveAnalysis::templateFollowsTheRate()
{
    QFETCH(double, rr);
    QFETCH(int, rIndex);
    QFETCH(int, length);
    // A spike at every R: the average has it at the R index, whatever the template.
    TIntSignalBuffer buffer(4096, 30000, 1, 500);
    std::vector<qint16> x(30000, 0);
    std::vector<double> times;
    for (double t = 3.0; t < 20.0; t += rr) {
        times.push_back(t);
        x[size_t(std::lround(t * 500))] = 100;
    }
    const qint16* column = x.data();
    buffer.appendChannels(&column, int(x.size()));
    TBeatAverager averager(&buffer, 20.0);
    for (size_t k = 1; k < times.size(); ++k)
        averager.addBeat(plainBeat(&buffer, times[k], rr, rr, {0}));
    QVERIFY(averager.beatCount() > 0);
    QCOMPARE(averager.templateLength(), length);
    QCOMPARE(averager.rIndex(), rIndex);
    const std::vector<double>& a = averager.average(0);
    QCOMPARE(int(a.size()), length);
    // (At 240/min the neighbouring beats' spikes are in the template too.)
    QCOMPARE(a[size_t(rIndex)], *std::max_element(a.begin(), a.end()));
    QVERIFY(a[size_t(rIndex)] > 50.0);
}

void TestWaveAnalysis::newTemplateReadsSegmentsAgain()
{
    // Beats averaged in the shortest template, then slower ones that lengthen it:
    // the average is that of an averager given all the beats at once, and the
    // reference taken before keeps its own template.
    TIntSignalBuffer buffer(4096, 20000, 2, 500);
    std::vector<TBeat> beats;
    double t = 2.0;
    for (int k = 0; k < 10; ++k, t += 0.6)
        beats.push_back(plainBeat(&buffer, t, 0.6, 0.6, {0, 1}));
    for (int k = 0; k < 10; ++k, t += 1.2)
        beats.push_back(plainBeat(&buffer, t, 1.2, 1.2, {0, 1}));
    // Every sample its own value, and a complex at each beat (they are all alike).
    TestSignals::appendSignal(buffer, 20000, [&](int c, int i) {
        double complex = 0.0;
        for (const TBeat& b : beats)
            complex += 2000.0 * std::exp(-0.5 * std::pow((double(i) / 500.0 - b.time()) / 0.01, 2));
        return c == 0 ? 100 * std::sin(i * 0.013) + 30 * std::sin(i * 0.17) + complex
                      : 80 * std::cos(i * 0.007) + double(i % 97) + complex;
    });

    TBeatAverager stepwise(&buffer, 20.0);
    for (int k = 0; k < 10; ++k)
        stepwise.addBeat(beats[size_t(k)]);
    QCOMPARE(stepwise.average(1).size(), size_t(400));
    stepwise.takeReference();
    const std::vector<double> reference = stepwise.referenceBeat(1);
    for (size_t k = 10; k < beats.size(); ++k)
        stepwise.addBeat(beats[k]);

    TBeatAverager atOnce(&buffer, 20.0);
    for (const TBeat& b : beats)
        atOnce.addBeat(b);
    QCOMPARE(atOnce.beatCount(), 20);
    QCOMPARE(atOnce.templateLength(), 460); // mean RR 0.9 s: 0.32 s before R, 0.6 s after
    QCOMPARE(stepwise.templateLength(), atOnce.templateLength());
    QCOMPARE(stepwise.rIndex(), atOnce.rIndex());
    for (int c = 0; c < 2; ++c)
        QVERIFY(stepwise.average(c) == atOnce.average(c));
    QVERIFY(stepwise.referenceBeat(1) == reference);
    QCOMPARE(stepwise.referenceRIndex(), 150);
}

void TestWaveAnalysis::referenceBeatIsTakenAndCleared()
{
    TSynthParams p;
    p.durationSeconds = 20;
    SynthRig rig(p, 2);
    TBeatAverager averager(&rig.buffer, 20.0);
    QVERIFY(!averager.hasReference());
    QVERIFY(averager.referenceBeat(0) == std::vector<double>(400, 0.0));
    for (int k = 1; k < 10; ++k)
        averager.addBeat(rig.beat(k, 0.6));
    averager.takeReference(); // recomputes the stale average first
    QVERIFY(averager.hasReference());
    QVERIFY(averager.referenceBeat(1) == averager.average(1));
    QVERIFY(*std::max_element(averager.referenceBeat(1).begin(), averager.referenceBeat(1).end()) > 100);
    for (int k = 10; k < 20; ++k)
        averager.addBeat(rig.beat(k, 0.6));
    QVERIFY(averager.hasReference()); // new beats do not touch it
    averager.reset();
    QVERIFY(averager.hasReference());
    QCOMPARE(averager.beatCount(), 0);
    averager.setSource(&rig.buffer);
    QVERIFY(!averager.hasReference());
    QVERIFY(averager.referenceBeat(1) == std::vector<double>(400, 0.0));
}

void TestWaveAnalysis::useBeatShowsOneBeat()
{
    TSynthParams p;
    p.durationSeconds = 10;
    SynthRig rig(p, 2);
    TBeatAverager averager(&rig.buffer, 20.0);
    TBeat beat = rig.beat(5, 0.6);
    beat.clearLeadValue(0, TBeat::Fiducial); // aligned on the first channel that has one
    averager.useBeat(beat);
    QCOMPARE(averager.beatCount(), 1);
    QCOMPARE(averager.meanRR(), beat.value(TBeat::RR));
    QCOMPARE(averager.referenceChannel(), 1);
    const std::vector<double>& a = averager.average(1);
    const int peak = int(std::max_element(a.begin(), a.end()) - a.begin());
    QVERIFY(std::abs(peak - averager.rIndex()) <= 1);
}

void TestWaveAnalysis::delineatesSynthesizedBeats_data()
{
    QTest::addColumn<double>("heartRate");
    QTest::addColumn<bool>("noisy");
    for (double hr : {60.0, 100.0, 150.0, 200.0}) {
        QTest::newRow(qPrintable(QString("%1 bpm clean").arg(hr))) << hr << false;
        QTest::newRow(qPrintable(QString("%1 bpm noisy").arg(hr))) << hr << true;
    }
}

void TestWaveAnalysis::delineatesSynthesizedBeats()
{
    // Beats averaged on their true R: the delineation alone within 10 ms of the
    // truth for P onset and the QRS, 25 ms for the T end.
    QFETCH(double, heartRate);
    QFETCH(bool, noisy);
    TSynthParams p;
    p.durationSeconds = 25;
    p.heartRateStart = p.heartRateEnd = heartRate;
    p.sinusArrhythmia = 0.03;
    if (noisy) {
        p.muscleNoiseUv = 20;
        p.baselineWanderMv = 0.1;
    } else {
        p.muscleNoiseUv = p.baselineWanderMv = p.mainsUv = 0;
    }
    SynthRig rig(p);
    TBeatAverager averager(&rig.buffer, 20.0);
    const auto& beats = rig.synth.beats();
    for (int k = 0; k < beats.size(); ++k)
        averager.addBeat(rig.beat(k, 60.0 / heartRate));
    const TSynthBeat& truth = beats[beats.size() - 2];
    const TMeasurementRecord m = TMeasurementRecord::measure(averager, 1);
    QCOMPARE(m.value("measurementChannel"), 1.0);
    auto error = [&](const char* key, double truthTime) { return 1000.0 * (m.value(key) - (truthTime - truth.rTime)); };
    QVERIFY2(std::abs(error("POnset", truth.pOnset)) <= 10, qPrintable(QString::number(error("POnset", truth.pOnset))));
    QVERIFY2(std::abs(error("QRSOnset", truth.qrsOnset)) <= 10,
             qPrintable(QString::number(error("QRSOnset", truth.qrsOnset))));
    QVERIFY2(std::abs(error("QRSOffset", truth.qrsEnd)) <= 10,
             qPrintable(QString::number(error("QRSOffset", truth.qrsEnd))));
    QVERIFY2(std::abs(error("TOffset", truth.tEnd)) <= 25, qPrintable(QString::number(error("TOffset", truth.tEnd))));
    QVERIFY(std::abs(m.value("avgRRInterval") - 60.0 / heartRate) < 0.02);
    QVERIFY2(std::abs(m.value("QRSAxis") - 70.0) < 5.0, qPrintable(QString::number(m.value("QRSAxis"))));
    QVERIFY(m.prMs() && m.qrsMs() && m.qtMs() && m.qtcMs());
}

void TestWaveAnalysis::delineatesWaveShapes_data()
{
    // Shapes the average beats of real animals have, at RR 1 s, with the true
    // points (ms from the start of the beat; -1: none) and what they may miss by.
    QTest::addColumn<QString>("shape");
    QTest::addColumn<double>("pOnset");
    QTest::addColumn<double>("qrsOnset");
    QTest::addColumn<double>("qrsEnd");
    QTest::addColumn<double>("tEnd");
    QTest::newRow("T wave with a slow return") << "slow T" << 230.0 << 400.0 << 470.0 << 900.0;
    QTest::newRow("low broad P wave") << "broad P" << 190.0 << 400.0 << 470.0 << 800.0;
    QTest::newRow("wide QRS, slurred end") << "wide QRS" << 230.0 << 400.0 << 600.0 << 950.0;
    QTest::newRow("atrial fibrillation, no P wave") << "AF" << -1.0 << 400.0 << 470.0 << 800.0;
    // A tall narrow P wave ending 30 ms before the QRS: its falling slope is as
    // steep as a fifth of R's, yet it is no part of the complex.
    QTest::newRow("sharp P wave close before the QRS") << "sharp P" << 320.0 << 400.0 << 470.0 << 800.0;
    // The T wave returns onto a raised TP stretch that drops later, more steeply
    // than the T wave returned: the T wave ends where its own return levels off.
    QTest::newRow("T wave returning onto a raised stretch") << "shelf" << 230.0 << 400.0 << 470.0 << 780.0;
    // A q wave, a narrow R and a slow S wave: R is found on the S wave, after
    // every steep flank of the complex.
    QTest::newRow("narrow R, fiducial on a slow S wave") << "narrow R" << 230.0 << 416.0 << 470.0 << 800.0;
    // A bundle branch block's broad R and deep S wave returning slowly: the
    // S wave's rounded bottom is no end of the complex.
    QTest::newRow("broad R, slow return of a deep S wave") << "slow S" << 230.0 << 400.0 << 580.0 << 950.0;
}

void TestWaveAnalysis::delineatesWaveShapes()
{
    QFETCH(QString, shape);
    QFETCH(double, pOnset);
    QFETCH(double, qrsOnset);
    QFETCH(double, qrsEnd);
    QFETCH(double, tEnd);
    const DrawnBeat b = shapedBeat(shape, pOnset, qrsOnset, qrsEnd, tEnd);
    const int r = int(DrawnBeat::R * DrawnBeat::Rate);
    const TWavePoints p = TWaveDelineator().measure(b.x.data(), int(b.x.size()), DrawnBeat::Rate, r, DrawnBeat::Rate);
    QStringList off;
    auto check = [&](const char* name, int index, double truth, double tolerance) {
        if (truth < 0.0)
            return;
        if (std::abs(b.ms(index) - truth) > tolerance)
            off << QString("%1 at %2 ms, not %3").arg(name).arg(index < 0 ? -1.0 : b.ms(index)).arg(truth);
    };
    check("P onset", p.pOnset, pOnset, 16.0);
    check("QRS onset", p.qrsOnset, qrsOnset, 10.0);
    check("QRS end", p.qrsEnd, qrsEnd, shape == "wide QRS" || shape == "slow S" ? 22.0 : 12.0); // a slur fades slowly
    check("T end", p.tEnd, tEnd, 30.0);
    QVERIFY2(off.isEmpty(), qPrintable(off.join("; ")));
    // QRS and QT of the measurement whatever the P wave.
    TMeasurementRecord m;
    m.setWavePoints(p, r, DrawnBeat::Rate);
    m.setValue("avgRRInterval", 1.0);
    QVERIFY(m.qrsMs() && m.qtMs() && m.qtcMs());
    QCOMPARE(bool(m.prMs()), pOnset >= 0.0);
}

void TestWaveAnalysis::samePointsAtEveryRate_data()
{
    QTest::addColumn<int>("rate");
    for (int rate : {200, 250, 300, 360, 1000})
        QTest::newRow(qPrintable(QString("%1 per second").arg(rate))) << rate;
}

void TestWaveAnalysis::samePointsAtEveryRate()
{
    // The shapes of the wave tests, drawn again at another rate: the points fall
    // where they fall at 500 per second, within a sample at 250 per second.
    QFETCH(int, rate);
    const struct
    {
        const char* shape;
        double qrsEnd, tEnd;
    } shapes[] = {{"slow T", 470.0, 900.0}, {"wide QRS", 600.0, 950.0}, {"slow S", 580.0, 950.0}};
    for (const auto& s : shapes) {
        const QString shape = s.shape;
        const DrawnBeat b = shapedBeat(shape, 230.0, 400.0, s.qrsEnd, s.tEnd);
        const int r = int(DrawnBeat::R * DrawnBeat::Rate);
        const TWavePoints at500 = TWaveDelineator().measure(b.x.data(), int(b.x.size()), DrawnBeat::Rate, r, DrawnBeat::Rate);
        // The same curve at the other rate, drawn straight between the samples.
        std::vector<double> x(size_t(1.2 * rate));
        for (size_t i = 0; i < x.size(); ++i) {
            const double t = double(i) * DrawnBeat::Rate / rate;
            const size_t k = std::min(size_t(t), b.x.size() - 2);
            x[i] = b.x[k] + (t - double(k)) * (b.x[k + 1] - b.x[k]);
        }
        const TWavePoints atRate =
            TWaveDelineator().measure(x.data(), int(x.size()), rate, int(std::lround(DrawnBeat::R * rate)), rate);
        const QVector<QPair<QString, QPair<int, int>>> points = {
            {"P onset", {at500.pOnset, atRate.pOnset}},     {"QRS onset", {at500.qrsOnset, atRate.qrsOnset}},
            {"QRS end", {at500.qrsEnd, atRate.qrsEnd}},     {"T end", {at500.tEnd, atRate.tEnd}}};
        for (const auto& p : points) {
            QVERIFY2(p.second.first >= 0 && p.second.second >= 0, qPrintable(shape + ": no " + p.first));
            const double ms500 = 1000.0 * p.second.first / DrawnBeat::Rate;
            const double msRate = 1000.0 * p.second.second / rate;
            QVERIFY2(std::abs(ms500 - msRate) <= 6.0,
                     qPrintable(QString("%1: %2 at %3 ms, not %4").arg(shape, p.first).arg(msRate).arg(ms500)));
        }
    }
}

void TestWaveAnalysis::withholdsWhatCannotBePlaced_data()
{
    // The delineator finds a P wave or a T end on each of these shapes; the
    // confidence says which of them can be trusted.
    QTest::addColumn<QString>("shape");
    QTest::addColumn<bool>("pTrusted");
    QTest::addColumn<bool>("tEndTrusted");
    QTest::newRow("a plain beat") << "plain" << true << true;
    QTest::newRow("low broad P wave") << "broad P" << true << true;
    QTest::newRow("T wave with a slow return") << "slow T" << true << true;
    QTest::newRow("wide QRS, slurred end") << "wide QRS" << true << true;
    QTest::newRow("coarse fibrillation waves, no P wave") << "coarse AF" << false << true;
    QTest::newRow("atrial pacing spike, no P wave") << "paced" << false << true;
    QTest::newRow("sharp P wave") << "sharp P" << true << true;
    QTest::newRow("flat T wave in a ripple") << "flat T" << true << false;
    QTest::newRow("low T wave among fibrillation waves") << "AF low T" << false << false;
}

void TestWaveAnalysis::withholdsWhatCannotBePlaced()
{
    QFETCH(QString, shape);
    QFETCH(bool, pTrusted);
    QFETCH(bool, tEndTrusted);
    const DrawnBeat b = shapedBeat(shape, shape == "broad P" ? 190.0 : 230.0, 400.0, shape == "wide QRS" ? 600.0 : 470.0,
                                   shape == "slow T" ? 900.0 : 800.0);
    const int r = int(DrawnBeat::R * DrawnBeat::Rate);
    const TWavePoints p = TWaveDelineator().measure(b.x.data(), int(b.x.size()), DrawnBeat::Rate, r, DrawnBeat::Rate);
    QVERIFY2(p.pOnset >= 0 && p.tEnd >= 0, "the delineator itself gives both points");
    const TWaveConfidence::Scores scores = TWaveConfidence::score(b.x, DrawnBeat::Rate, DrawnBeat::Rate, p);
    QVERIFY2((scores.p >= TWaveConfidence::Threshold) == pTrusted, qPrintable(QString::number(scores.p)));
    QVERIFY2((scores.tEnd >= TWaveConfidence::Threshold) == tEndTrusted, qPrintable(QString::number(scores.tEnd)));
}

void TestWaveAnalysis::measurementWithholdsWhatCannotBePlaced_data()
{
    QTest::addColumn<QString>("shape");
    QTest::newRow("coarse fibrillation waves in every lead") << "coarse AF";
    QTest::newRow("atrial pacing spikes in every lead") << "paced";
    QTest::newRow("flat T wave in every lead") << "flat T";
    QTest::newRow("low T wave among fibrillation waves in every lead") << "AF low T";
    QTest::newRow("a plain beat") << "plain";
}

void TestWaveAnalysis::measurementWithholdsWhatCannotBePlaced()
{
    // Twelve leads of the same beat, ten beats of 1.2 s: the measurement reports
    // no P wave where there are fibrillation waves, no T end of a flat T wave,
    // and says it withheld them.
    QFETCH(QString, shape);
    DrawnRecording recording(std::vector<DrawnBeat>(12, shapedBeat(shape, 230.0, 400.0, 470.0, 800.0)), twelveLeads());
    TBeatAverager& averager = recording.averager;
    const TMeasurementRecord m = TMeasurementRecord::measure(averager, 1);
    QVERIFY(m.qrsMs());
    const bool af = shape == "coarse AF" || shape == "paced" || shape == "AF low T";
    const bool flat = shape == "flat T" || shape == "AF low T";
    QCOMPARE(bool(m.prMs()), !af);
    QCOMPARE(bool(m.pMs()), !af);
    QCOMPARE(m.value("POnset") == 0.0, af);
    QCOMPARE(m.value("PWithheld"), af ? 1.0 : 0.0);
    QCOMPARE(bool(m.qtMs()), !flat);
    QCOMPARE(m.value("TOffset") == 0.0, flat);
    QCOMPARE(m.value("TPeak") == 0.0, flat);
    QCOMPARE(m.value("TEndWithheld"), flat ? 1.0 : 0.0);
}

void TestWaveAnalysis::tWaveInTwoPhasesReadAsTheLeadsReadIt_data()
{
    // The measured lead's T wave falls from the QRS end and returns at 720 ms;
    // a low positive wave follows it to 900 ms. The other leads, read one way
    // each, say whether that wave is the T wave's second phase.
    QTest::addColumn<int>("leads");
    QTest::addColumn<QString>("others");
    QTest::addColumn<double>("tEnd"); // ms from the start of the beat
    QTest::addColumn<bool>("readByLeads");
    QTest::newRow("Holter pair, the other T wave ends with the first phase") << 2 << "early T" << 720.0 << false;
    QTest::newRow("12 leads, the others' T waves end with the first phase") << 12 << "early T" << 720.0 << false;
    QTest::newRow("12 leads, the others' T waves end with the second phase") << 12 << "plain" << 900.0 << true;
    // Both leads of the pair in two phases, one the other's mirror: the phase
    // that stands out most is the T wave.
    QTest::newRow("Holter pair, both in two phases") << 2 << "mirrored" << 720.0 << false;
}

void TestWaveAnalysis::tWaveInTwoPhasesReadAsTheLeadsReadIt()
{
    QFETCH(int, leads);
    QFETCH(QString, others);
    QFETCH(double, tEnd);
    QFETCH(bool, readByLeads);
    const DrawnBeat twoPhases = shapedBeat("T in two phases", 230.0, 400.0, 470.0, 720.0);
    DrawnBeat other = others == "mirrored" ? twoPhases : shapedBeat(others, 230.0, 400.0, 470.0, tEnd);
    if (others == "mirrored")
        for (double& v : other.x)
            v = -v;
    const int measured = leads == 2 ? 0 : 1;
    std::vector<DrawnBeat> drawn(size_t(leads), other);
    drawn[size_t(measured)] = twoPhases;
    DrawnRecording recording(drawn, leads == 2 ? QStringList{"CM5", "CR5"} : twelveLeads());
    const TMeasurementRecord m = TMeasurementRecord::measure(recording.averager, measured);
    QVERIFY(m.qtMs());
    const double end = (m.value("TOffset") + DrawnBeat::R) * 1000.0;
    QVERIFY2(std::fabs(end - tEnd) <= 30.0, qPrintable(QString("T end at %1 ms, not %2").arg(end).arg(tEnd)));
    QCOMPARE(m.value("TPhaseFromLeads"), readByLeads ? 1.0 : 0.0);
    QCOMPARE(m.value("TEndWithheld"), 0.0);
    // The peak is the phase's own: the trough for the first, the low wave after it for the second.
    const double peak = (m.value("TPeak") + DrawnBeat::R) * 1000.0;
    QVERIFY2(tEnd < 800.0 ? peak > 470.0 && peak < 720.0 : peak > 720.0 && peak < 900.0,
             qPrintable(QString::number(peak)));
}

void TestWaveAnalysis::tEndNoOtherLeadReaches_data()
{
    // The measured lead's shape and the others'; where its T wave ends.
    QTest::addColumn<int>("leads");
    QTest::addColumn<QString>("measuredShape");
    QTest::addColumn<QString>("others");
    QTest::addColumn<double>("othersTEnd"); // ms from the start of the beat, drawn
    QTest::addColumn<double>("tEnd");       // expected
    QTest::addColumn<bool>("beyond");
    QTest::newRow("Holter pair, a U wave run into the T wave of one lead")
        << 2 << "T and U" << "plain" << 800.0 << 800.0 << true;
    QTest::newRow("12 leads, a U wave run into the T wave of II only")
        << 12 << "T and U" << "plain" << 800.0 << 800.0 << true;
    // The other leads' T waves end within 40 ms before this one's: it stands.
    QTest::newRow("Holter pair, the other lead ends 20 ms earlier")
        << 2 << "plain" << "plain" << 780.0 << 800.0 << false;
    QTest::newRow("12 leads, the U wave in every lead") << 12 << "T and U" << "T and U" << 800.0 << -1.0 << false;
}

void TestWaveAnalysis::tEndNoOtherLeadReaches()
{
    QFETCH(int, leads);
    QFETCH(QString, measuredShape);
    QFETCH(QString, others);
    QFETCH(double, othersTEnd);
    QFETCH(double, tEnd);
    QFETCH(bool, beyond);
    const int measured = leads == 2 ? 0 : 1;
    std::vector<DrawnBeat> drawn(size_t(leads), shapedBeat(others, 230.0, 400.0, 470.0, othersTEnd));
    drawn[size_t(measured)] = shapedBeat(measuredShape, 230.0, 400.0, 470.0, 800.0);
    DrawnRecording recording(drawn, leads == 2 ? QStringList{"CM5", "CR5"} : twelveLeads());
    const TMeasurementRecord alone = TMeasurementRecord::measure(recording.averager, measured);
    QVERIFY(alone.qtMs());
    QCOMPARE(alone.value("TEndBeyondLeads"), beyond ? 1.0 : 0.0);
    const double end = (alone.value("TOffset") + DrawnBeat::R) * 1000.0;
    if (tEnd < 0.0) // every lead the same: the lead's own end, after the U wave
        QVERIFY2(end > 880.0, qPrintable(QString::number(end)));
    else
        QVERIFY2(std::fabs(end - tEnd) <= 30.0, qPrintable(QString("T end at %1 ms, not %2").arg(end).arg(tEnd)));
    QVERIFY((alone.value("TPeak") + DrawnBeat::R) * 1000.0 < end);
}

void TestWaveAnalysis::pWaveEndsAfterItsLastComponent_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<double>("pEnd"); // ms from the start of the beat
    // Its steepest return leaves the wave at 43 % of its height: it ends after
    // the later component's return.
    QTest::newRow("P wave with a later, lower component") << "P with a later component" << 360.0;
    QTest::newRow("plain P wave") << "plain" << 330.0;
    QTest::newRow("low broad P wave") << "broad P" << 340.0;
}

void TestWaveAnalysis::pWaveEndsAfterItsLastComponent()
{
    QFETCH(QString, shape);
    QFETCH(double, pEnd);
    const DrawnBeat b = shapedBeat(shape, 230.0, 400.0, 470.0, 800.0);
    const int r = int(DrawnBeat::R * DrawnBeat::Rate);
    const TWavePoints p = TWaveDelineator().measure(b.x.data(), int(b.x.size()), DrawnBeat::Rate, r, DrawnBeat::Rate);
    QVERIFY2(std::fabs(b.ms(p.pOnset) - 230.0) <= 16.0, qPrintable(QString::number(b.ms(p.pOnset))));
    QVERIFY2(std::fabs(b.ms(p.pEnd) - pEnd) <= 16.0,
             qPrintable(QString("P end at %1 ms, not %2").arg(b.ms(p.pEnd)).arg(pEnd)));
    QVERIFY(p.pPeak > p.pOnset && p.pPeak < p.pEnd);
}

void TestWaveAnalysis::irregularlyIrregularRhythm_data()
{
    QTest::addColumn<QVector<double>>("rr");
    QTest::addColumn<bool>("irregular");
    QVector<double> steady, swing, random, few;
    quint32 state = 7;
    auto uniform = [&]() { // in [-1, 1), from a fixed sequence
        state = state * 1664525u + 1013904223u;
        return double(state >> 8) / double(1u << 23) - 1.0;
    };
    for (int i = 0; i < 30; ++i) {
        steady << 0.6 + 0.005 * uniform();
        swing << 0.6 * (1.0 + 0.4 * std::sin(2.0 * M_PI * i / 6.7)); // a breath every 6.7 beats
        random << 0.6 * (1.0 + 0.3 * uniform());
    }
    few = random.mid(0, 5);
    QTest::newRow("steady") << steady << false;
    QTest::newRow("sinus arrhythmia of 40 %") << swing << false;
    QTest::newRow("random within 30 %") << random << true;
    QTest::newRow("five intervals") << few << false;
    QTest::newRow("none") << QVector<double>() << false;
}

void TestWaveAnalysis::irregularlyIrregularRhythm()
{
    QFETCH(QVector<double>, rr);
    QFETCH(bool, irregular);
    QCOMPARE(TWaveConfidence::irregularlyIrregular(std::vector<double>(rr.begin(), rr.end())), irregular);
}

void TestWaveAnalysis::flatBeatHasNoWaves()
{
    std::vector<double> flat(400, 3.0);
    flat[150] = 12.0; // range 9 codes: below the 10 that a beat needs
    const TWavePoints p = TWaveDelineator().measure(flat.data(), 400, 500, 150, 300);
    QCOMPARE(p.qrsOnset, -1);
    QCOMPARE(p.tEnd, -1);
    QCOMPARE(p.pOnset, -1);
}

void TestWaveAnalysis::sharedPWave_data()
{
    // The other leads' P onsets and ends (-1: none shown); the P wave they share.
    QTest::addColumn<QVector<int>>("onsets");
    QTest::addColumn<QVector<int>>("ends");
    QTest::addColumn<int>("onset");
    QTest::addColumn<int>("end");
    const QVector<int> none(11, -1);
    QTest::newRow("eleven leads alike") << QVector<int>{50, 52, 49, 51, 50, 53, 48, 50, 52, 51, 50}
                                        << QVector<int>{90, 91, 89, 92, 90, 88, 90, 93, 90, 91, 89} << 50 << 90;
    QTest::newRow("six of eleven show it") << QVector<int>{50, 52, 49, 51, 50, 53, -1, -1, -1, -1, -1}
                                           << QVector<int>{90, 91, 89, 92, 90, 88, -1, -1, -1, -1, -1} << 50 << 90;
    QTest::newRow("five of eleven: none") << QVector<int>{50, 52, 49, 51, 50, -1, -1, -1, -1, -1, -1}
                                          << QVector<int>{90, 91, 89, 92, 90, -1, -1, -1, -1, -1, -1} << -1 << -1;
    QTest::newRow("onsets 30 apart: none") << QVector<int>{30, 35, 40, 45, 50, 55, 60, 62, 64, 66, 70}
                                           << QVector<int>{90, 91, 89, 92, 90, 88, 90, 93, 90, 91, 89} << -1 << -1;
    QTest::newRow("ends 30 apart: none") << QVector<int>{50, 52, 49, 51, 50, 53, 48, 50, 52, 51, 50}
                                         << QVector<int>{70, 75, 80, 85, 90, 95, 100, 102, 104, 106, 110} << -1 << -1;
    QTest::newRow("in no lead") << none << none << -1 << -1;
    QTest::newRow("a Holter's other lead") << QVector<int>{44} << QVector<int>{97} << 44 << 97;
    QTest::newRow("nor in the other lead") << QVector<int>{-1} << QVector<int>{-1} << -1 << -1;
}

void TestWaveAnalysis::sharedPWave()
{
    QFETCH(QVector<int>, onsets);
    QFETCH(QVector<int>, ends);
    QFETCH(int, onset);
    QFETCH(int, end);
    std::vector<TWavePoints> others;
    for (int i = 0; i < onsets.size(); ++i) {
        TWavePoints p;
        p.pOnset = onsets[i];
        p.pEnd = ends[i];
        p.qrsOnset = 100;
        p.qrsEnd = 130;
        others.push_back(p);
    }
    const TWavePoints shared = TLeadSpread::sharedPWave(others, 10);
    QCOMPARE(shared.pOnset, onset);
    QCOMPARE(shared.pEnd, end);
    QCOMPARE(shared.pPeak, -1);
}

void TestWaveAnalysis::pWaveFromTheOtherLeads_data()
{
    // Leads, the measured one, how many of the others show the P wave; whether
    // the measured lead gets one.
    QTest::addColumn<int>("leads");
    QTest::addColumn<int>("measured");
    QTest::addColumn<QString>("measuredShape");
    QTest::addColumn<int>("showing");
    QTest::addColumn<bool>("found");
    QTest::newRow("12 leads, none in II") << 12 << 1 << "no P" << 11 << true;
    QTest::newRow("12 leads, in four of the others") << 12 << 1 << "no P" << 4 << false;
    QTest::newRow("Holter pair, none in the first") << 2 << 0 << "no P" << 1 << true;
    // The measured lead's own atrial waves are none: it takes no P wave.
    QTest::newRow("12 leads, fibrillation waves in II") << 12 << 1 << "coarse AF" << 11 << false;
    QTest::newRow("12 leads, a pacing spike in II") << 12 << 1 << "paced" << 11 << false;
}

void TestWaveAnalysis::pWaveFromTheOtherLeads()
{
    // A P wave isoelectric in the measured lead begins and ends where the
    // leads that show it place it (230 to 330 ms); too few of them show none.
    QFETCH(int, leads);
    QFETCH(int, measured);
    QFETCH(QString, measuredShape);
    QFETCH(int, showing);
    QFETCH(bool, found);
    const DrawnBeat withP = shapedBeat("plain", 230.0, 400.0, 470.0, 800.0);
    const DrawnBeat withoutP = shapedBeat("no P", 230.0, 400.0, 470.0, 800.0);
    const DrawnBeat measuredBeat = shapedBeat(measuredShape, 230.0, 400.0, 470.0, 800.0);
    // The leads after the measured one show the P wave, as many as asked.
    auto shows = [&](int c) { return c != measured && (c - measured + leads) % leads <= showing; };
    std::vector<DrawnBeat> drawn;
    for (int c = 0; c < leads; ++c)
        drawn.push_back(c == measured ? measuredBeat : shows(c) ? withP : withoutP);
    DrawnRecording recording(drawn, leads == 2 ? QStringList{"CM5", "CR5"} : twelveLeads());
    TBeatAverager& averager = recording.averager;
    const TMeasurementRecord m = TMeasurementRecord::measure(averager, measured);
    QVERIFY(m.qrsMs());
    QCOMPARE(bool(m.pMs()), found);
    QCOMPARE(m.value("PFromLeads"), found ? 1.0 : 0.0);
    QCOMPARE(m.value("PWithheld"), measuredShape == "no P" ? 0.0 : 1.0);
    if (!found)
        return;
    // Within a sample or two of the drawn wave, its peak in between.
    const double r = DrawnBeat::R;
    QVERIFY2(std::fabs(m.value("POnset") - (0.230 - r)) <= 0.012, qPrintable(QString::number(m.value("POnset"))));
    QVERIFY2(std::fabs(m.value("POffset") - (0.330 - r)) <= 0.012, qPrintable(QString::number(m.value("POffset"))));
    QVERIFY(m.value("PPeak") > m.value("POnset") && m.value("PPeak") < m.value("POffset"));
    QVERIFY(m.prMs() && std::abs(*m.prMs() - 170) <= 12);
}

void TestWaveAnalysis::derivedIntervals_data()
{
    QTest::addColumn<double>("pOnset");
    QTest::addColumn<double>("qrsOnset");
    QTest::addColumn<double>("qrsOffset");
    QTest::addColumn<double>("tOffset");
    QTest::addColumn<double>("rr");
    QTest::addColumn<int>("pr");
    QTest::addColumn<int>("qrs");
    QTest::addColumn<int>("qt");
    QTest::addColumn<int>("qtc");
    QTest::newRow("QT 400 ms at RR 0.64 s") << -0.12 << -0.02 << 0.05 << 0.38 << 0.64 << 100 << 70 << 400 << 500;
    QTest::newRow("truncated, not rounded") << -0.1009 << -0.0200 << 0.0399 << 0.2 << 0.5 << 80 << 59 << 220 << 311;
    QTest::newRow("no P onset: QRS and QT without PR") << 0.0 << -0.02 << 0.05 << 0.38 << 0.64 << -1 << 70 << 400
                                                       << 500;
    QTest::newRow("no QRS end: nothing") << -0.12 << -0.02 << 0.0 << 0.38 << 0.64 << -1 << -1 << -1 << -1;
    QTest::newRow("no T end: no QT") << -0.12 << -0.02 << 0.05 << 0.0 << 0.64 << 100 << 70 << -1 << -1;
    QTest::newRow("no RR: no QTc") << -0.12 << -0.02 << 0.05 << 0.38 << 0.0 << 100 << 70 << 400 << -1;
}

void TestWaveAnalysis::derivedIntervals()
{
    QFETCH(double, pOnset);
    QFETCH(double, qrsOnset);
    QFETCH(double, qrsOffset);
    QFETCH(double, tOffset);
    QFETCH(double, rr);
    QFETCH(int, pr);
    QFETCH(int, qrs);
    QFETCH(int, qt);
    QFETCH(int, qtc);
    TMeasurementRecord m;
    m.setValue("POnset", pOnset);
    m.setValue("QRSOnset", qrsOnset);
    m.setValue("QRSOffset", qrsOffset);
    m.setValue("TOffset", tOffset);
    m.setValue("avgRRInterval", rr);
    QCOMPARE(m.prMs().value_or(-1), pr);
    QCOMPARE(m.qrsMs().value_or(-1), qrs);
    QCOMPARE(m.qtMs().value_or(-1), qt);
    QCOMPARE(m.qtcMs().value_or(-1), qtc);
    QCOMPARE(m.rrMs().value_or(-1), rr > 0 ? int(rr * 1000 + 1e-9) : -1);
}

void TestWaveAnalysis::qrsAxis_data()
{
    QTest::addColumn<double>("axis");
    for (double a : {-90.0, -30.0, 0.0, 60.0, 70.0, 120.0, 179.0})
        QTest::newRow(qPrintable(QString("%1 degrees").arg(a))) << a;
}

void TestWaveAnalysis::pWaveAboveTheSignalsResolution_data()
{
    // A coarse lead: a QRS of 60 codes, a P wave of a code or two beside it (a
    // share of the QRS that would pass), and the floor the measurement sets
    // from the signal's millivolts per code.
    QTest::addColumn<double>("pHeight");
    QTest::addColumn<double>("floor");
    QTest::addColumn<bool>("found");
    QTest::newRow("no floor") << 2.0 << 0.0 << true;
    QTest::newRow("below a floor of 10 uV at 4.6 uV per code") << 2.0 << 2.2 << false;
    QTest::newRow("above it") << 6.0 << 2.2 << true;
}

void TestWaveAnalysis::pWaveAboveTheSignalsResolution()
{
    QFETCH(double, pHeight);
    QFETCH(double, floor);
    QFETCH(bool, found);
    DrawnBeat b;
    b.bump(0.25, 0.34, pHeight);
    b.bump(0.4, 0.414, -6.0);
    b.bump(0.408, 0.445, 60.0);
    b.bump(0.435, 0.47, -16.0);
    b.skewed(0.6, 0.7, 0.8, 14.0);
    // The steps of a coarse signal.
    for (double& v : b.x)
        v = std::round(v);
    TWaveDelineator delineator;
    delineator.setMinimumPWave(floor);
    const TWavePoints p = delineator.measure(b.x.data(), int(b.x.size()), DrawnBeat::Rate,
                                             int(DrawnBeat::R * DrawnBeat::Rate), DrawnBeat::Rate);
    QVERIFY(p.hasQrs());
    QCOMPARE(p.pOnset >= 0, found);
}

void TestWaveAnalysis::wavesNoShorterThanInTheMedianLead_data()
{
    // Five leads of one rhythm (RR 1 s); lead 1 is measured. Times in ms from the
    // start of the drawn beat: each lead's QRS onset and T end, and what the
    // measurement must give.
    QTest::addColumn<QVector<double>>("qrsOnsets");
    QTest::addColumn<QVector<double>>("tEnds");
    QTest::addColumn<double>("qrsOnset");
    QTest::addColumn<double>("tEnd");
    // The T wave's last 60 ms run across lead 1: it reads 60 ms short there.
    QTest::newRow("T end isoelectric in the measured lead")
        << QVector<double>{400, 400, 400, 400, 400} << QVector<double>{800, 740, 800, 810, 790} << 400.0 << 800.0;
    // The first 16 ms of the QRS run across lead 1.
    QTest::newRow("QRS onset isoelectric in the measured lead")
        << QVector<double>{400, 416, 400, 400, 404} << QVector<double>{800, 800, 800, 800, 800} << 400.0 << 800.0;
    // One lead read 160 ms late (a misread U wave) stretches nothing.
    QTest::newRow("one lead's late T end")
        << QVector<double>{400, 400, 400, 400, 400} << QVector<double>{800, 800, 800, 800, 960} << 400.0 << 800.0;
    // Where the measured lead shows the wave longest, it is measured as it is.
    QTest::newRow("the measured lead shows the longest T wave")
        << QVector<double>{400, 400, 400, 400, 400} << QVector<double>{780, 820, 780, 790, 780} << 400.0 << 820.0;
}

void TestWaveAnalysis::wavesNoShorterThanInTheMedianLead()
{
    QFETCH(QVector<double>, qrsOnsets);
    QFETCH(QVector<double>, tEnds);
    QFETCH(double, qrsOnset);
    QFETCH(double, tEnd);
    const int leads = qrsOnsets.size();
    const int seconds = 14;
    const int rate = DrawnBeat::Rate;
    std::vector<DrawnBeat> drawn(static_cast<size_t>(leads));
    for (int c = 0; c < leads; ++c) {
        // The complex ends alike in every lead: it begins later where its
        // first part (the q wave, then the start of R) lies flat.
        const double q = qrsOnsets[c] / 1000.0;
        DrawnBeat& b = drawn[size_t(c)];
        b.bump(0.23, 0.33, 15.0);
        if (q < 0.405)
            b.bump(q, q + 0.014, -15.0);
        b.bump(q < 0.405 ? 0.408 : q, 0.445, 150.0);
        b.bump(0.435, 0.47, -40.0);
        b.skewed(0.67, 0.77, tEnds[c] / 1000.0, 35.0);
    }
    TIntSignalBuffer buffer(4096, seconds * rate, leads, rate);
    TestSignals::appendSignal(buffer, seconds * rate,
                              [&](int c, int i) { return double(std::lround(drawn[size_t(c)].x[size_t(i % rate)])); });
    TBeatAverager averager(&buffer, 20.0);
    for (int k = 1; k < seconds - 1; ++k)
        averager.addBeat(plainBeat(&buffer, k + DrawnBeat::R, 1.0, 1.0, {0, 1, 2, 3, 4}));
    const TMeasurementRecord m = TMeasurementRecord::measure(averager, 1);
    const double onset = 1000.0 * (DrawnBeat::R + m.value("QRSOnset"));
    const double end = 1000.0 * (DrawnBeat::R + m.value("TOffset"));
    QVERIFY2(std::abs(onset - qrsOnset) <= 6.0, qPrintable(QString("QRS onset %1 ms").arg(onset)));
    QVERIFY2(std::abs(end - tEnd) <= 20.0, qPrintable(QString("T end %1 ms").arg(end)));
}

void TestWaveAnalysis::leadSpreadKeepsTheWavesInOrder_data()
{
    // Points as indices: P onset, P end, QRS onset, QRS end, T end; of the
    // measured lead, the median lead's, and what the measurement keeps.
    QTest::addColumn<QVector<int>>("own");
    QTest::addColumn<QVector<int>>("median");
    QTest::addColumn<QVector<int>>("widened");
    QTest::newRow("each point widened") << QVector<int>{50, 80, 100, 130, 300} << QVector<int>{45, 85, 96, 135, 320}
                                        << QVector<int>{45, 85, 96, 135, 320};
    QTest::newRow("the median's shorter waves change nothing")
        << QVector<int>{50, 80, 100, 130, 300} << QVector<int>{55, 75, 104, 126, 280}
        << QVector<int>{50, 80, 100, 130, 300};
    // A P wave the lead does not show is not taken from the others (atrial
    // fibrillation reads as such in the lead measured).
    QTest::newRow("no P wave in the measured lead")
        << QVector<int>{-1, -1, 100, 130, 300} << QVector<int>{45, 85, 96, 135, 320}
        << QVector<int>{-1, -1, 96, 135, 320};
    QTest::newRow("only the measured lead with a T end")
        << QVector<int>{50, 80, 100, 130, 300} << QVector<int>{45, 85, 96, 135, -1}
        << QVector<int>{45, 85, 96, 135, 300};
    // The P wave never reaches into the widened QRS.
    QTest::newRow("P end held at the QRS onset")
        << QVector<int>{50, 92, 100, 130, 300} << QVector<int>{45, 98, 90, 135, 320}
        << QVector<int>{45, 90, 90, 135, 320};
}

void TestWaveAnalysis::leadSpreadKeepsTheWavesInOrder()
{
    QFETCH(QVector<int>, own);
    QFETCH(QVector<int>, median);
    QFETCH(QVector<int>, widened);
    auto points = [](const QVector<int>& v) {
        TWavePoints p;
        p.pOnset = v[0];
        p.pEnd = v[1];
        p.qrsOnset = v[2];
        p.qrsEnd = v[3];
        p.tEnd = v[4];
        return p;
    };
    // The median of five leads: the measured one, the median's points twice,
    // and one on either side of them.
    TLeadSpread spread;
    spread.addLead(points(own));
    for (int k = 0; k < 2; ++k)
        spread.addLead(points(median));
    QVector<int> early = median, late = median;
    for (int i = 0; i < 5; ++i) {
        early[i] = median[i] < 0 ? -1 : median[i] - 50;
        late[i] = median[i] < 0 ? -1 : median[i] + 50;
    }
    spread.addLead(points(early));
    spread.addLead(points(late));
    const TWavePoints m = spread.median();
    const QVector<int> found{m.pOnset, m.pEnd, m.qrsOnset, m.qrsEnd, m.tEnd};
    // Fewer than two leads have a point where the median lacks it.
    for (int i = 0; i < 5; ++i)
        if (median[i] >= 0)
            QCOMPARE(found[i], median[i]);
    const TWavePoints w = TLeadSpread::widened(points(own), m);
    QCOMPARE((QVector<int>{w.pOnset, w.pEnd, w.qrsOnset, w.qrsEnd, w.tEnd}), widened);
}

void TestWaveAnalysis::twoLeadsBeginTheirWavesTogether()
{
    // A two-lead recording: each wave begins at the earlier onset of the two
    // leads; its end stays the measured lead's own, earlier or later.
    TWavePoints own, other;
    own.pOnset = 50, own.pEnd = 80, own.qrsOnset = 100, own.qrsEnd = 130, own.tEnd = 300;
    other.pOnset = 44, other.pEnd = 90, other.qrsOnset = 104, other.qrsEnd = 120, other.tEnd = 330;
    TLeadSpread spread;
    spread.addLead(own);
    spread.addLead(other);
    const TWavePoints w = TLeadSpread::widened(own, spread.median());
    QCOMPARE((QVector<int>{w.pOnset, w.pEnd, w.qrsOnset, w.qrsEnd, w.tEnd}), (QVector<int>{44, 80, 100, 130, 300}));
    // One lead alone is no spread.
    TLeadSpread single;
    single.addLead(other);
    QCOMPARE(single.median().qrsOnset, -1);
}

void TestWaveAnalysis::qrsAxis()
{
    // A QRS of amplitude 200 along the axis, seen by lead I (0 degrees) and lead
    // III (120 degrees).
    QFETCH(double, axis);
    const double r = axis * M_PI / 180.0;
    std::vector<double> i(40, 5.0), iii(40, 5.0);
    for (int k = 10; k < 30; ++k) {
        const double shape = std::sin(M_PI * (k - 10) / 20.0);
        i[size_t(k)] += 200.0 * shape * std::cos(r);
        iii[size_t(k)] += 200.0 * shape * std::cos(r - 2.0 * M_PI / 3.0);
    }
    const double measured = TMeasurementRecord::qrsAxis(i.data(), iii.data(), 40, 10, 30);
    QVERIFY2(std::abs(measured - axis) < 1.0, qPrintable(QString::number(measured)));
}

void TestWaveAnalysis::axisNeedsLeadsIAndIII()
{
    TSynthParams p;
    p.durationSeconds = 10;
    SynthRig rig(p, 2); // only I and II
    TBeatAverager averager(&rig.buffer, 20.0);
    for (int k = 1; k < rig.synth.beats().size(); ++k)
        averager.addBeat(rig.beat(k, 0.6));
    const TMeasurementRecord m = TMeasurementRecord::measure(averager);
    QVERIFY(m.value("QRSOnset") != 0.0);
    QCOMPARE(m.value("QRSAxis"), TMeasurementRecord::NoAxis);
}

QTEST_GUILESS_MAIN(TestWaveAnalysis)
#include "tst_waveanalysis.moc"
