#pragma once

#include <QtGlobal>
#include <array>

// The recorder's nine electrodes, how its status bytes report a lost contact,
// and which leads a lost electrode makes meaningless.
namespace TElectrodes {

constexpr int Count = 9;
enum Electrode { LA = 0, LL, RA, V1, V2, V3, V4, V5, V6 };
using OffFlags = std::array<bool, Count>;

// "LA", "LL", "RA", "V1".."V6"; empty for other indices.
const char* name(int electrode);
// Index of an electrode name, or -1 (also for a null pointer).
int index(const char* name);

// A set bit means the electrode has lost contact.
OffFlags fromStatusBytes(quint8 a, quint8 b, quint8 c, quint8 d);

// Zeroes, among the 14 lead-table leads, those that depend on an electrode
// without contact. CM5 and CR5 are never zeroed.
void zeroDependentLeads(const OffFlags& off, qint16* leads);

} // namespace TElectrodes
