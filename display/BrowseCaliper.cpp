#include "BrowseCaliper.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

namespace {

const QColor LabelBox(255, 255, 255, 192);

// Text on a half-transparent white box, so that it stays readable over the trace.
void drawBoxedText(QPainter& painter, const QRect& box, const QString& text)
{
    painter.fillRect(box, LabelBox);
    painter.drawText(box, Qt::AlignCenter, text);
}

} // namespace

QString BrowseCaliper::timeText(int deltaSamples, double rate)
{
    if (!(rate > 0.0))
        return QString();
    return QString::asprintf("%.0f %s", std::abs(double(deltaSamples)) / rate * 1000.0, "ms");
}

QString BrowseCaliper::amplitudeText(double deltaUnits, double millivoltsPerUnit)
{
    const double mv = std::abs(deltaUnits) * millivoltsPerUnit;
    return QString::asprintf("%.1f %s (%.0f %s)", mv, "mv", mv * 10.0, "mm");
}

void BrowseCaliper::paint(QPainter& painter, const QPoint& startPoint, const QPoint& endPoint, const QString& time,
                          const QString& amplitude) const
{
    if (!shown)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::red, 1));
    if (!dragging) {
        painter.drawLine(startPoint.x(), startPoint.y() - 8, startPoint.x(), startPoint.y() + 8);
        painter.restore();
        return;
    }
    QPolygon triangle;
    triangle << startPoint << endPoint << QPoint(endPoint.x(), startPoint.y());
    painter.setBrush(QColor(255, 0, 0, 128));
    painter.drawPolygon(triangle);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(startPoint, 4, 4);
    painter.drawEllipse(endPoint, 4, 4);

    const QFont font(QStringLiteral("Helvetica"), 10, QFont::Bold);
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());
    const int pad = 2;

    const int upper = std::min(startPoint.y(), endPoint.y());
    const int lower = std::max(startPoint.y(), endPoint.y());
    const int midX = (startPoint.x() + endPoint.x()) / 2;
    const QSize timeSize(metrics.horizontalAdvance(time) + 2 * pad, metrics.height());
    drawBoxedText(painter, QRect(QPoint(midX - timeSize.width() / 2, upper - 4 - timeSize.height()), timeSize), time);

    const int rightX = std::max(startPoint.x(), endPoint.x());
    const QSize amplitudeSize(metrics.horizontalAdvance(amplitude) + 2 * pad, metrics.height());
    drawBoxedText(painter,
                  QRect(QPoint(rightX + 10, (upper + lower) / 2 - amplitudeSize.height() / 2), amplitudeSize),
                  amplitude);
    painter.restore();
}
