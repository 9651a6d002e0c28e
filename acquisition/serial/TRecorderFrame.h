#pragma once

#include "TRecorderProtocol.h"

#include <QtGlobal>
#include <array>

// One decoded recorder frame: the 14 lead-table leads (aVR, aVL and aVF derived
// from I, II and III), the four electrode status bytes and the battery byte.
struct TRecorderFrame
{
    std::array<qint16, 14> leads{};
    std::array<quint8, 4> status{}; // bytes A, B, C, D
    quint8 battery = 0;

    // A frame of the given format whose markers have been checked.
    static TRecorderFrame decode(TRecorderProtocol::Format format, const quint8* bytes);
    // aVR = -(I + II) / 2, aVL = (I - III) / 2, aVF = (II + III) / 2, truncated
    // toward zero and limited to the 16-bit range.
    void deriveAugmentedLeads();

    double batteryVolts() const { return battery * TRecorderProtocol::BatteryVoltsPerUnit; }
};
