#pragma once

#include <QFont>
#include <QString>

// The one typeface every report draws its text with (PDF, printer, image and
// the strip printer), so that a study prints alike on every workstation.
//
// The family is asked for by its exact name; the project installs it (Debian's
// fonts-liberation2, metric-compatible with Helvetica and Arial). Where it is
// missing, fontconfig's substitute prints instead, silently. Shaping is off, so
// no ligature or other substitution replaces the letters written: the text a
// PDF reader extracts ("fix", "Wolf") is the text the report wrote.
namespace TReportTypeface {

extern const char* const Family;

// The report typeface at pointSize points (a size the caller may change later).
QFont font(double pointSize, bool bold = false, bool italic = false);

// Whether this machine has the report typeface itself rather than a substitute.
bool isInstalled();

} // namespace TReportTypeface
