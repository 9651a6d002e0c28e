// The recording engine on synthesized recordings with known heart rate and ST
// deviation, fed through the driver as a recorder delivers them.

#include "RecorderTestRig.h"

#include "TBeatAverager.h"
#include "TEcgSynthesizer.h"

#include <QtTest>
#include <cmath>

using namespace RecorderTest;

namespace {

// The synthesizer's heart rate at t (beats per minute), without the sinus arrhythmia.
double rateAt(const TSynthParams& p, double t)
{
    const double end = p.rampEndSeconds < 0 ? p.durationSeconds : p.rampEndSeconds;
    if (t <= p.rampStartSeconds || end <= p.rampStartSeconds)
        return p.heartRateStart;
    if (t >= end)
        return p.heartRateEnd;
    return p.heartRateStart + (p.heartRateEnd - p.heartRateStart) * (t - p.rampStartSeconds) / (end - p.rampStartSeconds);
}

// Mean rate of the true beats within the last `window` seconds before t.
double trueRate(const TEcgSynthesizer& synth, double t, double window)
{
    double first = -1, last = -1;
    int intervals = -1;
    for (const TSynthBeat& b : synth.beats()) {
        if (b.rTime > t)
            break;
        if (b.rTime < t - window)
            continue;
        if (first < 0)
            first = b.rTime;
        last = b.rTime;
        ++intervals;
    }
    return intervals > 0 ? 60.0 * intervals / (last - first) : 0.0;
}

} // namespace

class TestStudyRecorderSignal : public QObject
{
    Q_OBJECT

private slots:
    void steadyHeartRate_data()
    {
        QTest::addColumn<double>("bpm");
        QTest::newRow("60/min") << 60.0;
        QTest::newRow("120/min") << 120.0;
        QTest::newRow("200/min") << 200.0;
    }
    void steadyHeartRate()
    {
        QFETCH(double, bpm);
        TSynthParams params;
        params.seed = 7;
        params.durationSeconds = 45;
        params.heartRateStart = params.heartRateEnd = bpm;
        const TEcgSynthesizer synth(params);
        const TProtocol protocol = exercise({600});
        Rig rig(&protocol, nullptr, nullptr, nullptr, allLeads());
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.play(synth, 0, synth.frameCount()));
        const double end = rig.recorder->recordingTime();
        const double truth = trueRate(synth, end - 1.0, 15.0);
        QVERIFY2(std::fabs(rig.recorder->heartRate() - truth) <= 2.0,
                 qPrintable(QString("%1 against %2").arg(rig.recorder->heartRate()).arg(truth)));
        // Every beat is stored, but for the last few that the detector (whose
        // input lags by its filters) has not yet decided.
        int missed = 0;
        for (const TSynthBeat& b : synth.beats())
            if (b.rTime < end - 3.0 && rig.study->beats()->beatAt(b.rTime, 0.05) < 0)
                ++missed;
        const int stored = rig.study->beats()->count();
        QCOMPARE(missed, 0);
        QVERIFY(rig.study->results().trend(QStringLiteral("BPMTrend"))->size() > stored / 2);
        QCOMPARE(rig.recorder->lastBeatMeanRR(), rig.study->beats()->beat(stored - 1).value(TBeat::MeanRR));
    }

    // A resting ECG of ten seconds: once the recording has stopped, every
    // complex it holds whole is among its beats, also those of its last second,
    // which the detector decides only after the recording has ended; none after
    // its end, though monitoring may go on.
    void lastBeatsOfRecording_data()
    {
        QTest::addColumn<double>("bpm");
        QTest::addColumn<double>("monitoredAfter"); // seconds of signal after Stop
        QTest::newRow("acquisition stops with the recording") << 100.0 << 0.0;
        QTest::newRow("monitoring goes on for a second") << 100.0 << 1.0;
        QTest::newRow("monitoring goes on for five seconds") << 160.0 << 5.0;
    }
    void lastBeatsOfRecording()
    {
        QFETCH(double, bpm);
        QFETCH(double, monitoredAfter);
        TSynthParams params;
        params.seed = 11;
        params.durationSeconds = 10.0 + monitoredAfter;
        params.heartRateStart = params.heartRateEnd = bpm;
        const TEcgSynthesizer synth(params);
        Rig rig(nullptr, nullptr, nullptr, nullptr, allLeads());
        rig.recorder->start(QStringLiteral("20261208120000"));
        // The recording is the first ten seconds; the rest is monitoring.
        QVERIFY(rig.play(synth, 0, 5000, 250));
        rig.recorder->stop();
        const double end = rig.recorder->recordingTime();
        QCOMPARE(end, 10.0);
        // The recording's last samples, short of a whole page, are shown too.
        const TSignalBuffer* recording = rig.study->recording();
        QCOMPARE(recording->pageCount(), (recording->length() + recording->pageSize() - 1) / recording->pageSize());
        QVERIFY(rig.play(synth, 5000, synth.frameCount(), 250));
        rig.recorder->stopAcquisition();

        QStringList missing;
        for (const TSynthBeat& b : synth.beats())
            if (b.rTime > 1.0 && b.rTime <= end - 0.1 && rig.study->beats()->beatAt(b.rTime, 0.05) < 0)
                missing.append(QString::number(b.rTime, 'f', 2));
        QVERIFY2(missing.isEmpty(), qPrintable("missing beats at " + missing.join(", ")));
        for (int k = 0; k < rig.study->beats()->count(); ++k)
            QVERIFY2(rig.study->beats()->beat(k).time() <= end, qPrintable(QString::number(rig.study->beats()->beat(k).time())));
    }

    // A stress test of four treadmill stages while the rate climbs from 80 to
    // 200 per minute.
    void heartRateRamp()
    {
        TSynthParams params;
        params.seed = 11;
        params.durationSeconds = 100;
        params.heartRateStart = 80;
        params.heartRateEnd = 200;
        params.rampStartSeconds = 20;
        params.rampEndSeconds = 80;
        // The breathing would swing the true rate by several beats per minute.
        params.sinusArrhythmia = 0.0;
        const TEcgSynthesizer synth(params);
        const TProtocol protocol = exercise({25, 25, 25, 25});
        Rig rig(&protocol, nullptr, nullptr, nullptr, allLeads());
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.play(synth, 0, synth.frameCount(), 1000));
        rig.recorder->stop();

        // The smoothed rate at every beat lies between the true rate of 5 s
        // before and the true rate now (2/min of slack).
        const auto& beats = rig.listener.beats;
        const auto& rates = rig.listener.heartRates;
        int checked = 0;
        double worst = 0.0;
        for (size_t i = 0; i < beats.size(); ++i) {
            const double t = beats[i].time();
            if (t < 15.0)
                continue;
            const double low = rateAt(params, t - 5.0) - 2.0;
            const double high = rateAt(params, t) + 2.0;
            worst = std::max({worst, low - rates[i], rates[i] - high});
            if (rates[i] < low || rates[i] > high)
                QFAIL(qPrintable(QString("%1/min at %2 s, truth %3 to %4").arg(rates[i]).arg(t).arg(low + 2).arg(high - 2)));
            ++checked;
        }
        QVERIFY(checked > 150);

        // The rate of each stage is the one at its end.
        const TStudyResults& results = rig.study->results();
        const TValueArray& bpm = *results.valueArray(QStringLiteral("BPMPerStage"));
        QCOMPARE(bpm.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const double stageEnd = i < 3 ? 25.0 * (i + 1) : rig.recorder->recordingTime();
            QVERIFY2(bpm.value(i) >= rateAt(params, stageEnd - 5.0) - 3 && bpm.value(i) <= rateAt(params, stageEnd) + 2,
                     qPrintable(QString("stage %1: %2/min").arg(i).arg(bpm.value(i))));
        }
        QCOMPARE(*results.value(QStringLiteral("maxBPM")), bpm.largest());
        QVERIFY(*results.value(QStringLiteral("maxBPM")) >= 197);
    }

    void stLevel_data()
    {
        QTest::addColumn<double>("stMv");
        QTest::addColumn<double>("wanderMv");
        QTest::newRow("0.1 mV depression") << -0.1 << 0.06;
        QTest::newRow("0.2 mV depression") << -0.2 << 0.06;
        QTest::newRow("0.2 mV depression, strong baseline wander") << -0.2 << 0.4;
        QTest::newRow("none") << 0.0 << 0.06;
    }
    void stLevel()
    {
        QFETCH(double, stMv);
        QFETCH(double, wanderMv);
        TSynthParams params;
        params.seed = 3;
        params.durationSeconds = 40;
        params.heartRateStart = params.heartRateEnd = 90;
        params.stDeviationMv = stMv;
        params.baselineWanderMv = wanderMv;
        const TEcgSynthesizer synth(params);
        const auto truth = synth.stDeviationMv();
        Rig rig(nullptr, nullptr, nullptr, nullptr, allLeads());
        rig.recorder->start(QStringLiteral("20261207120000"));
        QVERIFY(rig.play(synth, 0, synth.frameCount()));
        int leadsChecked = 0;
        QStringList report;
        bool ok = true;
        for (int lead = 0; lead < TEcgSynthesizer::LeadCount; ++lead) {
            // The leads that carry the deviation (or, without one, every lead).
            if (stMv != 0.0 && std::fabs(truth[size_t(lead)]) < 0.5 * std::fabs(stMv))
                continue;
            const TStudyRecorder::StMarks marks = rig.recorder->stMarks(lead);
            const TTrend& trend = *rig.study->results().trend(TStudyResults::stLevelTrendName(lead));
            QVERIFY(trend.size() > 20);
            const double level = trend.value(trend.size() - 1);
            // The trend keeps 0.1 uV.
            QVERIFY2(std::fabs(marks.levelMv - level) <= 0.5e-4 + 1e-12,
                     qPrintable(QString("%1 vs %2").arg(marks.levelMv, 0, 'g', 12).arg(level, 0, 'g', 12)));
            QVERIFY(marks.baseline < rig.recorder->averager()->rIndex() && marks.level > marks.baseline &&
                    marks.slope > marks.level);
            report.append(QString("%1: %2 (%3)").arg(TLeadTable::leadName(lead)).arg(level, 0, 'f', 3).arg(truth[size_t(lead)], 0, 'f', 3));
            ok = ok && std::fabs(level - truth[size_t(lead)]) <= 0.02;
            ++leadsChecked;
        }
        QVERIFY2(ok, qPrintable(report.join(QLatin1String(", "))));
        QVERIFY(leadsChecked >= 3);
    }
};

QTEST_GUILESS_MAIN(TestStudyRecorderSignal)
#include "tst_studyrecordersignal.moc"
