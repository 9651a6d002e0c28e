#pragma once

#include "TWavePoints.h"

#include <vector>

// How far the P wave and the T end found on a lead's average beat can be
// trusted. A point below Threshold is not reported: no value, no cursor, "--"
// on the report, and the clinician may still place it by hand.
//
// - The P wave must be a slow wave (a pacing spike is none), stand out from
//   the baseline before it (the ripple that fibrillation or flutter waves leave
//   in an average is no P wave, however the delineator shaped it), stand well
//   above the average's standard error (what fibrillation waves, never locked
//   to the QRS, leave of themselves in an average of few beats) and be seen at
//   about the same place in most of the other leads that show a P wave.
// - The T wave must rise above the noise, be more than a ripple beside the
//   QRS and stand out of the slow ripple of the baseline before the beat
//   (fibrillation waves, wander): the end of a flat T wave cannot be placed.
namespace TWaveConfidence {

constexpr double Threshold = 0.5;
// In fibrillation the waves' remains in averages of 20 to 50 beats stood up to
// 7 standard errors high: there a wave must stand 8 of them high to be one.
constexpr double IrregularBar = 8.0;

struct Scores
{
    double p = 1.0;    // the P wave, onset and end together
    double tEnd = 1.0; // the T end
};

// The scores from the lead's own beat: beat in codes at rate per second, its
// RR interval in samples (0: not known), the points found on it (R anywhere),
// and, when known, the average's standard error per sample and the number of
// beats averaged. In an irregularly irregular rhythm (irregularRhythm) the P
// wave must stand higher above the standard error: fibrillation waves leave
// more of themselves in an average than a P wave locked to the QRS needs to
// clear in a regular one. No P or no T end scores 0.
Scores score(const std::vector<double>& beat, int rate, int rrSamples, const TWavePoints& points,
             const std::vector<double>& standardError = {}, int averagedBeats = 0, bool irregularRhythm = false);

// Whether RR intervals (seconds, in time order) vary as in atrial
// fibrillation: widely (a coefficient of variation over 10 %) and at random
// from beat to beat (successive differences, as their root mean square, over
// 1.15 times the intervals' standard deviation; about 1.41 for intervals
// drawn at random, under 1 for the slow swing of a sinus arrhythmia with
// several beats to a breath). False with fewer than six intervals. A lone
// premature beat in a short window can pass for such a rhythm too.
bool irregularlyIrregular(const std::vector<double>& rr);

// The share of the other leads with a trusted P wave whose onset and end lie
// within 40 ms of own's, as a score (1 where fewer than three leads show one).
double pAgreement(const TWavePoints& own, const std::vector<TWavePoints>& others, int rate);

} // namespace TWaveConfidence
