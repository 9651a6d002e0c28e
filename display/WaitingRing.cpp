#include "WaitingRing.h"

#include <QPainter>
#include <QPainterPath>

void WaitingRing::paint(QPainter& painter, const QPoint& centre, int step)
{
    const QRectF outer(centre.x() - OuterDiameter / 2.0, centre.y() - OuterDiameter / 2.0, OuterDiameter,
                       OuterDiameter);
    const QRectF inner(centre.x() - InnerDiameter / 2.0, centre.y() - InnerDiameter / 2.0, InnerDiameter,
                       InnerDiameter);
    QPainterPath ring;
    ring.addRect(outer);
    QPainterPath hole;
    hole.addEllipse(inner);
    ring = ring.subtracted(hole);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setClipPath(ring);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < Slices; ++i) {
        painter.setBrush(i == step ? QColor(128, 128, 128, 128) : QColor(192, 192, 192, 128));
        // Angles in sixteenths of a degree: 30 degree slices every 36 degrees.
        painter.drawPie(outer, i * 36 * 16, 30 * 16);
    }
    painter.restore();
}
