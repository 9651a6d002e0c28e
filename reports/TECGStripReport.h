#pragma once

#include "TStripContent.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>

class ESCPPrinter;
class TStudy;
struct TReportOptions;

// The strip a resting ECG prints on the portable printer: one 1-bit image,
// 2500 x 560 dots at 8 dots to the millimetre (312.5 x 70 mm), the long side
// along the paper. A text column (patient, measurements, conclusion), the
// traces in sections of three leads, a rhythm strip and a footer with the
// speed, amplitude and filters.
//
// content() reads the study and runs on the GUI thread; render() and print()
// work only on the content and may run on any thread.
class TECGStripReport
{
public:
    static constexpr int Width = 2500;
    static constexpr int Height = 560;
    static constexpr int DotsPerMm = 8;
    static constexpr int TextColumnWidth = 500;
    static constexpr int SectionsHeight = 420; // the rhythm strip below
    static constexpr double PointSize = 8.0;

    // A section of traces: its rectangle, the channels of its rows and where in
    // the content's signal its traces start.
    struct Section
    {
        QRect rect;
        QVector<int> leads;
        double startSeconds = 0.0;
    };

    // The study's strip with the report options (speed, amplitude, filters,
    // rhythm lead, start time). Throws TException when the filters cannot be built.
    static TStripContent content(TStudy& study, const TReportOptions& options);

    // Trace sections for a recording of leadCount leads (none under 7 leads), the
    // rhythm strip last; consecutive sections continue each other's time.
    static QVector<Section> sections(const TStripContent& content, int leadCount);

    // A line of the text column: its label and value; a null value leaves the
    // line to the label, an empty one prints the label alone.
    struct TextLine
    {
        QString label;
        QString value;
    };
    static QVector<TextLine> textLines(const TStripContent& content);

    static QImage render(const TStripContent& content);
    // As the printer takes it: turned a quarter clockwise, 560 dots wide, the
    // text column printed first.
    static QImage forPrinter(const QImage& strip);

    // "%1 mm/sec - %2 mm/mV - Filters: %3".
    static QString footerText(const TReportOptions& options);

    // Opens the printer on port, renders the strip, sends it and closes the
    // printer. Throws TException: connectText() when the port does not open,
    // the printer's own texts when the job fails on the way.
    static void print(const TStripContent& content, const QString& port, ESCPPrinter& printer);
    static QString connectText();

private:
    static void drawText(class QPainter& painter, const TStripContent& content);
    static void drawTraces(class QPainter& painter, const TStripContent& content);
};
