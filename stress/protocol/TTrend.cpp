#include "TTrend.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>

void TTrend::clear()
{
    m_times.clear();
    m_values.clear();
    m_ordered = true;
}

void TTrend::append(double time, double value)
{
    // NaN compares false, so a NaN time also marks the trend unordered.
    if (!m_times.empty() && !(time >= m_times.back()))
        m_ordered = false;
    if (std::isnan(time))
        m_ordered = false;
    m_times.push_back(time);
    m_values.push_back(value);
}

void TTrend::insertSorted(double time, double value)
{
    if (std::isnan(time)) {
        append(time, value);
        return;
    }
    if (!m_ordered) {
        // Points were appended out of order: the new point goes after the last
        // point that is not later than it (or first when there is none).
        std::size_t index = m_times.size();
        while (index > 0 && !(m_times[index - 1] <= time))
            --index;
        m_times.insert(m_times.begin() + std::ptrdiff_t(index), time);
        m_values.insert(m_values.begin() + std::ptrdiff_t(index), value);
        return;
    }
    const auto pos = std::upper_bound(m_times.begin(), m_times.end(), time);
    const auto index = pos - m_times.begin();
    m_times.insert(pos, time);
    m_values.insert(m_values.begin() + index, value);
}

double TTrend::time(int index) const
{
    return inRange(index) ? m_times[std::size_t(index)] : 0.0;
}

double TTrend::value(int index) const
{
    return inRange(index) ? m_values[std::size_t(index)] : 0.0;
}

void TTrend::setValue(int index, double value)
{
    if (inRange(index))
        m_values[std::size_t(index)] = value;
}

double TTrend::valueAt(double time) const
{
    if (m_times.empty())
        return 0.0;
    if (std::isnan(time))
        return m_values.front();
    if (m_ordered) {
        if (time <= m_times.front())
            return m_values.front();
        if (time >= m_times.back()) {
            // The earliest of the points that share the last time.
            const auto first = std::lower_bound(m_times.begin(), m_times.end(), m_times.back());
            return m_values[std::size_t(first - m_times.begin())];
        }
        // m_times.front() < time < m_times.back(): both neighbours exist.
        const auto after = std::lower_bound(m_times.begin(), m_times.end(), time);
        const double before = *std::prev(after);
        const auto beforeFirst = std::lower_bound(m_times.begin(), m_times.end(), before);
        const bool earlierWins = time - before <= *after - time;
        const auto chosen = earlierWins ? beforeFirst : after;
        return m_values[std::size_t(chosen - m_times.begin())];
    }
    // Unordered points: the first point of smallest distance.
    std::size_t best = 0;
    double bestDistance = std::abs(m_times[0] - time);
    for (std::size_t i = 1; i < m_times.size(); ++i) {
        const double d = std::abs(m_times[i] - time);
        if (d < bestDistance || (std::isnan(bestDistance) && !std::isnan(d))) {
            best = i;
            bestDistance = d;
        }
    }
    return m_values[best];
}

bool TTrend::assign(std::vector<double> times, std::vector<double> values)
{
    if (times.size() != values.size())
        return false;
    m_times = std::move(times);
    m_values = std::move(values);
    updateOrdered();
    return true;
}

void TTrend::updateOrdered()
{
    m_ordered = std::none_of(m_times.begin(), m_times.end(), [](double t) { return std::isnan(t); })
                && std::is_sorted(m_times.begin(), m_times.end());
}

bool TTrend::operator==(const TTrend& other) const
{
    return m_times == other.m_times && m_values == other.m_values;
}
