#pragma once

#include "TReportTemplate.h"

#include <QRectF>
#include <QVector>

class TReportDataSource;

// One band as placed on a page: which band, for which record, where, and where
// each of its fields ended up (labels that grow push what is below them down).
struct TReportPlacement
{
    const TReportBand* band = nullptr;
    int record = 0;
    double top = 0.0;           // units from the top of the page
    double height = 0.0;        // the band's height as placed
    QVector<QRectF> fieldRects; // relative to the band's top, one per field
};

using TReportPage = QVector<TReportPlacement>;

// The layout pass: flows the bands of a template down pages of its size, one data
// band per record of each group's data set, starting a new page where a band does
// not fit (or asks for one), and puts the page header and footer on every page.
// Bands are never split; a band taller than a whole page goes on a page of its
// own and is cut at its bottom.
class TReportLayout
{
public:
    // The pages, at least one. Asks the source for record counts and, for labels
    // that grow, for their text.
    static QVector<TReportPage> layOut(const TReportTemplate& report, TReportDataSource& source);

    // A band placed at top for record on page: its fields' rects after growing.
    static TReportPlacement place(const TReportTemplate& report, const TReportBand& band, int record, int page,
                                  double top, TReportDataSource& source);

    // A label's text with its fields filled in (page and pages fill "#page" and
    // "#pages"; 0 leaves them empty).
    static QString labelText(const TReportField& field, int record, int page, int pages, TReportDataSource& source);
};
