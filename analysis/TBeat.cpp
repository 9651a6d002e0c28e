#include "TBeat.h"

#include "TSignalBuffer.h"

#include <algorithm>

TBeat::TBeat(int number, const TSignalBuffer* buffer) : m_number(number), m_buffer(buffer)
{
    std::fill(std::begin(m_values), std::end(m_values), -1.0);
    std::fill(std::begin(m_hasValue), std::end(m_hasValue), false);
    for (int lead = 0; lead < MaxLeads; ++lead) {
        std::fill(std::begin(m_leadValues[lead]), std::end(m_leadValues[lead]), -1.0);
        std::fill(std::begin(m_hasLeadValue[lead]), std::end(m_hasLeadValue[lead]), false);
    }
}

int TBeat::leadCount() const
{
    return m_buffer ? std::min(m_buffer->channelCount(), int(MaxLeads)) : MaxLeads;
}

void TBeat::setTimeValue(int index, double value)
{
    if (index == 0 || index == 1)
        m_times[index] = value;
}

double TBeat::value(int index) const
{
    return index >= 0 && index < BeatValueCount ? m_values[index] : 0.0;
}

bool TBeat::hasValue(int index) const
{
    return index >= 0 && index < BeatValueCount && m_hasValue[index];
}

void TBeat::setValue(int index, double value)
{
    if (index < 0 || index >= BeatValueCount)
        return;
    m_values[index] = value;
    m_hasValue[index] = true;
}

void TBeat::clearValue(int index)
{
    if (index < 0 || index >= BeatValueCount)
        return;
    m_values[index] = -1.0;
    m_hasValue[index] = false;
}

double TBeat::leadValue(int lead, int index) const
{
    return validLead(lead, index) ? m_leadValues[lead][index] : 0.0;
}

bool TBeat::hasLeadValue(int lead, int index) const
{
    return validLead(lead, index) && m_hasLeadValue[lead][index];
}

void TBeat::setLeadValue(int lead, int index, double value)
{
    if (!validLead(lead, index))
        return;
    m_leadValues[lead][index] = value;
    m_hasLeadValue[lead][index] = true;
}

void TBeat::clearLeadValue(int lead, int index)
{
    if (!validLead(lead, index))
        return;
    m_leadValues[lead][index] = -1.0;
    m_hasLeadValue[lead][index] = false;
}
