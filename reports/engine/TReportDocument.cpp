#include "TReportDocument.h"

#include "TReportDataSource.h"
#include "TReportPainter.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <cmath>

TReportDocument::TReportDocument(const TReportTemplate& report, TReportDataSource& source)
    : m_template(report), m_source(source), m_pages(TReportLayout::layOut(m_template, source))
{
}

void TReportDocument::paintPage(QPainter& painter, const QRectF& target, int page)
{
    if (page < 1 || page > m_pages.size())
        return;
    if (m_progress)
        m_progress(page, m_pages.size());
    TReportPainter(m_template, m_source).paint(painter, target, m_pages[page - 1], page, m_pages.size());
}

bool TReportDocument::writePdf(QIODevice* device, const QString& title)
{
    QPdfWriter writer(device);
    writer.setResolution(PdfResolution);
    writer.setPageLayout(QPageLayout(m_template.pageSize, m_template.orientation, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Velmora"));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    const QRectF sheet(0, 0, writer.width(), writer.height());
    for (int page = 1; page <= m_pages.size(); ++page) {
        if (page > 1 && !writer.newPage())
            return false;
        paintPage(painter, sheet, page);
    }
    return painter.end();
}

bool TReportDocument::print(QPrinter& printer)
{
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(m_template.pageSize, m_template.orientation, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF sheet = printer.paperRect(QPrinter::DevicePixel);
    for (int page = 1; page <= m_pages.size(); ++page) {
        if (page > 1 && !printer.newPage())
            return false;
        paintPage(painter, QRectF(QPointF(0, 0), sheet.size()), page);
    }
    return painter.end();
}

QImage TReportDocument::renderPage(int page, double dotsPerMillimetre)
{
    const QSizeF mm = m_template.pageSize.size(QPageSize::Millimeter);
    const QSizeF sheetMm = m_template.orientation == QPageLayout::Landscape ? mm.transposed() : mm;
    const QSize pixels(int(std::lround(sheetMm.width() * dotsPerMillimetre)),
                       int(std::lround(sheetMm.height() * dotsPerMillimetre)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    const int dotsPerMetre = int(std::lround(dotsPerMillimetre * 1000.0));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    paintPage(painter, QRectF(QPointF(0, 0), QSizeF(pixels)), page);
    painter.end();
    return image;
}
