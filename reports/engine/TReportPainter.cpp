#include "TReportPainter.h"

#include "TReportDataSource.h"
#include "TReportText.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

TReportPainter::TReportPainter(const TReportTemplate& report, TReportDataSource& source)
    : m_report(report), m_source(source), m_unitsPerMm(report.unitsPerMillimetre())
{
}

void TReportPainter::paint(QPainter& painter, const QRectF& target, const TReportPage& page, int pageNumber, int pages)
{
    const QSizeF size = m_report.size;
    if (size.isEmpty() || target.isEmpty())
        return;
    painter.save();
    // Template units to the device; the same scale both ways, since the units
    // keep the paper's proportions.
    const double scale = std::min(target.width() / size.width(), target.height() / size.height());
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(QPointF(0, 0), size));
    for (const TReportPlacement& placement : page) {
        painter.save();
        painter.translate(0.0, placement.top);
        const QVector<TReportField>& fields = placement.band->fields;
        for (int i = 0; i < fields.size(); ++i)
            paintField(painter, fields[i], placement.fieldRects.value(i, fields[i].rect), placement.record, pageNumber,
                       pages);
        painter.restore();
    }
    painter.restore();
}

void TReportPainter::paintField(QPainter& painter, const TReportField& field, const QRectF& rect, int record,
                                int pageNumber, int pages)
{
    if (field.fill.isValid() && !rect.isEmpty())
        painter.fillRect(rect, field.fill);
    switch (field.kind) {
    case TReportField::Label:
        TReportText::draw(painter, rect, TReportLayout::labelText(field, record, pageNumber, pages, m_source),
                          field.font, field.alignment, field.wordWrap, field.color, m_unitsPerMm);
        break;
    case TReportField::Image:
        paintImage(painter, field, rect, record);
        break;
    case TReportField::Rectangle:
        if (!field.name.isEmpty() && !rect.isEmpty()) {
            painter.save();
            painter.setClipRect(rect, Qt::IntersectClip);
            m_source.draw(field.name, record, painter, rect, m_unitsPerMm);
            painter.restore();
        }
        break;
    }
    if (field.border > 0.0) {
        painter.save();
        painter.setPen(QPen(field.borderColor, field.border, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        if (rect.width() == 0.0 || rect.height() == 0.0)
            painter.drawLine(rect.topLeft(), rect.bottomRight());
        else
            painter.drawRect(rect);
        painter.restore();
    }
}

void TReportPainter::paintImage(QPainter& painter, const TReportField& field, const QRectF& rect, int record)
{
    QImage image = m_source.image(field.name, record);
    if (image.isNull() || rect.isEmpty())
        return;
    // Fitted into the rectangle with its proportions kept, placed as aligned.
    QSizeF fitted = QSizeF(image.size()).scaled(rect.size(), Qt::KeepAspectRatio);
    double x = rect.left();
    if (field.alignment & Qt::AlignRight)
        x = rect.right() - fitted.width();
    else if (field.alignment & Qt::AlignHCenter)
        x = rect.center().x() - fitted.width() / 2.0;
    double y = rect.center().y() - fitted.height() / 2.0;
    if (field.alignment & Qt::AlignTop)
        y = rect.top();
    else if (field.alignment & Qt::AlignBottom)
        y = rect.bottom() - fitted.height();
    // No more pixels than the paper can show.
    const double maxWidth = fitted.width() / m_unitsPerMm / 25.4 * ImageDpi;
    if (image.width() > maxWidth * 1.25)
        image = image.scaledToWidth(std::max(1, int(std::lround(maxWidth))), Qt::SmoothTransformation);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(QPointF(x, y), fitted), image);
    painter.restore();
}
