#include "TBeatAverager.h"
#include "TMeasurementRecord.h"
#include "TQrsDetector.h"
#include "TSynthesizedPlayback.h"
#include "TestBeats.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

// Canine rhythms through the live analysis path, as a recording goes through
// it: respiratory sinus arrhythmia, sinus pauses, second-degree AV block and
// rates from 50 to 300 per minute. Every beat is found (within 0.15 s), none is
// invented (in a pause, on a blocked P wave or anywhere else), and the heart
// rate each beat carries, 60 / its mean RR, is within 2 per minute of the true
// rate. The true rate is the ventricular rate, as a monitor shows it: the mean
// of the recent regular RR intervals, here the last eight up to the beat, where
// an interval is regular when it joins two sinus beats with no pause between
// them. In AV block the intervals over a blocked P wave count: the heart beats
// that slowly. Beats that end a pause are not held to the rate, nor a premature
// beat itself: its interval is taken back once the next beat shows the pause.
namespace {

constexpr double MatchSeconds = 0.15;
// The detector's learning: beats before this are not required, nor a last one
// that the recording does not hold whole.
constexpr double LearningSeconds = 2.0;
constexpr double RateTolerance = 2.0;
constexpr double AfRateShare = 0.07;
constexpr int RateIntervals = 8;

// The range of a stretch of an average beat, from..to seconds after its start.
double rangeOf(const std::vector<double>& beat, int rate, double from, double to)
{
    const int a = std::max(0, int(std::lround(from * rate)));
    const int b = std::min(int(beat.size()), int(std::lround(to * rate)));
    if (a >= b)
        return 0.0;
    const auto [low, high] = std::minmax_element(beat.begin() + a, beat.begin() + b);
    return *high - *low;
}

QString seconds(double t)
{
    return QString::number(t, 'f', 2);
}

// Plays the recording and lists, in words, every way the detection fails the
// rhythm: missed beats, invented beats and heart-rate errors. The averager, if
// any, takes the beats as they come.
QStringList failures(TSynthesizedPlayback& playback, TBeatAverager* averager = nullptr,
                     double rateTolerance = RateTolerance)
{
    BeatRecorder sink;
    if (averager)
        sink.onBeat = [averager](const TBeat& beat) { averager->addBeat(beat); };
    playback.path().detector().setSink(&sink);
    playback.play();
    const TEcgSynthesizer& synth = playback.synthesizer();
    const QVector<TSynthBeat>& truth = synth.beats();
    const std::vector<int> truthOf = matchBeats(truth, sink.beats, MatchSeconds);
    QStringList out;

    std::vector<bool> found(size_t(truth.size()), false);
    for (int t : truthOf)
        if (t >= 0)
            found[size_t(t)] = true;
    QStringList missed;
    for (int t = 0; t < truth.size(); ++t)
        if (!found[size_t(t)] && truth[t].rTime >= LearningSeconds && truth[t].tEnd < synth.params().durationSeconds)
            missed.append(seconds(truth[t].rTime));
    if (!missed.isEmpty())
        out.append(QString("missed %1 of %2 beats, at %3 s").arg(missed.size()).arg(truth.size()).arg(missed.join(", ")));

    QStringList extra;
    for (size_t d = 0; d < sink.beats.size(); ++d) {
        if (truthOf[d] >= 0)
            continue;
        const double t = sink.beats[d].time();
        QString where = "elsewhere";
        for (const TSynthPause& p : synth.pauses())
            if (t > p.from && t < p.to)
                where = QString("in the pause %1-%2 s").arg(seconds(p.from), seconds(p.to));
        for (const TSynthBlockedP& p : synth.blockedPWaves())
            if (t > p.onset - MatchSeconds && t < p.end + MatchSeconds)
                where = QString("on the blocked P at %1 s").arg(seconds(p.onset));
        extra.append(QString("%1 s (%2)").arg(seconds(t), where));
    }
    if (!extra.isEmpty())
        out.append(QString("%1 beats invented: %2").arg(extra.size()).arg(extra.join(", ")));

    // Regular intervals: between two sinus beats, no pause between.
    std::vector<bool> regular(size_t(truth.size()), false); // of the interval ending at beat k
    std::vector<bool> endsPause(size_t(truth.size()), false);
    for (int k = 1; k < truth.size(); ++k) {
        bool ok = !truth[k].ventricular && !truth[k - 1].ventricular;
        for (const TSynthPause& p : synth.pauses())
            if (p.to == truth[k].rTime)
                ok = false, endsPause[size_t(k)] = true;
        regular[size_t(k)] = ok;
    }
    int checked = 0;
    double worst = 0.0;
    QStringList wrongRates;
    for (size_t d = 0; d < sink.beats.size(); ++d) {
        const int k = truthOf[d];
        if (k < 0 || endsPause[size_t(k)] || truth[k].ventricular || sink.beats[d].value(TBeat::MeanRR) <= 0.0)
            continue;
        double sum = 0.0;
        int n = 0;
        for (int j = k; j >= 1 && n < RateIntervals; --j) {
            if (!regular[size_t(j)])
                continue;
            sum += truth[j].rTime - truth[j - 1].rTime;
            ++n;
        }
        if (n < RateIntervals)
            continue;
        const double expected = 60.0 * n / sum;
        const double rate = 60.0 / sink.beats[d].value(TBeat::MeanRR);
        ++checked;
        worst = std::max(worst, std::abs(rate - expected));
        if (std::abs(rate - expected) > rateTolerance)
            wrongRates.append(QString("%1 s: %2 (true %3)").arg(seconds(sink.beats[d].time())).arg(rate, 0, 'f', 1).arg(expected, 0, 'f', 1));
    }
    if (!wrongRates.isEmpty())
        out.append(QString("heart rate off by more than %1/min at %2 of %3 beats (worst %4): %5")
                       .arg(rateTolerance)
                       .arg(wrongRates.size())
                       .arg(checked)
                       .arg(worst, 0, 'f', 1)
                       .arg(wrongRates.join(", ")));
    if (checked < 5)
        out.append(QString("the heart rate was known at only %1 of %2 beats").arg(checked).arg(truth.size()));
    return out;
}

} // namespace

Q_DECLARE_METATYPE(TSynthParams)

class TestCanineRhythms : public QObject
{
    Q_OBJECT

private slots:
    void rhythms_data();
    void rhythms();
    void wholeCycleAveraged_data();
    void wholeCycleAveraged();
    void atrialFibrillation_data();
    void atrialFibrillation();
    void noPWaveInShortFibrillation_data();
    void noPWaveInShortFibrillation();
};

void TestCanineRhythms::rhythms_data()
{
    QTest::addColumn<TSynthParams>("params");
    // Sinus arrhythmia: RR swinging by 40 % to either side with each breath.
    for (const auto& [bpm, breathingHz] : {std::pair{60.0, 0.2}, {100.0, 0.25}, {150.0, 0.33}}) {
        TSynthParams p = steadyRhythm(bpm, 30, 21);
        p.sinusArrhythmia = 0.4;
        p.respirationHz = breathingHz;
        QTest::addRow("sinus arrhythmia at %.0f/min, %.0f breaths/min", bpm, 60.0 * breathingHz) << p;
    }
    // Sinus pauses every twelfth beat.
    for (const auto& [pause, bpm] : {std::pair{2.0, 120.0}, {3.0, 90.0}, {4.0, 70.0}}) {
        TSynthParams p = steadyRhythm(bpm, 40, 22);
        p.pauseEvery = 12;
        p.pauseSeconds = pause;
        QTest::addRow("%.0f s pauses at %.0f/min", pause, bpm) << p;
    }
    // Second-degree AV block; a horse at rest has it at 25 per minute.
    const struct
    {
        double bpm;
        int every;
        bool wenckebach;
    } blocks[] = {{100.0, 4, false}, {80.0, 3, false}, {100.0, 4, true}, {140.0, 5, true}, {25.0, 4, false}};
    for (const auto& block : blocks) {
        TSynthParams p = steadyRhythm(block.bpm, std::max(30.0, 40 * 60.0 / block.bpm), 23);
        p.avBlockEvery = block.every;
        p.wenckebach = block.wenckebach;
        QTest::addRow("Mobitz %s %d:%d at %.0f/min", block.wenckebach ? "I" : "II", block.every, block.every - 1,
                      block.bpm)
            << p;
    }
    // Regular rhythms from a large dog at rest to a cat in a hurry, twenty beats at least.
    for (double bpm : {50.0, 100.0, 150.0, 200.0, 250.0, 300.0})
        QTest::addRow("regular at %.0f/min", bpm) << steadyRhythm(bpm, std::max(20.0, 20 * 60.0 / bpm + 4.0), 24);
}

void TestCanineRhythms::rhythms()
{
    QFETCH(TSynthParams, params);
    TSynthesizedPlayback playback(params);
    const QStringList problems = failures(playback);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
}


void TestCanineRhythms::wholeCycleAveraged_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("pr");
    QTest::addColumn<double>("qt");
    // A horse at rest, PR 500 ms and QT 600 ms at 25/min (RR 2.4 s), and a cat at
    // 240/min (RR 0.25 s) with the intervals of its rate.
    QTest::newRow("horse 25/min") << 25.0 << 0.5 << 0.6;
    QTest::newRow("cat 240/min") << 240.0 << 0.0 << 0.0;
}

void TestCanineRhythms::wholeCycleAveraged()
{
    // Through the live path into the averager: the beats carry their mean RR, they
    // are averaged, and the average beat holds the P wave from its onset and the
    // T wave to its end.
    QFETCH(double, bpm);
    QFETCH(double, pr);
    QFETCH(double, qt);
    TSynthParams p = steadyRhythm(bpm, 60, 24);
    p.prSeconds = pr;
    p.qtSeconds = qt;
    TSynthesizedPlayback playback(p);
    const TSignalBuffer* signal = playback.path().analysisSignal(); // what the engine averages
    TBeatAverager averager(signal, 20.0);
    const QStringList problems = failures(playback, &averager);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));

    QVERIFY2(averager.beatCount() >= 5, qPrintable(QString("%1 beats averaged").arg(averager.beatCount())));
    const double rr = 60.0 / bpm;
    QVERIFY2(std::abs(averager.meanRR() - rr) < 0.05 * rr, qPrintable(QString::number(averager.meanRR())));
    const QVector<TSynthBeat>& truth = playback.synthesizer().beats();
    const TSynthBeat& beat = truth[truth.size() / 2];
    const int rate = signal->samplingRate();
    const double r = double(averager.rIndex()) / rate;
    const double pOnset = r - (beat.rTime - beat.pOnset);
    const double tEnd = r + (beat.tEnd - beat.rTime);
    QVERIFY2(pOnset > 0.0, qPrintable(QString("P onset %1 s before the template").arg(-pOnset)));
    QVERIFY2(tEnd < double(averager.templateLength()) / rate,
             qPrintable(QString("T end %1 s past the template").arg(tEnd - double(averager.templateLength()) / rate)));

    // Lead II: a P wave of 0.2 mV and a T wave of 0.3 mV, both well above what
    // the average shows where neither is.
    const std::vector<double>& ii = averager.average(1);
    const double mv = signal->valueStep();
    const double pWave = rangeOf(ii, rate, pOnset, pOnset + 0.05) * mv;
    const double tWave = rangeOf(ii, rate, tEnd - 0.5 * (beat.tEnd - beat.qrsOnset), tEnd) * mv;
    QVERIFY2(pWave > 0.1, qPrintable(QString("P wave %1 mV").arg(pWave)));
    QVERIFY2(tWave > 0.1, qPrintable(QString("T wave %1 mV").arg(tWave)));

    // And they are measured: PR, QRS and QT of lead II as the synthesizer made
    // them (its P and T waves end smoothly: 25 ms for the P onset, 40 ms for the
    // T end at a horse's slow T wave, 10 % of the QT at most).
    const TMeasurementRecord m = TMeasurementRecord::measure(averager, 1);
    const double prTruth = 1000.0 * (beat.qrsOnset - beat.pOnset);
    const double qrsTruth = 1000.0 * (beat.qrsEnd - beat.qrsOnset);
    const double qtTruth = 1000.0 * (beat.tEnd - beat.qrsOnset);
    QStringList off;
    auto check = [&](const char* name, std::optional<int> measured, double truth, double tolerance) {
        if (!measured || std::abs(*measured - truth) > tolerance)
            off << QString("%1 %2 ms, truth %3").arg(name).arg(measured ? *measured : -1).arg(truth);
    };
    check("PR", m.prMs(), prTruth, 25.0);
    check("QRS", m.qrsMs(), qrsTruth, 15.0);
    check("QT", m.qtMs(), qtTruth, std::min(40.0, 0.1 * qtTruth + 10.0));
    QVERIFY2(off.isEmpty(), qPrintable(off.join("; ")));
}

void TestCanineRhythms::atrialFibrillation_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("fibrillationMv");
    QTest::addColumn<double>("scatter");
    // A large dog's fibrillation at rest and in a hurry; fine waves (0.05 mV)
    // and coarse ones (0.15 mV), whose remains in an average of 20 s the
    // delineator takes for a P wave.
    QTest::newRow("70/min, coarse waves") << 70.0 << 0.15 << 0.3;
    QTest::newRow("100/min, fine waves") << 100.0 << 0.05 << 0.3;
    QTest::newRow("100/min, coarse waves") << 100.0 << 0.15 << 0.3;
    QTest::newRow("140/min, coarse waves") << 140.0 << 0.15 << 0.25;
    QTest::newRow("180/min, fine waves") << 180.0 << 0.05 << 0.25;
    QTest::newRow("180/min, coarse waves") << 180.0 << 0.15 << 0.25;
}

void TestCanineRhythms::atrialFibrillation()
{
    // Atrial fibrillation through the live path into the averager and the
    // measurement: every irregular beat is found and none is invented in the
    // fibrillation waves; the average holds the QRS and the T wave, and the
    // measurement gives QRS and QT but no P wave and no PR, since there is none.
    QFETCH(double, bpm);
    QFETCH(double, fibrillationMv);
    QFETCH(double, scatter);
    TSynthParams p = steadyRhythm(bpm, 60, 25);
    p.fibrillationMv = fibrillationMv;
    p.fibrillationScatter = scatter;
    TSynthesizedPlayback playback(p);
    const TSignalBuffer* signal = playback.path().analysisSignal();
    TBeatAverager averager(signal, 20.0);
    // In fibrillation a short interval between two long ones is read as a lone
    // early beat, whose two intervals the rate leaves out: the rate follows the
    // eight intervals before the beat more loosely.
    const QStringList problems = failures(playback, &averager, AfRateShare * bpm);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    QVERIFY2(averager.beatCount() >= 10, qPrintable(QString("%1 beats averaged").arg(averager.beatCount())));

    const TMeasurementRecord m = TMeasurementRecord::measure(averager, 1);
    const QVector<TSynthBeat>& truth = playback.synthesizer().beats();
    const TSynthBeat& beat = truth[truth.size() / 2];
    QVERIFY(beat.fibrillation && beat.pOnset < 0.0);
    QVERIFY2(!m.prMs() && !m.pMs() && m.value("POnset") == 0.0,
             qPrintable(QString("PR %1, P %2 ms in fibrillation").arg(m.prMs().value_or(-1)).arg(m.pMs().value_or(-1))));
    const double qrsTruth = 1000.0 * (beat.qrsEnd - beat.qrsOnset);
    const double qtTruth = 1000.0 * (beat.tEnd - beat.qrsOnset);
    QVERIFY2(m.qrsMs() && std::abs(*m.qrsMs() - qrsTruth) <= 15.0,
             qPrintable(QString("QRS %1 ms, truth %2").arg(m.qrsMs().value_or(-1)).arg(qrsTruth)));
    QVERIFY2(m.qtMs() && std::abs(*m.qtMs() - qtTruth) <= std::min(40.0, 0.1 * qtTruth + 10.0),
             qPrintable(QString("QT %1 ms, truth %2").arg(m.qtMs().value_or(-1)).arg(qtTruth)));
}

void TestCanineRhythms::noPWaveInShortFibrillation_data()
{
    // A resting ECG's 12 s and half a minute of fibrillation: averages of 14
    // to 60 beats, in which the waves' remains stood 4 to 7 standard errors
    // high. The rhythm, not the wave, tells that there is no P wave. Sinus
    // rhythms, steady and swinging with the breath, keep theirs. The remains
    // beside the T wave, of coarse waves above all, are no part of it either.
    QTest::addColumn<TSynthParams>("params");
    QTest::addColumn<bool>("fibrillation");
    QTest::addColumn<bool>("judged"); // whether the rhythm must be told apart
    auto fibrillation = [](double seconds, double bpm, double mv, quint64 seed) {
        TSynthParams p = steadyRhythm(bpm, seconds, seed);
        p.fibrillationMv = mv;
        p.fibrillationScatter = 0.3;
        QTest::addRow("%.0f s at %.0f/min, %.2f mV, seed %d", seconds, bpm, mv, int(seed)) << p << true << true;
    };
    for (double seconds : {12.0, 25.0})
        for (double bpm : {70.0, 100.0, 140.0})
            for (double mv : {0.05, 0.15})
                for (quint64 seed : {31, 32})
                    fibrillation(seconds, bpm, mv, seed);
    // Coarse fibrillation over more seeds: its remains run on past the T wave's
    // return, or stand beside it as a second phase.
    for (double seconds : {12.0, 25.0})
        for (double bpm : {70.0, 100.0})
            for (quint64 seed = 20; seed < 28; ++seed)
                fibrillation(seconds, bpm, 0.15, seed);
    // Fine fibrillation at a fast rate, over more seeds: the beats averaged
    // after the shortest intervals carry the previous T wave just before their
    // QRS, and its remains make a broad wave there, locked to the QRS.
    for (double seconds : {12.0, 25.0})
        for (quint64 seed = 20; seed < 39; ++seed)
            if (seed != 31 && seed != 32)
                fibrillation(seconds, 140.0, 0.05, seed);
    QTest::addRow("sinus rhythm, 12 s at 100/min") << steadyRhythm(100.0, 12.0, 31) << false << true;
    TSynthParams swing = steadyRhythm(100.0, 25.0, 31);
    swing.sinusArrhythmia = 0.4;
    swing.respirationHz = 0.25;
    QTest::addRow("sinus arrhythmia of 40 %%, 25 s at 100/min") << swing << false << true;
    // Occasional events among regular beats: a premature ventricular beat with
    // its compensatory pause, a sinus pause, a blocked P wave. They keep their
    // P waves, and the heart rate stays the sinus rate. In 12 s they vary the
    // intervals as fibrillation does, and may be taken for it.
    TSynthParams premature = steadyRhythm(100.0, 12.0, 31);
    premature.pvcEvery = 9;
    QTest::addRow("a premature beat in 12 s at 100/min") << premature << false << false;
    TSynthParams paused = steadyRhythm(80.0, 12.0, 32);
    paused.pauseEvery = 7;
    paused.pauseSeconds = 1.6;
    QTest::addRow("a 1.6 s pause in 12 s at 80/min") << paused << false << false;
    TSynthParams blocked = steadyRhythm(100.0, 12.0, 31);
    blocked.avBlockEvery = 4;
    QTest::addRow("Mobitz II 4:3, 12 s at 100/min") << blocked << false << false;
}

void TestCanineRhythms::noPWaveInShortFibrillation()
{
    QFETCH(TSynthParams, params);
    QFETCH(bool, fibrillation);
    QFETCH(bool, judged);
    TSynthesizedPlayback playback(params);
    TBeatAverager averager(playback.path().analysisSignal(), 20.0);
    const QStringList problems = failures(playback, &averager, fibrillation ? AfRateShare * 140.0 : RateTolerance);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    const TMeasurementRecord m = TMeasurementRecord::measure(averager, 1);
    QVERIFY(m.qrsMs());
    if (judged)
        QCOMPARE(m.value("IrregularRhythm"), fibrillation ? 1.0 : 0.0);
    if (fibrillation)
        QVERIFY2(!m.prMs() && !m.pMs() && m.value("POnset") == 0.0,
                 qPrintable(QString("PR %1, P %2 ms in fibrillation with %3 beats averaged")
                                .arg(m.prMs().value_or(-1))
                                .arg(m.pMs().value_or(-1))
                                .arg(averager.beatCount())));
    else
        QVERIFY2(m.prMs() && m.pMs(), "a sinus P wave withheld");
    // The complex and the T wave are measured as in any rhythm.
    const QVector<TSynthBeat>& truth = playback.synthesizer().beats();
    const TSynthBeat& beat = truth[truth.size() / 2];
    const double qtTruth = 1000.0 * (beat.tEnd - beat.qrsOnset);
    QVERIFY2(m.qtMs() && std::abs(*m.qtMs() - qtTruth) <= std::min(40.0, 0.1 * qtTruth + 10.0),
             qPrintable(QString("QT %1 ms, truth %2").arg(m.qtMs().value_or(-1)).arg(qtTruth)));
}

QTEST_GUILESS_MAIN(TestCanineRhythms)
#include "tst_caninerhythms.moc"
