#pragma once

#include "TReportLayout.h"

class QPainter;
class TReportDataSource;

// The paint pass: draws one laid-out page through a painter, whatever device the
// painter is on (a PDF writer, a printer, an image). Lines, frames and drawings
// stay vector paths; text is laid out at the device's resolution.
class TReportPainter
{
public:
    TReportPainter(const TReportTemplate& report, TReportDataSource& source);

    // Paints page (1-based, of pages) into target: the rectangle of the painter's
    // device that stands for the whole sheet.
    void paint(QPainter& painter, const QRectF& target, const TReportPage& page, int pageNumber, int pages);

    // The largest resolution images are kept at, in dots per inch of paper: a
    // large photograph used as a logo is scaled down to it.
    static constexpr double ImageDpi = 300.0;

private:
    void paintField(QPainter& painter, const TReportField& field, const QRectF& rect, int record, int pageNumber,
                    int pages);
    void paintImage(QPainter& painter, const TReportField& field, const QRectF& rect, int record);

    const TReportTemplate& m_report;
    TReportDataSource& m_source;
    double m_unitsPerMm;
};
