#include "ColorSchemes.h"

#include "QBeatDisplay.h"
#include "QSignalBrowseDisplay.h"
#include "QSignalMonitorDisplay.h"

namespace ColorSchemes {

namespace {

using SchemeTable = QMap<QString, QMap<int, QColor>>;

SchemeTable buildTable()
{
    const QColor highlight(255, 128, 0, 128);
    SchemeTable table;
    table.insert(QStringLiteral("Light"),
                 {{0, QColor(Qt::black)},
                  {1, QColor(Qt::white)},
                  {2, QColor(220, 200, 180)},
                  {3, QColor(Qt::lightGray)},
                  {4, QColor(Qt::darkBlue)},
                  {5, QColor(Qt::darkGreen)},
                  {6, highlight},
                  {7, QColor(Qt::blue)},
                  {8, QColor(Qt::gray)},
                  {9, QColor(Qt::darkRed)}});
    table.insert(QStringLiteral("Blue"),
                 {{0, QColor(Qt::white)},
                  {1, QColor(Qt::darkBlue).darker(200)},
                  {2, QColor(96, 96, 128)},
                  {3, QColor(Qt::gray)},
                  {4, QColor(Qt::cyan)},
                  {5, QColor(Qt::green)},
                  {6, highlight},
                  {7, QColor(Qt::yellow)},
                  {8, QColor(Qt::darkGray)},
                  {9, QColor(Qt::red)}});
    table.insert(QStringLiteral("Black"),
                 {{0, QColor(Qt::green)},
                  {1, QColor(Qt::black)},
                  {2, QColor(96, 96, 96)},
                  {3, QColor(Qt::gray)},
                  {4, QColor(Qt::yellow)},
                  {5, QColor(Qt::white)},
                  {6, highlight},
                  {7, QColor(Qt::cyan)},
                  {8, QColor(Qt::darkGray)},
                  {9, QColor(Qt::red)}});
    return table;
}

// Built once on first use; the initialisation of a function-local static is
// thread-safe and the table is never written afterwards.
const SchemeTable& table()
{
    static const SchemeTable schemes = buildTable();
    return schemes;
}

template <typename Display>
bool applyTo(const QString& name, Display& display)
{
    if (name.isEmpty() || !table().contains(name))
        return false;
    const QMap<int, QColor> colors = table().value(name);
    for (auto it = colors.constBegin(); it != colors.constEnd(); ++it)
        display.setColor(it.key(), it.value());
    display.refresh();
    return true;
}

} // namespace

QStringList names()
{
    return table().keys();
}

bool contains(const QString& name)
{
    return table().contains(name);
}

QMap<int, QColor> scheme(const QString& name)
{
    return table().value(name);
}

bool apply(const QString& name, QSignalMonitorDisplay& display)
{
    return applyTo(name, display);
}

bool apply(const QString& name, QSignalBrowseDisplay& display)
{
    return applyTo(name, display);
}

bool apply(const QString& name, QBeatDisplay& display)
{
    return applyTo(name, display);
}

} // namespace ColorSchemes
