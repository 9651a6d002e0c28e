#pragma once

#include "TReportLayout.h"
#include "TReportTemplate.h"

#include <QImage>
#include <QString>
#include <QVector>

#include <functional>
#include <vector>

class QIODevice;
class QPainter;
class QPrinter;
class TReportDataSource;

// A report laid out from one template, or from several one after the other
// (each starting on a page of its own), and the source that fills them, ready
// to be painted page by page onto a PDF, a printer or an image. The pages are
// counted before anything is painted, so every page can say "Page n of m" of
// the whole report.
class TReportDocument
{
public:
    // Lays the report out at once.
    TReportDocument(const TReportTemplate& report, TReportDataSource& source);
    // The templates' pages in turn; a template whose data sets leave it nothing
    // to print but its page header and footer adds no page (unless it is the
    // only one).
    TReportDocument(const QVector<TReportTemplate>& parts, TReportDataSource& source);

    TReportDocument(const TReportDocument&) = delete;
    TReportDocument& operator=(const TReportDocument&) = delete;

    // The first template.
    const TReportTemplate& reportTemplate() const { return m_templates.front(); }
    // The template a page (1-based) was laid out from.
    const TReportTemplate& pageTemplate(int page) const;
    int pageCount() const { return m_pages.size(); }
    const QVector<TReportPage>& pages() const { return m_pages; }

    // Told before each page is painted: the page (1-based) and the page count.
    void setProgress(std::function<void(int, int)> progress) { m_progress = std::move(progress); }

    // Paints page (1-based) into target, the device rectangle of the whole sheet.
    void paintPage(QPainter& painter, const QRectF& target, int page);

    // Writes the report as PDF into device (opened for writing); false when the
    // PDF could not be painted. Write errors of the device are its own to report.
    bool writePdf(QIODevice* device, const QString& title);
    // Prints every page on the whole sheet of the printer's paper; false when
    // printing could not begin or end.
    bool print(QPrinter& printer);
    // One page as an image of the whole sheet at dotsPerMillimetre.
    QImage renderPage(int page, double dotsPerMillimetre);

    // PDF resolution in dots per inch: coordinates are written at this grain.
    static constexpr int PdfResolution = 1200;

private:
    void layOut();

    // Held where they are: the pages point at the templates' bands.
    std::vector<TReportTemplate> m_templates;
    TReportDataSource& m_source;
    QVector<TReportPage> m_pages;
    QVector<int> m_pageTemplate; // index into m_templates, per page
    std::function<void(int, int)> m_progress;
};
