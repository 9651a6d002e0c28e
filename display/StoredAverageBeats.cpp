#include "StoredAverageBeats.h"

#include <algorithm>

StoredAverageBeats::StoredAverageBeats(int length, int rate, double millivoltsPerUnit, int rIndex)
    : m_length(std::max(0, length)), m_rate(std::max(0, rate)),
      m_rIndex(rIndex >= 0 ? std::min(rIndex, m_length) : m_length * 3 / 8), m_referenceRIndex(m_rIndex),
      m_millivoltsPerUnit(millivoltsPerUnit)
{
}

std::vector<double> StoredAverageBeats::averageBeat(int lead) const
{
    return validLead(lead) && m_hasAverage ? m_average[size_t(lead)] : std::vector<double>();
}

std::vector<double> StoredAverageBeats::referenceBeat(int lead) const
{
    return validLead(lead) && m_hasReference ? m_reference[size_t(lead)] : std::vector<double>();
}

QByteArray StoredAverageBeats::leadName(int lead) const
{
    return validLead(lead) ? m_names[size_t(lead)] : QByteArray();
}

std::vector<double> StoredAverageBeats::fitted(const std::vector<double>& beat) const
{
    std::vector<double> result(beat.begin(), beat.begin() + std::min<size_t>(beat.size(), size_t(m_length)));
    result.resize(size_t(m_length), 0.0);
    return result;
}

void StoredAverageBeats::setAverageBeat(int lead, const std::vector<double>& beat)
{
    if (!validLead(lead))
        return;
    m_average[size_t(lead)] = fitted(beat);
    m_hasAverage = true;
}

void StoredAverageBeats::setReferenceBeat(int lead, const std::vector<double>& beat)
{
    if (!validLead(lead))
        return;
    m_reference[size_t(lead)] = fitted(beat);
    m_referenceRIndex = m_rIndex;
    m_hasReference = true;
}

void StoredAverageBeats::setReferenceBeat(int lead, const std::vector<double>& beat, int rIndex)
{
    if (!validLead(lead))
        return;
    m_reference[size_t(lead)] = beat;
    m_referenceRIndex = std::max(0, rIndex);
    m_hasReference = true;
}

void StoredAverageBeats::clear()
{
    for (auto& beat : m_average)
        beat.clear();
    for (auto& beat : m_reference)
        beat.clear();
    m_hasAverage = m_hasReference = false;
    m_meanRR = 0.0;
}

void StoredAverageBeats::setLeadName(int lead, const QByteArray& name)
{
    if (validLead(lead))
        m_names[size_t(lead)] = name;
}
