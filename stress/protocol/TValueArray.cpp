#include "TValueArray.h"

#include <cstddef>

void TValueArray::resize(int size)
{
    m_values.resize(size > 0 ? std::size_t(size) : std::size_t(0), 0.0);
}

double TValueArray::value(int index) const
{
    return index >= 0 && index < size() ? m_values[std::size_t(index)] : 0.0;
}

void TValueArray::setValue(int index, double value)
{
    if (index < 0)
        return;
    if (index >= size())
        m_values.resize(std::size_t(index) + 1, 0.0);
    m_values[std::size_t(index)] = value;
}

double TValueArray::largest() const
{
    double largest = 0.0;
    for (double v : m_values) {
        if (v > largest)
            largest = v;
    }
    return largest;
}
