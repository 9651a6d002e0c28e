#pragma once

#include <QByteArray>
#include <QList>

// The fixed table of lead names that every device names its channels from, and
// channel masks over it (bit i selects lead i; selected leads come in index order).
namespace TLeadTable {

constexpr int LeadCount = 14;
// The demo recording's copy of the table has two more rows.
constexpr int DemoLeadCount = 16;
// I, II, III, aVR, aVL, aVF, V5: the launcher's channel mask.
constexpr int DefaultChannelMask = 1087;
constexpr int AllLeadsMask = -1;

enum Lead { I = 0, II, III, aVR, aVL, aVF, V1, V2, V3, V4, V5, V6, CM5, CR5 };

// Name of lead index (0..13), or of the demo rows 14 "XX1" and 15 "XX2"; empty otherwise.
const char* leadName(int index);
// Index of a lead name in the table (0..15), or -1.
int leadIndex(const QByteArray& name);
// Lead indices selected by mask among the first leadCount table rows, ascending.
QList<int> selectedLeads(int mask, int leadCount = LeadCount);
// Whether the recorder delivers lead index without meaning (as 0) when the
// electrode ("LA", "LL", "RA", "V1".."V6") has lost contact. Each limb
// electrode takes part in two of I, II, III and in both of aVR, aVL; a chest
// electrode in its own V lead; CM5 and CR5 are never given up.
bool usesElectrode(int lead, const char* electrode);

} // namespace TLeadTable
