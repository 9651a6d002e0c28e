#pragma once

#include <QJsonObject>
#include <QString>

class TStudy;

// A study as velmora-cli show prints it, for scripts and checks: the patient,
// the protocol, the per-stage table with the ST of its ST lead, and the
// maxima of a stress test. As text (the table tab-separated) or as JSON (the
// values as numbers, in the table's units).
namespace TStudyShow {

QString text(const TStudy& study);
QJsonObject json(const TStudy& study);

} // namespace TStudyShow
