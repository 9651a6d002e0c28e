#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <array>

// Builds the frames the ECG recorder sends, in both formats, from the leads it
// measures (I, II, III, V1..V6, CM5, CR5 of a 14-lead array; the augmented
// leads are the host's to derive), the electrodes it finds off and its battery.
namespace TRecorderFrameEncoder {

// Off flags in the order LA, LL, RA, V1..V6.
using Electrodes = std::array<bool, 9>;

// The status bytes A, B, C, D for the electrodes off.
std::array<quint8, 4> statusBytes(const Electrodes& off);

QByteArray defaultFrame(const qint16* leads, const Electrodes& off, quint8 battery);
QByteArray hrFrame(const qint16* leads, const Electrodes& off, quint8 battery);

} // namespace TRecorderFrameEncoder
