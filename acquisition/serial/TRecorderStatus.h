#pragma once

#include "TElectrodes.h"

#include <QtGlobal>
#include <array>
#include <atomic>

// The recorder's state beside the samples: battery voltage, electrode contact
// and per-lead saturation. The reader thread writes it; the GUI thread reads
// single values at any time, so every value is an atomic of its own.
class TRecorderStatus
{
public:
    static constexpr int LeadCount = 14;

    TRecorderStatus();

    double batteryVolts() const { return m_batteryVolts.load(std::memory_order_relaxed); }
    void setBatteryVolts(double volts) { m_batteryVolts.store(volts, std::memory_order_relaxed); }

    // False for names that are not one of the nine electrodes.
    bool isElectrodeOff(const char* electrode) const;
    bool isElectrodeOff(int electrode) const;
    void setElectrodes(const TElectrodes::OffFlags& off);

    // Counts, per lead, the frames in a row beyond the saturation limit.
    void countSaturation(const qint16* leads);
    void clearSaturation();
    int saturationCount(int lead) const;
    // The lead (0..13) has been beyond the limit for 0.5 s; false for other indices.
    bool isSaturated(int lead) const;

private:
    std::atomic<double> m_batteryVolts{0.0};
    std::array<std::atomic<bool>, TElectrodes::Count> m_electrodeOff;
    std::array<std::atomic<int>, LeadCount> m_saturation;
};
