// Beat detection through what happens beside an animal on a treadmill: bursts
// of saturated noise, electrode pops, electrodes off and back, baseline jumps,
// strong muscle noise, on every lead or one, and leads that are lost. After a
// disturbance the beats come back at once and nothing the detector learns stays
// changed by it; inside a disturbance of every lead no beat is invented; an
// average beat takes nothing from a disturbed lead; a lost lead does not hold
// back the beats of the others.

#include "TArtifactInjection.h"
#include "TBeatAverager.h"
#include "TQrsChannelDetector.h"
#include "TQrsDetector.h"
#include "TSynthesizedPlayback.h"
#include "TestBeats.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr double MatchSeconds = 0.15;
constexpr double RecordSeconds = 30.0;
constexpr double DisturbanceStart = 8.0;
constexpr double LearningSeconds = 2.0;
// The recorder's range, either side of 0: its rails.
constexpr double RailMv = 300.0;
constexpr double RecoverySeconds = 2.0;

struct Run
{
    QVector<TSynthBeat> truth;
    std::vector<TBeat> beats;
    std::vector<double> delays;                // seconds of signal taken past each beat as it came
    std::vector<double> typicalAmplitudes;     // per channel, at the end
    std::vector<std::vector<double>> averages; // per channel, at the time asked
};

const TSynthParams Recording = steadyRhythm(100.0, RecordSeconds, 31);

// Plays the recording through the live analysis path with the injection (if
// any), averaging the beats of the last 20 s as the engine does, and takes the
// averages once averageAt seconds are played.
Run play(const TSynthParams& params, const TArtifactInjection* injection, double averageAt,
         const std::function<void(TQrsDetector&)>& setUp = {})
{
    TSynthesizedPlayback playback(params);
    if (injection)
        playback.setDisturbance(
            [injection](int c, qint64 first, int n, double* mv) { injection->apply(c, first, n, mv); });
    BeatRecorder sink([&playback] { return playback.raw().durationSeconds(); });
    TQrsDetector& detector = playback.path().detector();
    detector.setSink(&sink);
    if (setUp)
        setUp(detector);
    TBeatAverager averager(playback.path().analysisSignal(), 20.0);
    Run run;
    size_t added = 0;
    playback.play([&] {
        for (; added < sink.beats.size(); ++added)
            averager.addBeat(sink.beats[added]);
        if (run.averages.empty() && playback.raw().durationSeconds() >= averageAt)
            for (int c = 0; c < detector.channelCount(); ++c)
                run.averages.push_back(averager.average(c));
    });
    run.truth = playback.synthesizer().beats();
    run.beats = sink.beats;
    for (size_t d = 0; d < sink.beats.size(); ++d)
        run.delays.push_back(sink.clockAt[d] - sink.beats[d].time());
    for (int c = 0; c < detector.channelCount(); ++c)
        run.typicalAmplitudes.push_back(detector.channel(c).typicalAmplitude());
    return run;
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(share * double(values.size() - 1) + 0.5))];
}

double peakToPeak(const std::vector<double>& x)
{
    if (x.empty())
        return 0.0;
    const auto range = std::minmax_element(x.begin(), x.end());
    return *range.second - *range.first;
}

} // namespace

Q_DECLARE_METATYPE(TArtifactInjection::Kind)

class TestDetectorRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void disturbance_data();
    void disturbance();
    void lostLeadDelay_data();
    void lostLeadDelay();
    void leadLearnedOnSmallWavesLearnsAgain_data();
    void leadLearnedOnSmallWavesLearnsAgain();

private:
    Run m_clean;
};

void TestDetectorRecovery::initTestCase()
{
    m_clean = play(Recording, nullptr, DisturbanceStart + 6.0 + 3.0);
    QVERIFY(m_clean.beats.size() > 40);
}

void TestDetectorRecovery::disturbance_data()
{
    QTest::addColumn<TArtifactInjection::Kind>("kind");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<quint32>("channels"); // bit c: channel c disturbed
    const quint32 all = (1u << TEcgSynthesizer::LeadCount) - 1;
    const quint32 leadII = 1u << 1;
    QTest::newRow("burst on every lead, 0.2 s") << TArtifactInjection::Burst << 0.2 << all;
    QTest::newRow("burst on every lead, 1 s") << TArtifactInjection::Burst << 1.0 << all;
    QTest::newRow("burst on every lead, 6 s") << TArtifactInjection::Burst << 6.0 << all;
    QTest::newRow("burst on lead II, 3 s") << TArtifactInjection::Burst << 3.0 << leadII;
    QTest::newRow("electrode pop on every lead, 0.5 s") << TArtifactInjection::Pop << 0.5 << all;
    QTest::newRow("electrode pop on every lead, 3 s") << TArtifactInjection::Pop << 3.0 << all;
    QTest::newRow("electrode pop on lead II, 2 s") << TArtifactInjection::Pop << 2.0 << leadII;
    QTest::newRow("electrodes off, every lead flat, 6 s") << TArtifactInjection::Flat << 6.0 << all;
    QTest::newRow("lead II flat, 10 s") << TArtifactInjection::Flat << 10.0 << leadII;
    QTest::newRow("baseline jump on every lead, 3 s") << TArtifactInjection::Jump << 3.0 << all;
    QTest::newRow("muscle noise on every lead, 6 s") << TArtifactInjection::Muscle << 6.0 << all;
}

void TestDetectorRecovery::disturbance()
{
    QFETCH(TArtifactInjection::Kind, kind);
    QFETCH(double, seconds);
    QFETCH(quint32, channels);
    TArtifactInjection::Event event;
    event.kind = kind;
    event.start = DisturbanceStart;
    event.end = DisturbanceStart + seconds;
    event.channels = channels;
    const TArtifactInjection injection(5, 500.0, TEcgSynthesizer::LeadCount, RailMv, {event});
    const bool everyLead = injection.disturbsAll(event);
    const double averageAt = event.end + 3.0;
    const Run run = play(Recording, &injection, averageAt);
    const Run clean = averageAt == DisturbanceStart + 6.0 + 3.0 ? m_clean : play(Recording, nullptr, averageAt);
    const std::vector<int> truthOf = matchBeats(run.truth, run.beats, MatchSeconds);
    QStringList problems;

    // The first correct beat after the disturbance.
    double back = -1.0;
    for (size_t d = 0; d < run.beats.size(); ++d)
        if (truthOf[d] >= 0 && run.truth[truthOf[d]].rTime >= event.end) {
            back = run.beats[d].time() - event.end;
            break;
        }
    if (back < 0.0 || back > RecoverySeconds)
        problems << QString("first beat %1 s after the disturbance").arg(back, 0, 'f', 2);

    // Every beat before it and from the recovery on; with one lead disturbed,
    // the others carry every beat through it.
    std::vector<bool> found(size_t(run.truth.size()), false);
    for (int t : truthOf)
        if (t >= 0)
            found[size_t(t)] = true;
    QStringList missed;
    for (int t = 0; t < run.truth.size(); ++t) {
        const double r = run.truth[t].rTime;
        const bool required = r > LearningSeconds && r < RecordSeconds - 0.5 &&
                              (!everyLead || r < event.start - 0.5 || r > event.end + RecoverySeconds);
        if (required && !found[size_t(t)])
            missed << QString::number(r, 'f', 2);
    }
    if (!missed.isEmpty())
        problems << "missed beats at " + missed.join(", ");

    // Nothing invented, inside the disturbance or anywhere.
    QStringList invented;
    for (size_t d = 0; d < run.beats.size(); ++d)
        if (truthOf[d] < 0)
            invented << QString::number(run.beats[d].time(), 'f', 2);
    if (!invented.isEmpty())
        problems << "beats invented at " + invented.join(", ");

    // What the channels learn is back to what it is without the disturbance.
    for (size_t c = 0; c < run.typicalAmplitudes.size(); ++c) {
        const double expected = clean.typicalAmplitudes[c];
        if (std::fabs(run.typicalAmplitudes[c] - expected) > 0.25 * expected)
            problems << QString("lead %1 learned a typical complex of %2 against %3")
                            .arg(c)
                            .arg(run.typicalAmplitudes[c])
                            .arg(expected);
    }

    // The average beats, over 20 s that take in the disturbance, are those of
    // the clean recording outside the QRS complex, where a disturbed segment
    // would leave a step, a slope or noise. (Within it the averages of two
    // sets of beats differ by how closely each set lines up.)
    const int rate = 250;
    const int qrsFrom = int((TBeatAverager::MinimumBeforeR - 0.06) * rate);
    const int qrsTo = int((TBeatAverager::MinimumBeforeR + 0.1) * rate);
    for (size_t c = 0; c < run.averages.size(); ++c) {
        const std::vector<double>& a = run.averages[c];
        const std::vector<double>& b = clean.averages[c];
        const int n = int(std::min(a.size(), b.size()));
        double worst = 0.0;
        for (int i = 0; i < n; ++i)
            if (i < qrsFrom || i > qrsTo)
                worst = std::max(worst, std::fabs(a[size_t(i)] - b[size_t(i)]));
        if (worst > 0.1 * peakToPeak(b))
            problems << QString("average of lead %1 off by %2 codes of %3").arg(c).arg(worst).arg(peakToPeak(b));
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
}

void TestDetectorRecovery::lostLeadDelay_data()
{
    QTest::addColumn<QStringList>("electrodesOff"); // leads delivered as 0
    QTest::addColumn<QVector<int>>("flatLeads");
    QTest::addColumn<int>("reportedLost");          // a noisy channel the device reports lost, or -1
    QTest::newRow("V5 flat") << QStringList{"V5"} << QVector<int>{10} << -1;
    QTest::newRow("V5 and V6 flat") << QStringList{"V5", "V6"} << QVector<int>{10, 11} << -1;
    QTest::newRow("V4 noisy, reported lost") << QStringList{} << QVector<int>{} << 9;
}

void TestDetectorRecovery::lostLeadDelay()
{
    QFETCH(QStringList, electrodesOff);
    QFETCH(QVector<int>, flatLeads);
    QFETCH(int, reportedLost);
    TSynthParams params = Recording;
    params.electrodesOff = electrodesOff;
    TArtifactInjection::Event noise;
    noise.kind = TArtifactInjection::Muscle;
    noise.start = 0.0;
    noise.end = RecordSeconds;
    noise.channels = reportedLost >= 0 ? 1u << reportedLost : 0u;
    const TArtifactInjection injection(9, 500.0, TEcgSynthesizer::LeadCount, RailMv, {noise});
    const Run run = play(params, reportedLost >= 0 ? &injection : nullptr, RecordSeconds, [&](TQrsDetector& d) {
        if (reportedLost >= 0)
            d.setChannelLost(reportedLost, true);
    });

    // Every beat is found, as soon as with every lead good.
    const std::vector<int> truthOf = matchBeats(run.truth, run.beats, MatchSeconds);
    QCOMPARE(int(std::count_if(truthOf.begin(), truthOf.end(), [](int t) { return t < 0; })), 0);
    int required = 0;
    for (const TSynthBeat& b : run.truth)
        required += b.rTime > LearningSeconds && b.rTime < RecordSeconds - 0.5 ? 1 : 0;
    QVERIFY(int(run.beats.size()) >= required);
    // A lead without contact takes part in no beat.
    for (const TBeat& b : run.beats)
        for (int c : flatLeads)
            QCOMPARE(b.leadValue(c, TBeat::DetectionFlag), 0.0);
    const auto settled = [](const Run& r) {
        std::vector<double> delays;
        for (size_t d = 0; d < r.beats.size(); ++d)
            if (r.beats[d].time() > LearningSeconds && r.beats[d].time() < RecordSeconds - 2.0)
                delays.push_back(r.delays[d]);
        return delays;
    };
    const double good = percentile(settled(m_clean), 0.99);
    const double lost = percentile(settled(run), 0.99);
    QVERIFY2(lost - good <= 0.3, qPrintable(QString("99th percentile delay %1 s against %2 s with every lead good")
                                                .arg(lost, 0, 'f', 2)
                                                .arg(good, 0, 'f', 2)));
}

QTEST_GUILESS_MAIN(TestDetectorRecovery)
#include "tst_detectorrecovery.moc"

void TestDetectorRecovery::leadLearnedOnSmallWavesLearnsAgain_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("seconds");
    QTest::newRow("a tenth, 4 s") << 0.1 << 4.0;
    QTest::newRow("a twentieth, 6 s") << 0.05 << 6.0;
}

void TestDetectorRecovery::leadLearnedOnSmallWavesLearnsAgain()
{
    // An electrode that barely touches at first and is then pressed on: lead II
    // learns its complexes from waves a fraction of their later size. Its full
    // complexes must not pass for overloads from then on, which would keep the
    // lead out of every average beat for the rest of the recording.
    QFETCH(double, scale);
    QFETCH(double, seconds);
    TSynthesizedPlayback playback(Recording);
    const qint64 pressed = qint64(seconds * 500.0);
    playback.setDisturbance([scale, pressed](int c, qint64 first, int n, double* mv) {
        if (c != 1)
            return;
        for (int i = 0; i < n && first + i < pressed; ++i)
            mv[i] *= scale;
    });
    BeatRecorder sink;
    playback.path().detector().setSink(&sink);
    playback.play();
    int later = 0;
    QStringList excluded;
    for (const TBeat& beat : sink.beats) {
        if (beat.time() < seconds + 8.0)
            continue;
        ++later;
        if (beat.hasLeadValue(1, TBeat::Flag8) && beat.leadValue(1, TBeat::Flag8) != 0.0)
            excluded << QString::number(beat.time(), 'f', 2);
    }
    QVERIFY(later > 15);
    QVERIFY2(excluded.isEmpty(), qPrintable("lead II kept out of the average at " + excluded.join(", ")));
}
