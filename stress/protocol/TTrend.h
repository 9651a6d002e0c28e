#pragma once

#include <vector>

// A result that follows a value over the recording: points of (time in seconds
// of recording time, value), normally in time order.
class TTrend
{
public:
    void clear();
    void append(double time, double value);
    // Keeps the points ordered by time; the new point goes after every point
    // with an equal time.
    void insertSorted(double time, double value);

    int size() const { return int(m_times.size()); }
    bool isEmpty() const { return m_times.empty(); }
    // 0.0 for an index outside the points.
    double time(int index) const;
    double value(int index) const;
    // An index outside the points is ignored.
    void setValue(int index, double value);

    // The value of the point nearest to the time; on a tie the earlier point.
    // Before the first point the first value, after the last the last value,
    // 0.0 without points.
    double valueAt(double time) const;

    const std::vector<double>& times() const { return m_times; }
    const std::vector<double>& values() const { return m_values; }
    // Both sequences must have the same length; otherwise nothing changes and
    // false is returned.
    bool assign(std::vector<double> times, std::vector<double> values);

    bool operator==(const TTrend& other) const;
    bool operator!=(const TTrend& other) const { return !(*this == other); }

private:
    bool inRange(int index) const { return index >= 0 && index < size(); }
    void updateOrdered();

    std::vector<double> m_times;
    std::vector<double> m_values;
    // Whether the times are known to be in non-decreasing order, which lets
    // valueAt search instead of scanning (append does not sort).
    bool m_ordered = true;
};
