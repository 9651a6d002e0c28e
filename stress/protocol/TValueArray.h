#pragma once

#include <vector>

// A result with one value per executed stage (index = executed stage index),
// or a plain list such as the pacemaker pulse times. Grows with zeros.
class TValueArray
{
public:
    int size() const { return int(m_values.size()); }
    bool isEmpty() const { return m_values.empty(); }
    // A negative size empties the array; new entries are 0.0.
    void resize(int size);
    // 0.0 for an index outside the array.
    double value(int index) const;
    // Grows the array with zeros up to the index; a negative index is ignored.
    void setValue(int index, double value);
    void append(double value) { m_values.push_back(value); }
    void clear() { m_values.clear(); }

    // The largest entry, starting from 0.0: 0.0 when the array is empty or
    // every entry is below 0.
    double largest() const;

    const std::vector<double>& values() const { return m_values; }
    void assign(std::vector<double> values) { m_values = std::move(values); }

    bool operator==(const TValueArray& other) const { return m_values == other.m_values; }
    bool operator!=(const TValueArray& other) const { return !(*this == other); }

private:
    std::vector<double> m_values;
};
