#include "LeadLabels.h"

#include "DisplayColorRole.h"
#include "DisplaySettings.h"
#include "SignalGeometry.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace LeadLabels {

void paint(QPainter& painter, const SignalGeometry& geometry, const QVector<int>& leads,
           const DisplaySettings& settings, const TSignalBuffer& store)
{
    if (leads.isEmpty())
        return;
    const QFont font(QStringLiteral("Helvetica"), 12, QFont::Bold);
    painter.setFont(font);
    painter.setPen(settings.color(DisplayColorRole::LeadLabel));
    const int fontHeight = QFontMetrics(font, painter.device()).height();
    for (int row = 0; row < leads.size(); ++row)
        painter.drawText(4, int(std::trunc(geometry.rowTop(row))) + fontHeight, settings.leadLabel(store, leads[row]));
}

} // namespace LeadLabels
