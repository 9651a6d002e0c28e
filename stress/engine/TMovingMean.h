#pragma once

#include <array>

// Mean of the last (up to) Capacity values pushed, the newest included: the
// short smoothing of the per-beat ST level and slope.
template <int Capacity>
class TMovingMean
{
    static_assert(Capacity > 0, "at least one value");

public:
    // Takes a value and gives the mean of the values now held.
    double push(double value)
    {
        m_values[size_t(m_next)] = value;
        m_next = (m_next + 1) % Capacity;
        if (m_count < Capacity)
            ++m_count;
        m_mean = 0.0;
        for (int i = 0; i < m_count; ++i)
            m_mean += m_values[size_t(i)];
        m_mean /= m_count;
        return m_mean;
    }

    void clear()
    {
        m_count = 0;
        m_next = 0;
        m_mean = 0.0;
    }

    int count() const { return m_count; }
    // The last mean given; 0.0 before the first value.
    double mean() const { return m_mean; }

private:
    std::array<double, Capacity> m_values{};
    int m_count = 0;
    int m_next = 0;
    double m_mean = 0.0;
};
