#include "TProtocolStage.h"

namespace {

// Factor from the base unit to the given unit; 1.0 for the base unit itself.
double unitFactor(const QString& name, const QString& unit)
{
    if (name == QLatin1String("workload")
        && unit.compare(QLatin1String("kgm/min"), Qt::CaseInsensitive) == 0)
        return 6.0;
    return 1.0;
}

} // namespace

double TProtocolStage::value(const QString& name, const QString& unit) const
{
    const auto it = m_values.constFind(name);
    if (it == m_values.constEnd())
        return 0.0;
    return *it * unitFactor(name, unit);
}

void TProtocolStage::setValue(const QString& name, double value, const QString& unit)
{
    m_values[name] = value / unitFactor(name, unit);
}

bool TProtocolStage::operator==(const TProtocolStage& other) const
{
    return m_phase == other.m_phase && m_duration == other.m_duration && m_values == other.m_values;
}
