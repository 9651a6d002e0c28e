#include "TLeadSpread.h"

#include <algorithm>
#include <cstdlib>

namespace {

void keep(std::vector<int>& points, int point)
{
    if (point >= 0)
        points.push_back(point);
}

// The median point (the lower one of an even count); -1 with too few leads.
int medianOf(std::vector<int> points)
{
    if (int(points.size()) < TLeadSpread::MinimumLeads)
        return -1;
    const auto middle = points.begin() + long((points.size() - 1) / 2);
    std::nth_element(points.begin(), middle, points.end());
    return *middle;
}

int earlier(int own, int median)
{
    return own >= 0 && median >= 0 ? std::min(own, median) : own;
}

int later(int own, int median)
{
    return own >= 0 && median >= 0 ? std::max(own, median) : own;
}

} // namespace

void TLeadSpread::addLead(const TWavePoints& points)
{
    keep(m_pOnsets, points.pOnset);
    keep(m_pEnds, points.pEnd);
    keep(m_qrsOnsets, points.qrsOnset);
    keep(m_qrsEnds, points.qrsEnd);
    keep(m_tEnds, points.tEnd);
}

TWavePoints TLeadSpread::median() const
{
    TWavePoints m;
    m.pOnset = medianOf(m_pOnsets);
    m.pEnd = medianOf(m_pEnds);
    m.qrsOnset = medianOf(m_qrsOnsets);
    m.qrsEnd = medianOf(m_qrsEnds);
    m.tEnd = medianOf(m_tEnds);
    return m;
}

TWavePoints TLeadSpread::widened(const TWavePoints& points, const TWavePoints& median)
{
    TWavePoints w = points;
    w.qrsOnset = earlier(points.qrsOnset, median.qrsOnset);
    w.qrsEnd = later(points.qrsEnd, median.qrsEnd);
    if (points.pOnset >= 0 && points.pEnd >= 0) {
        w.pOnset = earlier(points.pOnset, median.pOnset);
        w.pEnd = later(points.pEnd, median.pEnd);
        if (w.qrsOnset >= 0)
            w.pEnd = std::min(w.pEnd, w.qrsOnset);
        if (w.pEnd <= w.pOnset)
            w.pEnd = points.pEnd;
    }
    w.tEnd = later(points.tEnd, median.tEnd);
    if (w.tEnd >= 0 && w.qrsEnd >= 0 && w.tEnd <= w.qrsEnd)
        w.tEnd = points.tEnd;
    return w;
}

TWavePoints TLeadSpread::sharedPWave(const std::vector<TWavePoints>& others, int samples)
{
    std::vector<int> onsets, ends;
    for (const TWavePoints& lead : others)
        if (lead.pOnset >= 0 && lead.pEnd > lead.pOnset) {
            onsets.push_back(lead.pOnset);
            ends.push_back(lead.pEnd);
        }
    TWavePoints shared;
    if (onsets.empty() || 2 * onsets.size() < others.size())
        return shared;
    if (others.size() > 1 && !(agreeing(onsets, samples) && agreeing(ends, samples)))
        return shared;
    auto middle = [](std::vector<int>& points) {
        const auto m = points.begin() + long((points.size() - 1) / 2);
        std::nth_element(points.begin(), m, points.end());
        return *m;
    };
    shared.pOnset = middle(onsets);
    shared.pEnd = middle(ends);
    if (shared.pEnd <= shared.pOnset)
        shared.pOnset = shared.pEnd = -1;
    return shared;
}

bool TLeadSpread::agreeing(std::vector<int> points, int samples)
{
    if (int(points.size()) < MinimumLeads)
        return false;
    std::sort(points.begin(), points.end());
    const size_t n = points.size();
    return points[(3 * (n - 1)) / 4] - points[(n - 1) / 4] <= samples;
}

bool TLeadSpread::othersFavour(int reading, int against, std::vector<int> others)
{
    others.erase(std::remove(others.begin(), others.end(), -1), others.end());
    if (others.empty() || reading < 0)
        return false;
    const auto middle = others.begin() + long((3 * others.size()) / 4);
    std::nth_element(others.begin(), middle, others.end());
    return std::abs(reading - *middle) < std::abs(against - *middle);
}
