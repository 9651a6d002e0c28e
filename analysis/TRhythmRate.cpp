#include "TRhythmRate.h"

#include <algorithm>
#include <cmath>

namespace {

// An interval this much shorter than both the mean and the interval before it
// is early ...
constexpr double EarlyShare = 0.85;
// ... and with the next it makes up one of the mean (an interpolated beat) or
// two (a compensatory pause), within this share.
constexpr double PatternTolerance = 0.15;
// An early beat with a compensatory pause among this many beats before it is
// part of a pattern (bigeminy, an AV block that drops every second or third
// beat): then the heart beats at the rate of the pattern, and both intervals count.
constexpr int PatternBeats = 4;
// Shorter than this share of the mean of the recent intervals is a second look
// at a beat or an extra detection, not the rhythm.
constexpr double ShortestShare = 0.5;
// Longer than this share is a pause, unless it recurs among the recent
// intervals (second-degree AV block drops beats in a pattern, and the heart
// does beat that slowly).
constexpr double PauseShare = 1.5;
constexpr double RecurringShare = 0.8;
// After this many intervals in a row that did not count, the rhythm has
// changed: the mean starts afresh.
constexpr int StaleAfter = 3;

} // namespace

double TRhythmRate::recentMean(size_t leavingOut) const
{
    const size_t n = m_recent.size() > leavingOut ? m_recent.size() - leavingOut : 0;
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i)
        sum += m_recent[i];
    return n == 0 ? 0.0 : sum / double(n);
}

bool TRhythmRate::recurs(double rr) const
{
    // The interval itself is the last one remembered.
    for (size_t i = 0; i + 1 < m_recent.size(); ++i)
        if (m_recent[i] >= RecurringShare * rr)
            return true;
    return false;
}

bool TRhythmRate::earlyBefore(double mean) const
{
    // m_recent ends with the early interval; look at the ones before it.
    const int last = int(m_recent.size()) - 2;
    for (int i = last; i >= 0 && i > last - PatternBeats; --i)
        if (m_recent[size_t(i)] < EarlyShare * mean)
            return true;
    return false;
}

void TRhythmRate::remember(double rr)
{
    m_recent.push_back(rr);
    if (m_recent.size() > size_t(TRRAverager::SlotCount))
        m_recent.pop_front();
}

void TRhythmRate::add(double rr, bool normal)
{
    if (!(rr > 0.0))
        return;
    const double mean = recentMean();
    // An early beat that broke into the rhythm: squeezed between two of its
    // beats, or followed by a compensatory pause. The early interval, counted a
    // beat ago, is taken back and this one does not count, so that the rate
    // stays that of the rhythm. In a recurring pattern both count. The rhythm's
    // interval is the mean of those before the early one, which would shorten
    // it by enough to hide a compensatory pause.
    const double early = m_previous;
    const double rhythm = recentMean(1);
    const bool isEarly = m_previousCounted && mean > 0.0 && early < EarlyShare * mean &&
                         early < EarlyShare * m_beforePrevious;
    const bool interpolated = std::fabs(early + rr - mean) < PatternTolerance * mean;
    const bool compensated = std::fabs(early + rr - 2.0 * rhythm) < PatternTolerance * rhythm;
    const bool brokeIn = isEarly && (interpolated || (compensated && !earlyBefore(rhythm)));
    remember(rr);
    m_beforePrevious = m_previous;
    m_previous = rr;
    if (brokeIn) {
        m_previousPremature = false;
        m_averager.undoLast();
        m_previousCounted = false;
        return;
    }
    const bool known = m_recent.size() > size_t(KnownAfter);
    const bool fits = !known || (rr > ShortestShare * mean && (rr < PauseShare * mean || recurs(rr)));
    // The interval after a premature beat is its pause, no more the rhythm's
    // than the premature interval itself.
    const bool counted = normal && !m_previousPremature && rr < LongestRR && fits;
    m_previousPremature = !normal;
    if (counted)
        m_averager.push(rr);
    m_uncounted = counted ? 0 : m_uncounted + 1;
    if (m_uncounted > StaleAfter) {
        m_averager.clear();
        m_uncounted = 0;
    }
    m_previousCounted = counted;
}

double TRhythmRate::meanRR() const
{
    return m_averager.filledSlots() >= KnownAfter ? m_averager.mean() : 0.0;
}
