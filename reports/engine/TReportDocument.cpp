#include "TReportDocument.h"

#include "TReportDataSource.h"
#include "TReportPainter.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <cmath>

namespace {

QPageLayout pageLayout(const TReportTemplate& t)
{
    return QPageLayout(t.pageSize, t.orientation, QMarginsF(0, 0, 0, 0));
}

// Whether a page holds nothing but its page header and footer.
bool isBare(const TReportPage& page)
{
    for (const TReportPlacement& p : page)
        if (p.band->kind != TReportBand::PageHeader && p.band->kind != TReportBand::PageFooter)
            return false;
    return true;
}

} // namespace

TReportDocument::TReportDocument(const TReportTemplate& report, TReportDataSource& source) : m_source(source)
{
    m_templates.push_back(report);
    layOut();
}

TReportDocument::TReportDocument(const QVector<TReportTemplate>& parts, TReportDataSource& source)
    : m_templates(parts.begin(), parts.end()), m_source(source)
{
    if (m_templates.empty())
        m_templates.emplace_back();
    layOut();
}

void TReportDocument::layOut()
{
    for (int t = 0; t < int(m_templates.size()); ++t) {
        const QVector<TReportPage> pages = TReportLayout::layOut(m_templates[size_t(t)], m_source);
        // A later part with nothing of its own to print (no events, say) adds no page.
        if (t > 0 && pages.size() == 1 && isBare(pages.first()))
            continue;
        for (const TReportPage& page : pages) {
            m_pages.append(page);
            m_pageTemplate.append(t);
        }
    }
}

const TReportTemplate& TReportDocument::pageTemplate(int page) const
{
    const int index = page >= 1 && page <= m_pageTemplate.size() ? m_pageTemplate[page - 1] : 0;
    return m_templates[size_t(index)];
}

void TReportDocument::paintPage(QPainter& painter, const QRectF& target, int page)
{
    if (page < 1 || page > m_pages.size())
        return;
    if (m_progress)
        m_progress(page, m_pages.size());
    TReportPainter(pageTemplate(page), m_source).paint(painter, target, m_pages[page - 1], page, m_pages.size());
}

bool TReportDocument::writePdf(QIODevice* device, const QString& title)
{
    QPdfWriter writer(device);
    writer.setResolution(PdfResolution);
    writer.setPageLayout(pageLayout(pageTemplate(1)));
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Velmora"));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    for (int page = 1; page <= m_pages.size(); ++page) {
        if (page > 1) {
            // The next page takes its own template's sheet.
            writer.setPageLayout(pageLayout(pageTemplate(page)));
            if (!writer.newPage())
                return false;
        }
        paintPage(painter, QRectF(0, 0, writer.width(), writer.height()), page);
    }
    return painter.end();
}

bool TReportDocument::print(QPrinter& printer)
{
    printer.setFullPage(true);
    printer.setPageLayout(pageLayout(pageTemplate(1)));
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int page = 1; page <= m_pages.size(); ++page) {
        if (page > 1) {
            printer.setPageLayout(pageLayout(pageTemplate(page)));
            if (!printer.newPage())
                return false;
        }
        const QRectF sheet = printer.paperRect(QPrinter::DevicePixel);
        paintPage(painter, QRectF(QPointF(0, 0), sheet.size()), page);
    }
    return painter.end();
}

QImage TReportDocument::renderPage(int page, double dotsPerMillimetre)
{
    const TReportTemplate& t = pageTemplate(page);
    const QSizeF mm = t.pageSize.size(QPageSize::Millimeter);
    const QSizeF sheetMm = t.orientation == QPageLayout::Landscape ? mm.transposed() : mm;
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
