#include "TBeatAccuracy.h"

#include "TAnalysisPath.h"
#include "TBeat.h"
#include "TBeatAverager.h"
#include "TBeatSink.h"
#include "TEcgSynthesizer.h"
#include "TMeasurementRecord.h"
#include "TQrsDetector.h"
#include "TStreamingFilterChain.h"
#include "TSynthesizedPlayback.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double MatchSeconds = 0.05;
constexpr int RegularClass = 1;

class AveragingSink : public TBeatSink
{
public:
    explicit AveragingSink(TBeatAverager* averager) : m_averager(averager) {}
    std::vector<TBeat> beats;
    void storeBeat(const TBeat& beat, const TBeatRecord*, int) override
    {
        beats.push_back(beat);
        m_averager->addBeat(beat);
    }

private:
    TBeatAverager* m_averager;
};

// The true beat nearest to time t, or nullptr when none is within MatchSeconds.
const TSynthBeat* nearestTruth(const QVector<TSynthBeat>& truth, double t)
{
    const auto it = std::lower_bound(truth.begin(), truth.end(), t,
                                     [](const TSynthBeat& b, double x) { return b.rTime < x; });
    const TSynthBeat* best = nullptr;
    for (auto c : {it - 1, it}) {
        if (c < truth.begin() || c >= truth.end())
            continue;
        if (std::fabs(c->rTime - t) <= MatchSeconds && (!best || std::fabs(c->rTime - t) < std::fabs(best->rTime - t)))
            best = &*c;
    }
    return best;
}

} // namespace

TBeatAccuracy::Run TBeatAccuracy::run(const TSynthParams& params)
{
    TSynthesizedPlayback playback(params);
    const TEcgSynthesizer& synth = playback.synthesizer();
    TAnalysisPath& path = playback.path();
    // As the recording engine does: the average is taken of the analysis signal
    // with only its baseline removed, so the filters that shape the detector's
    // input do not move the wave points.
    TStreamingFilterChain averagerChain(path.analysisSignal());
    averagerChain.rebuild(false, false, true);
    TBeatAverager averager(averagerChain.output(), AveragingWindowSeconds);
    AveragingSink sink(&averager);
    path.detector().setSink(&sink);
    playback.play([&averagerChain] { averagerChain.process(); });
    averagerChain.process();

    Run r;
    const QVector<TSynthBeat>& truth = synth.beats();
    r.truthBeats = truth.size();
    r.detectedBeats = int(sink.beats.size());
    // The rate of the sinus beats of the last averaging window, the span the
    // detector's mean RR describes at the end.
    const double truthEnd = truth.isEmpty() ? 0.0 : truth.back().rTime;
    std::vector<double> sinusRR;
    for (int i = 1; i < truth.size(); ++i)
        if (!truth[i].ventricular && !truth[i - 1].ventricular && truth[i].rTime >= truthEnd - AveragingWindowSeconds)
            sinusRR.push_back(truth[i].rTime - truth[i - 1].rTime);
    if (!sinusRR.empty()) {
        double sum = 0.0;
        for (double rr : sinusRR)
            sum += rr;
        r.truthHeartRate = 60.0 * sinusRR.size() / sum;
    }
    if (path.detector().meanRR() > 0.0)
        r.heartRate = 60.0 / path.detector().meanRR();

    for (const TBeat& b : sink.beats) {
        const TSynthBeat* t = nearestTruth(truth, b.time());
        if (!t)
            continue;
        ++r.matchedBeats;
        if (t->ventricular && b.beatClass() == RegularClass)
            ++r.ventricularAsRegular;
    }

    // The wave points of the average, as absolute times of each averaged beat,
    // against that beat's true points.
    // Intervals are read in lead II, as clinicians do (the review window's
    // measurement lead); the reference channel only where there is no lead II.
    // The reference channel changes with which leads detected a beat or two
    // more, and in a lead that sees the end of the QRS edge-on (lead I here sees
    // almost none of the S wave) the QRS end would be found early.
    const TSignalChannel* leadII = averagerChain.output()->channelByName("II");
    const TMeasurementRecord m = TMeasurementRecord::measure(averager, leadII ? leadII->index() : -1);
    r.averagedBeats = averager.beatCount();
    const int reference = averager.referenceChannel();
    const double newest = sink.beats.empty() ? 0.0 : sink.beats.back().time();
    struct Point
    {
        const char* key;
        double TSynthBeat::*truth;
        double Run::*error;
    };
    const Point points[] = {{"POnset", &TSynthBeat::pOnset, &Run::pOnsetMs},
                            {"QRSOnset", &TSynthBeat::qrsOnset, &Run::qrsOnsetMs},
                            {"QRSOffset", &TSynthBeat::qrsEnd, &Run::qrsEndMs},
                            {"TOffset", &TSynthBeat::tEnd, &Run::tEndMs}};
    for (const Point& p : points) {
        const double relative = m.value(QString::fromLatin1(p.key));
        double sum = 0.0;
        int count = 0;
        if (relative != 0.0 && reference >= 0) {
            for (const TBeat& b : sink.beats) {
                if (b.time() < newest - AveragingWindowSeconds || b.beatClass() != RegularClass ||
                    !b.hasLeadValue(reference, TBeat::Fiducial))
                    continue;
                const TSynthBeat* t = nearestTruth(truth, b.time());
                if (!t || t->ventricular)
                    continue;
                sum += b.leadValue(reference, TBeat::Fiducial) + relative - (*t).*(p.truth);
                ++count;
            }
        }
        r.*(p.error) = count > 0 ? 1000.0 * sum / count : std::numeric_limits<double>::quiet_NaN();
    }
    return r;
}

TBeatAccuracy::Statistic TBeatAccuracy::statistic(const QVector<double>& values)
{
    Statistic s;
    double sum = 0.0;
    for (double v : values) {
        if (std::isnan(v)) {
            ++s.missing;
            continue;
        }
        sum += v;
        ++s.count;
    }
    if (s.count == 0)
        return s;
    s.mean = sum / s.count;
    double squares = 0.0;
    for (double v : values)
        if (!std::isnan(v))
            squares += (v - s.mean) * (v - s.mean);
    s.sd = s.count > 1 ? std::sqrt(squares / (s.count - 1)) : 0.0;
    return s;
}

TBeatAccuracy::Summary TBeatAccuracy::summarize(TSynthParams params, int seeds)
{
    QVector<double> p, qOn, qEnd, tEnd, hr;
    Summary s;
    for (int i = 0; i < seeds; ++i) {
        const Run r = run(params);
        p.append(r.pOnsetMs);
        qOn.append(r.qrsOnsetMs);
        qEnd.append(r.qrsEndMs);
        tEnd.append(r.tEndMs);
        hr.append(r.heartRate > 0.0 ? r.heartRate - r.truthHeartRate : std::numeric_limits<double>::quiet_NaN());
        s.ventricularAsRegular += r.ventricularAsRegular;
        s.missedBeats += r.truthBeats - r.matchedBeats;
        s.extraBeats += r.detectedBeats - r.matchedBeats;
        ++params.seed;
    }
    s.runs = seeds;
    s.pOnset = statistic(p);
    s.qrsOnset = statistic(qOn);
    s.qrsEnd = statistic(qEnd);
    s.tEnd = statistic(tEnd);
    s.heartRateError = statistic(hr);
    return s;
}
