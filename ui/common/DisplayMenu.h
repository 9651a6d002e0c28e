#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class DisplaySettings;
class QMenu;
class TSignalBuffer;

// The parts of the signal displays' context menus that the ECG windows share:
// the lead list and the colour schemes.
namespace DisplayMenu {

// "Show leads": one checkable entry per lead name, checked where visible;
// toggled(lead, visible) is called when the user picks one.
void addLeads(QMenu& menu, const QStringList& names, const QVector<bool>& visible,
              const std::function<void(int, bool)>& toggled);
// The same for every lead of a signal, checked as the display's settings say.
void addLeads(QMenu& menu, const TSignalBuffer& signal, const DisplaySettings& settings,
              const std::function<void(int, bool)>& toggled);
// "Color scheme": one checkable entry per scheme, the current one checked.
void addColorSchemes(QMenu& menu, const QString& current, const std::function<void(const QString&)>& chosen);
// A checkable entry.
void addToggle(QMenu& menu, const QString& text, bool checked, const std::function<void(bool)>& toggled);

} // namespace DisplayMenu
