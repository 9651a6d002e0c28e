#include "TRecorderStatus.h"

#include "TRecorderProtocol.h"

#include <limits>

TRecorderStatus::TRecorderStatus()
{
    for (auto& off : m_electrodeOff)
        off.store(false);
    for (auto& count : m_saturation)
        count.store(0);
}

bool TRecorderStatus::isElectrodeOff(const char* electrode) const
{
    return isElectrodeOff(TElectrodes::index(electrode));
}

bool TRecorderStatus::isElectrodeOff(int electrode) const
{
    return electrode >= 0 && electrode < TElectrodes::Count &&
           m_electrodeOff[size_t(electrode)].load(std::memory_order_relaxed);
}

void TRecorderStatus::setElectrodes(const TElectrodes::OffFlags& off)
{
    for (int e = 0; e < TElectrodes::Count; ++e)
        m_electrodeOff[size_t(e)].store(off[size_t(e)], std::memory_order_relaxed);
}

void TRecorderStatus::countSaturation(const qint16* leads)
{
    for (int lead = 0; lead < LeadCount; ++lead) {
        std::atomic<int>& count = m_saturation[size_t(lead)];
        const int value = leads[lead];
        if (value < -TRecorderProtocol::SaturationLimit || value > TRecorderProtocol::SaturationLimit) {
            // Only the reader writes: a plain load and store is enough, and the
            // count stops short of overflowing in a days-long recording.
            const int n = count.load(std::memory_order_relaxed);
            if (n < std::numeric_limits<int>::max())
                count.store(n + 1, std::memory_order_relaxed);
        } else {
            count.store(0, std::memory_order_relaxed);
        }
    }
}

void TRecorderStatus::clearSaturation()
{
    for (auto& count : m_saturation)
        count.store(0, std::memory_order_relaxed);
}

int TRecorderStatus::saturationCount(int lead) const
{
    return lead >= 0 && lead < LeadCount ? m_saturation[size_t(lead)].load(std::memory_order_relaxed) : 0;
}

bool TRecorderStatus::isSaturated(int lead) const
{
    return saturationCount(lead) >= TRecorderProtocol::SaturationFrames;
}
