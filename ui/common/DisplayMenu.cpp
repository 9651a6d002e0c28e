#include "DisplayMenu.h"

#include "ColorSchemes.h"
#include "DisplaySettings.h"
#include "TSignalBuffer.h"
#include "TSignalChannel.h"

#include <QAction>
#include <QMenu>

namespace DisplayMenu {

void addLeads(QMenu& menu, const QStringList& names, const QVector<bool>& visible,
              const std::function<void(int, bool)>& toggled)
{
    QMenu* leads = menu.addMenu(QMenu::tr("Show leads"));
    for (int lead = 0; lead < names.size(); ++lead) {
        QAction* action = leads->addAction(names[lead]);
        action->setCheckable(true);
        action->setChecked(visible.value(lead, true));
        QObject::connect(action, &QAction::toggled, [toggled, lead](bool on) { toggled(lead, on); });
    }
}

void addLeads(QMenu& menu, const TSignalBuffer& signal, const DisplaySettings& settings,
              const std::function<void(int, bool)>& toggled)
{
    QStringList names;
    QVector<bool> visible;
    for (int lead = 0; lead < signal.channelCount(); ++lead) {
        names.append(QString::fromLatin1(signal.channel(lead)->name()));
        visible.append(settings.leadVisible(lead));
    }
    addLeads(menu, names, visible, toggled);
}

void addColorSchemes(QMenu& menu, const QString& current, const std::function<void(const QString&)>& chosen)
{
    QMenu* schemes = menu.addMenu(QMenu::tr("Color scheme"));
    for (const QString& name : ColorSchemes::names()) {
        QAction* action = schemes->addAction(name);
        action->setCheckable(true);
        action->setChecked(name == current);
        QObject::connect(action, &QAction::triggered, [chosen, name]() { chosen(name); });
    }
}

void addToggle(QMenu& menu, const QString& text, bool checked, const std::function<void(bool)>& toggled)
{
    QAction* action = menu.addAction(text);
    action->setCheckable(true);
    action->setChecked(checked);
    QObject::connect(action, &QAction::toggled, [toggled](bool on) { toggled(on); });
}

} // namespace DisplayMenu
