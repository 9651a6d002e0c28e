#pragma once

#include <QColor>
#include <QMap>
#include <QString>
#include <QStringList>

class QBeatDisplay;
class QSignalBrowseDisplay;
class QSignalMonitorDisplay;

// The named colour schemes of the signal displays: "Black", "Blue" and "Light",
// each a colour for every colour role 0..9.
namespace ColorSchemes {

// The scheme names in order.
QStringList names();
bool contains(const QString& name);
// The colours of a scheme by role; empty for an unknown name.
QMap<int, QColor> scheme(const QString& name);

// Gives every role of the named scheme to the display, in role order, and
// refreshes it. An unknown or empty name changes nothing and returns false, so the
// display keeps its own colours.
bool apply(const QString& name, QSignalMonitorDisplay& display);
bool apply(const QString& name, QSignalBrowseDisplay& display);
bool apply(const QString& name, QBeatDisplay& display);

} // namespace ColorSchemes
