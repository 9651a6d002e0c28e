#include "TMeasurementRecord.h"

#include "TBeatAverager.h"
#include "TLeadSpread.h"
#include "TSignalBuffer.h"
#include "TWaveConfidence.h"
#include "TWaveDelineator.h"

#include <algorithm>
#include <cmath>

namespace {

// 10 uV: a tenth of a millimetre on paper at 10 mm/mV, a step or so of the
// recorder's signal; far below any P wave a cardiologist reads (a cat's are
// 50 uV and more).
constexpr double MinimumPWaveMv = 0.01;
// The leads agree on a T end when the middle half of theirs lies within 40 ms,
// on a P wave when the middle half of their onsets and of their ends each lies
// within 20 ms.
constexpr double LeadsAgreeOnTEnd = 0.04;
constexpr double LeadsAgreeOnP = 0.02;
// Another lead confirms a T end when its own lies within 40 ms before it.
constexpr double LeadsConfirmTEnd = 0.04;

// Whole milliseconds, truncated; the guard keeps 0.4 s from becoming 399 ms.
int truncatedMs(double seconds)
{
    return int(std::trunc(seconds * 1000.0 + (seconds >= 0 ? 1e-9 : -1e-9)));
}

// The points a lead's beat cannot vouch for taken out: a P wave that does not
// stand out, the end (and so the peak) of a T wave that cannot be placed.
void withhold(TWavePoints& points, const TWaveConfidence::Scores& scores)
{
    if (scores.p < TWaveConfidence::Threshold)
        points.pOnset = points.pPeak = points.pEnd = -1;
    if (scores.tEnd < TWaveConfidence::Threshold)
        points.tOnset = points.tPeak = points.tEnd = -1;
}

constexpr double PreviousTShare = 0.2;

// Whether a P wave begins, in over a fifth of the averaged beats (their RR
// intervals in samples; none: not judged), before the previous beat's T wave
// has ended: in those beats the previous T wave runs into where the P wave is
// read, and the average shows its remains there, about as high as a P wave.
// Averaged over intervals of every length, as in fibrillation, they make a
// broad wave before the QRS, locked to it.
bool reachesPreviousT(const TWavePoints& points, const std::vector<int>& averagedRR)
{
    if (averagedRR.empty() || points.pOnset < 0 || points.tEnd < 0)
        return false;
    const long reached = std::count_if(averagedRR.begin(), averagedRR.end(),
                                       [&](int rr) { return rr > 0 && points.pOnset < points.tEnd - rr; });
    return reached > PreviousTShare * double(averagedRR.size());
}

// Whether sample peak of beat stands as high above the level the QRS began at
// as a wave must above the average's standard error in fibrillation: a T
// wave's second phase lower than that may be the remains of its waves.
bool standsClear(const std::vector<double>& beat, const std::vector<double>& standardError, int peak, int qrsOnset)
{
    if (standardError.size() != beat.size() || qrsOnset < 0 || peak < 0 || peak >= int(beat.size()))
        return true;
    const double error = standardError[size_t(peak)];
    return error <= 0.0 || std::abs(beat[size_t(peak)] - beat[size_t(qrsOnset)]) >= TWaveConfidence::IrregularBar * error;
}

// Where the T wave's return first meets the level of the baseline before the
// beat (the 80 ms that end 8 ms before the QRS), if before the T end found;
// -1 otherwise. Fibrillation waves leave their remains in an average beside
// the T wave too: a return that runs on past that level into one of them would
// end the T wave on it.
int tReturnAtBaseline(const std::vector<double>& beat, int rate, const TWavePoints& p)
{
    if (p.tPeak < 0 || p.tEnd <= p.tPeak || p.qrsOnset < 0 || p.tEnd >= int(beat.size()))
        return -1;
    const int to = p.qrsOnset - int(std::lround(0.008 * rate));
    const int from = to - int(std::lround(0.08 * rate));
    if (from < 0)
        return -1;
    double level = 0.0;
    for (int i = from; i <= to; ++i)
        level += beat[size_t(i)];
    level /= double(to - from + 1);
    const double sign = beat[size_t(p.tPeak)] >= level ? 1.0 : -1.0;
    for (int i = p.tPeak + 1; i < p.tEnd; ++i)
        if (sign * (beat[size_t(i)] - level) <= 0.0)
            return i;
    return -1;
}

// The sample of beat between from and to farthest from the straight line
// joining the two: the peak of a wave whatever its polarity; the middle when
// the lead lies flat there.
int farthestFromChord(const std::vector<double>& beat, int from, int to)
{
    int farthest = (from + to) / 2;
    double distance = 0.0;
    for (int i = from; i <= to; ++i) {
        const double chord = beat[size_t(from)] + (beat[size_t(to)] - beat[size_t(from)]) * (i - from) / (to - from);
        if (std::fabs(beat[size_t(i)] - chord) > distance) {
            distance = std::fabs(beat[size_t(i)] - chord);
            farthest = i;
        }
    }
    return farthest;
}

} // namespace

bool TMeasurementRecord::qrsKnown() const
{
    return value(QStringLiteral("QRSOnset")) != 0.0 && value(QStringLiteral("QRSOffset")) != 0.0;
}

std::optional<int> TMeasurementRecord::prMs() const
{
    if (!qrsKnown() || value(QStringLiteral("POnset")) == 0.0)
        return std::nullopt;
    return truncatedMs(value(QStringLiteral("QRSOnset")) - value(QStringLiteral("POnset")));
}

std::optional<int> TMeasurementRecord::qrsMs() const
{
    if (!qrsKnown())
        return std::nullopt;
    return truncatedMs(value(QStringLiteral("QRSOffset")) - value(QStringLiteral("QRSOnset")));
}

std::optional<int> TMeasurementRecord::pMs() const
{
    if (value(QStringLiteral("POnset")) == 0.0 || value(QStringLiteral("POffset")) == 0.0)
        return std::nullopt;
    return truncatedMs(value(QStringLiteral("POffset")) - value(QStringLiteral("POnset")));
}

std::optional<int> TMeasurementRecord::qtMs() const
{
    if (!qrsKnown() || value(QStringLiteral("TOffset")) == 0.0)
        return std::nullopt;
    return truncatedMs(value(QStringLiteral("TOffset")) - value(QStringLiteral("QRSOnset")));
}

std::optional<int> TMeasurementRecord::qtcMs() const
{
    const std::optional<int> qt = qtMs();
    const double rr = value(QStringLiteral("avgRRInterval"));
    if (!qt || !(rr > 0.0))
        return std::nullopt;
    // From the QT as shown, so that the two figures agree; the small guard keeps a
    // quotient such as 400 / sqrt(0.64) from truncating to 499.
    return int(std::trunc(*qt / std::sqrt(rr) + 1e-9));
}

std::optional<int> TMeasurementRecord::rrMs() const
{
    const double rr = value(QStringLiteral("avgRRInterval"));
    if (!(rr > 0.0))
        return std::nullopt;
    return truncatedMs(rr);
}

void TMeasurementRecord::setWavePoints(const TWavePoints& points, int rIndex, int rate)
{
    auto relative = [&](int index) { return index >= 0 && rate > 0 ? double(index - rIndex) / rate : 0.0; };
    setValue(QStringLiteral("POnset"), relative(points.pOnset));
    setValue(QStringLiteral("PPeak"), relative(points.pPeak));
    setValue(QStringLiteral("POffset"), relative(points.pEnd));
    setValue(QStringLiteral("QRSOnset"), relative(points.qrsOnset));
    setValue(QStringLiteral("QRSOffset"), relative(points.qrsEnd));
    setValue(QStringLiteral("TOnset"), relative(points.tOnset));
    setValue(QStringLiteral("TPeak"), relative(points.tPeak));
    setValue(QStringLiteral("TOffset"), relative(points.tEnd));
}

double TMeasurementRecord::qrsAxis(const double* leadI, const double* leadIII, int length, int qrsOnset, int qrsEnd)
{
    if (!leadI || !leadIII || qrsOnset < 0 || qrsEnd <= qrsOnset + 1 || qrsEnd > length)
        return NoAxis;
    auto net = [&](const double* x) {
        const double base = x[qrsOnset];
        const auto mm = std::minmax_element(x + qrsOnset + 1, x + qrsEnd);
        return (*mm.second - base) - (base - *mm.first);
    };
    const double nI = net(leadI);
    const double nIII = net(leadIII);
    return std::atan2(nI + 2.0 * nIII, std::sqrt(3.0) * nI) * 180.0 / M_PI;
}

TMeasurementRecord TMeasurementRecord::measure(TBeatAverager& averager, int channel)
{
    TMeasurementRecord record;
    const TSignalBuffer* source = averager.source();
    if (channel < 0)
        channel = averager.referenceChannel();
    const std::vector<double>& beat = averager.average(channel);
    const int rate = source ? source->samplingRate() : 0;
    record.setValue(QStringLiteral("measurementChannel"), beat.empty() ? -1.0 : double(channel));
    record.setValue(QStringLiteral("avgRRInterval"), averager.meanRR());
    record.setValue(QStringLiteral("QRSAxis"), NoAxis);
    if (beat.empty() || averager.beatCount() == 0) {
        record.setWavePoints(TWavePoints(), averager.rIndex(), rate);
        return record;
    }
    const int rr = int(averager.meanRR() * rate);
    TWaveDelineator delineator;
    if (source && source->valueStep() > 0.0)
        delineator.setMinimumPWave(MinimumPWaveMv / source->valueStep());
    // Every lead's points, each without what its own beat cannot vouch for; the
    // leads' medians are taken over those.
    const int channels = source ? source->channelCount() : 0;
    TWavePoints own;
    TWaveConfidence::Scores ownScores;
    std::vector<TWavePoints> trusted;
    std::vector<int> tEnds; // the other leads' trusted T ends
    std::vector<int> singlePhaseTEnds; // of those, the ends of T waves read one way only
    TLeadSpread spread;
    // In a rhythm as irregular as fibrillation a P wave must stand higher.
    const bool irregular = TWaveConfidence::irregularlyIrregular(averager.recentIntervals());
    // In such a rhythm the beats averaged came after intervals of every length:
    // the previous T wave runs into where the P wave is read in those that came
    // soonest.
    std::vector<int> averagedRR;
    if (irregular)
        for (double v : averager.averagedIntervals())
            averagedRR.push_back(int(std::lround(v * rate)));
    for (int c = 0; c < channels; ++c) {
        const std::vector<double>& lead = c == channel ? beat : averager.average(c);
        if (lead.empty())
            continue;
        TWavePoints points = delineator.measure(lead.data(), int(lead.size()), rate, averager.rIndex(), rr);
        const std::vector<double> standardError = averager.standardError(c);
        TWaveConfidence::Scores scores =
            TWaveConfidence::score(lead, rate, rr, points, standardError, averager.beatCount(), irregular);
        // In fibrillation a second phase of the T wave must stand clear of its waves' remains.
        if (irregular && points.tPeakOther >= 0 && !standsClear(lead, standardError, points.tPeakOther, points.qrsOnset))
            points.tPeakOther = points.tEndOther = -1;
        if (reachesPreviousT(points, averagedRR))
            scores.p = 0.0;
        if (c == channel) {
            own = points;
            ownScores = scores;
        }
        withhold(points, scores);
        spread.addLead(points);
        if (c != channel) {
            trusted.push_back(points);
            if (points.tEnd >= 0)
                tEnds.push_back(points.tEnd);
            if (points.tEnd >= 0 && points.tEndOther < 0)
                singlePhaseTEnds.push_back(points.tEnd);
        }
    }
    // In fibrillation the T wave ends where its return meets the baseline.
    if (irregular) {
        const int crossing = tReturnAtBaseline(beat, rate, own);
        if (crossing >= 0)
            own.tEnd = crossing;
    }
    // A T wave in two phases ends where the leads that show it in one phase
    // end theirs: the second phase is still the T wave when it lasts as long as
    // theirs, and a U wave or the baseline's drift when theirs has ended with
    // the first.
    const bool tPhaseFromLeads = own.tEndOther >= 0 && own.tEnd >= 0 &&
                                 TLeadSpread::othersFavour(own.tEndOther, own.tEnd, singlePhaseTEnds);
    if (tPhaseFromLeads) {
        own.tPeak = own.tPeakOther;
        own.tEnd = own.tEndOther;
        if (own.tOnset >= own.tPeak)
            own.tOnset = -1;
        ownScores.tEnd = TWaveConfidence::score(beat, rate, rr, own, averager.standardError(channel),
                                                averager.beatCount(), irregular)
                             .tEnd;
    }
    // A P wave the other leads do not show where this lead has it is none.
    ownScores.p = std::min(ownScores.p, TWaveConfidence::pAgreement(own, trusted, rate));
    const bool pWithheld = own.pOnset >= 0 && ownScores.p < TWaveConfidence::Threshold;
    const bool tWithheld = own.tEnd >= 0 && ownScores.tEnd < TWaveConfidence::Threshold;
    withhold(own, ownScores);
    const TWavePoints median = spread.median();
    // A flat T wave in this lead ends where the leads that show theirs end it,
    // when they agree on where that is.
    const bool tFromLeads = own.tEnd < 0 && median.tEnd >= 0 && own.qrsEnd >= 0 && median.tEnd > own.qrsEnd &&
                            TLeadSpread::agreeing(tEnds, int(std::lround(LeadsAgreeOnTEnd * rate)));
    if (tFromLeads)
        own.tEnd = median.tEnd;
    // A T end that no other lead's T wave reaches within 40 ms belongs to a
    // wave this lead alone shows (a U wave run into the T wave, drift): the T
    // wave ends where the latest of the other leads' ends it.
    bool tBeyondLeads = false;
    if (own.tEnd >= 0 && !tEnds.empty()) {
        const int latest = *std::max_element(tEnds.begin(), tEnds.end());
        if (own.tEnd > latest + int(std::lround(LeadsConfirmTEnd * rate)) && own.qrsEnd >= 0 && latest > own.qrsEnd) {
            own.tEnd = latest;
            if (own.tPeak >= own.tEnd)
                own.tPeak = farthestFromChord(beat, own.qrsEnd, own.tEnd);
            tBeyondLeads = true;
        }
    }
    // A P wave this lead does not show (isoelectric in it) begins and ends
    // where the other leads show theirs alike: the atria depolarise once for
    // all of them. A lead whose own wave there was withheld shows atrial
    // activity that is no P wave (fibrillation waves, a pacing spike): it
    // takes none.
    bool pFromLeads = false;
    if (own.pOnset < 0 && !pWithheld && own.qrsOnset >= 0) {
        const TWavePoints shared = TLeadSpread::sharedPWave(trusted, int(std::lround(LeadsAgreeOnP * rate)));
        if (shared.pOnset >= 0 && shared.pEnd < own.qrsOnset && shared.pEnd < int(beat.size())) {
            own.pOnset = shared.pOnset;
            own.pEnd = shared.pEnd;
            own.pPeak = farthestFromChord(beat, own.pOnset, own.pEnd);
            pFromLeads = true;
        }
    }
    const TWavePoints points = TLeadSpread::widened(own, median);
    record.setValue(QStringLiteral("PConfidence"), ownScores.p);
    record.setValue(QStringLiteral("TEndConfidence"), ownScores.tEnd);
    record.setValue(QStringLiteral("PWithheld"), pWithheld && !pFromLeads ? 1.0 : 0.0);
    record.setValue(QStringLiteral("PFromLeads"), pFromLeads ? 1.0 : 0.0);
    record.setValue(QStringLiteral("TEndWithheld"), tWithheld && !tFromLeads ? 1.0 : 0.0);
    record.setValue(QStringLiteral("TEndFromLeads"), tFromLeads ? 1.0 : 0.0);
    record.setValue(QStringLiteral("TPhaseFromLeads"), tPhaseFromLeads ? 1.0 : 0.0);
    record.setValue(QStringLiteral("TEndBeyondLeads"), tBeyondLeads ? 1.0 : 0.0);
    record.setValue(QStringLiteral("IrregularRhythm"), irregular ? 1.0 : 0.0);
    record.setWavePoints(points, averager.rIndex(), rate);

    const TSignalChannel* leadI = source->channelByName("I");
    const TSignalChannel* leadIII = source->channelByName("III");
    if (leadI && leadIII && points.hasQrs()) {
        const std::vector<double>& i = averager.average(leadI->index());
        const std::vector<double>& iii = averager.average(leadIII->index());
        record.setValue(QStringLiteral("QRSAxis"),
                        qrsAxis(i.data(), iii.data(), int(i.size()), points.qrsOnset, points.qrsEnd));
    }
    return record;
}
