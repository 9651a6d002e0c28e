#include "TECGStripReport.h"

#include "ESCPPrinter.h"
#include "TEcgReportGraphic.h"
#include "TException.h"
#include "TReportMeasurements.h"
#include "TReportOptions.h"
#include "TReportSignal.h"
#include "TReportText.h"
#include "TStudy.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double DotsPerMm = TECGStripReport::DotsPerMm;
// The leads a section of traces shows, and how many sections there are.
constexpr int RowsPerSection = 3;
// Text lines of the text column: where the first starts, and the pitch.
constexpr int TextLeft = 5;
constexpr int ValueLeft = 140;
constexpr int TextTop = 6;
constexpr int LinePitch = 28; // 3.5 mm for 8-point text

TReportFont stripFont(bool bold = false)
{
    return TReportFont{TECGStripReport::PointSize, bold, false};
}

void drawLine(QPainter& painter, int line, const QString& label, const QString& value)
{
    const int top = TextTop + line * LinePitch;
    const TReportFont font = stripFont();
    if (value.isNull()) {
        TReportText::draw(painter, QRectF(TextLeft, top, TECGStripReport::TextColumnWidth - 2 * TextLeft, LinePitch),
                          label, font, Qt::AlignLeft | Qt::AlignVCenter, false, Qt::black, DotsPerMm);
        return;
    }
    TReportText::draw(painter, QRectF(TextLeft, top, ValueLeft - TextLeft - 4, LinePitch), label, font,
                      Qt::AlignLeft | Qt::AlignVCenter, false, Qt::black, DotsPerMm);
    const double valueWidth = TECGStripReport::TextColumnWidth - ValueLeft - TextLeft;
    TReportText::draw(painter, QRectF(ValueLeft, top, valueWidth, LinePitch), value, font,
                      Qt::AlignLeft | Qt::AlignVCenter, false, Qt::black, DotsPerMm);
}

// "%1 ms" for a value, nothing (an empty value, not a null one) for none.
QString milliseconds(const std::optional<int>& ms, bool measured)
{
    return ms ? QStringLiteral("%1 ms").arg(*ms) : measured ? TReportMeasurements::missing(true) : QStringLiteral("");
}

// A copy of count values of every channel of source from first on, with the
// source's shape and names (the names copied deep: the copy crosses threads).
std::unique_ptr<TRingSignalBuffer<double>> copyStretch(const TSignalBuffer& source, int first, int count)
{
    auto copy = std::make_unique<TRingSignalBuffer<double>>(std::max(1, count), std::max(1, count),
                                                             source.channelCount(), source.samplingRate());
    copy->copyShapeFrom(source);
    for (int c = 0; c < source.channelCount(); ++c) {
        const QByteArray& name = source.channel(c)->name();
        copy->channel(c)->setName(QByteArray(name.constData(), name.size()));
    }
    std::vector<std::vector<double>> values(size_t(source.channelCount()), std::vector<double>(size_t(count)));
    std::vector<const double*> pointers;
    for (int c = 0; c < source.channelCount(); ++c) {
        source.samples(c, first, count, values[size_t(c)].data());
        pointers.push_back(values[size_t(c)].data());
    }
    if (count > 0)
        copy->appendDoubles(pointers.data(), count);
    return copy;
}

} // namespace

QString TECGStripReport::connectText()
{
    return QCoreApplication::translate("TECGStripReport", "Cannot connect to printer (please check it is turned on)");
}

QString TECGStripReport::footerText(const TReportOptions& o)
{
    const QString scales = QCoreApplication::translate("TECGStripReport", "%1 mm/sec - %2 mm/mV")
                               .arg(QString::number(o.speed, 'g', 3), QString::number(o.amplitude, 'g', 3));
    return QCoreApplication::translate("TECGStripReport", "%1 - Filters: %2").arg(scales, o.filterText());
}

TStripContent TECGStripReport::content(TStudy& study, const TReportOptions& o)
{
    TStripContent c;
    const TStudyRecord& record = study.record();
    c.name = QStringLiteral("%1, %2").arg(record.patientProperty(QStringLiteral("lastName")),
                                          record.patientProperty(QStringLiteral("firstName")));
    c.age = record.patientProperty(QStringLiteral("age"));
    const QDateTime time = QDateTime::fromString(record.studyDateTime(), QStringLiteral("yyyyMMddHHmmss"));
    c.date = time.isValid() ? time.toString(QStringLiteral("dd/MM/yyyy")) : QString();
    // Each value where its own wave points were found.
    const TReportMeasurements m(study.results());
    c.measured = m.lead().has_value();
    c.prMs = m.prMs();
    c.qrsMs = m.qrsMs();
    c.qtMs = m.qtMs();
    const TQtcFormula formula = TQtcFormula::fromSettings();
    c.qtcMs = m.qtcMs(formula);
    c.qtcFormula = formula.name();
    c.rrMs = m.rrMs();
    c.heartRate = m.heartRate();
    c.conclusion = record.property(QStringLiteral("conclusion"));
    c.footer = footerText(o);
    c.speed = o.speed > 0.0 ? o.speed : 25.0;
    c.amplitude = o.amplitude > 0.0 ? o.amplitude : 10.0;
    c.centreTraces = !o.baseline;

    TSignalBuffer* recording = study.recording();
    if (!recording || recording->channelCount() < 7)
        return c;
    TReportSignal signal(recording, nullptr, o.notch, o.lowpass, o.baseline);
    const TSignalBuffer& filtered = signal.filtered();
    const int rate = filtered.samplingRate();
    if (rate <= 0)
        return c;
    // The widest stretch the strip shows is the rhythm strip's, from the start.
    const double seconds = (Width - TextColumnWidth) / DotsPerMm / c.speed;
    const int first = std::clamp(int(std::floor(std::max(0.0, o.startTime) * rate)), 0, filtered.length());
    const int count = std::min(filtered.length() - first, int(std::ceil(seconds * rate)) + 2);
    c.signal = copyStretch(filtered, first, std::max(0, count));
    c.startSeconds = std::max(0.0, o.startTime - double(first) / rate);
    if (const TSignalChannel* lead = c.signal->channelByName(o.rhythmLead.toUtf8()))
        c.rhythmLead = lead->index();
    else if (const TSignalChannel* two = c.signal->channelByName("II"))
        c.rhythmLead = two->index();
    else
        c.rhythmLead = 0;
    return c;
}

QVector<TECGStripReport::Section> TECGStripReport::sections(const TStripContent& content, int leadCount)
{
    QVector<Section> out;
    if (leadCount < 7)
        return out;
    const int columns = leadCount >= 12 ? 4 : 2;
    const int width = (Width - TextColumnWidth) / columns;
    // Each section's traces go on where the one before ends.
    const TRingSignalBuffer<double> none(1, 1, 1, 500);
    const TEcgReportGraphic graphic(content.signal ? *content.signal : static_cast<const TSignalBuffer&>(none),
                                    content.speed, content.amplitude);
    const double sectionSeconds = graphic.traceSeconds(width / DotsPerMm);
    for (int k = 0; k < columns; ++k) {
        Section s;
        s.rect = QRect(TextColumnWidth + k * width, 0, width, SectionsHeight);
        for (int row = 0; row < RowsPerSection; ++row)
            s.leads.append(k * RowsPerSection + row);
        s.startSeconds = content.startSeconds + k * sectionSeconds;
        out.append(s);
    }
    Section rhythm;
    rhythm.rect = QRect(TextColumnWidth, SectionsHeight, Width - TextColumnWidth, Height - SectionsHeight);
    rhythm.leads = {content.rhythmLead};
    rhythm.startSeconds = content.startSeconds;
    out.append(rhythm);
    return out;
}

QVector<TECGStripReport::TextLine> TECGStripReport::textLines(const TStripContent& c)
{
    // Labels stand with or without their values; the heart rate only with one.
    QVector<TextLine> lines = {
        {QCoreApplication::translate("TECGStripReport", "Name:"), c.name},
        {QCoreApplication::translate("TECGStripReport", "Age:"), c.age.isNull() ? QStringLiteral("") : c.age},
        {QCoreApplication::translate("TECGStripReport", "Date:"), c.date.isNull() ? QStringLiteral("") : c.date},
        {QStringLiteral("PR:"), milliseconds(c.prMs, c.measured)},
        {QStringLiteral("QRS:"), milliseconds(c.qrsMs, c.measured)},
        {QStringLiteral("QT:"), milliseconds(c.qtMs, c.measured)},
        {QStringLiteral("QTc:"), c.qtcMs && !c.qtcFormula.isEmpty()
                                     ? QStringLiteral("%1 (%2)").arg(milliseconds(c.qtcMs, c.measured), c.qtcFormula)
                                     : milliseconds(c.qtcMs, c.measured)},
        {QStringLiteral("RR:"), milliseconds(c.rrMs, c.measured)},
    };
    if (c.heartRate && c.rrMs)
        lines.append({QCoreApplication::translate("TECGStripReport", "HR:"),
                      QCoreApplication::translate("TECGStripReport", "%1 bpm").arg(*c.heartRate)});
    lines.append({QCoreApplication::translate("TECGStripReport", "Conclusion:"), QString()});
    return lines;
}

void TECGStripReport::drawText(QPainter& painter, const TStripContent& c)
{
    const QVector<TextLine> lines = textLines(c);
    for (int i = 0; i < lines.size(); ++i)
        drawLine(painter, i, lines[i].label, lines[i].value);
    const int top = TextTop + lines.size() * LinePitch;
    TReportText::draw(painter, QRectF(TextLeft, top, TextColumnWidth - 2 * TextLeft, Height - 4 - top), c.conclusion,
                      stripFont(), Qt::AlignLeft | Qt::AlignTop, true, Qt::black, DotsPerMm);
}

void TECGStripReport::drawTraces(QPainter& painter, const TStripContent& c)
{
    const TSignalBuffer& signal = *c.signal;
    TEcgReportGraphic graphic(signal, c.speed, c.amplitude);
    graphic.setCentreTraces(c.centreTraces);
    TEcgReportGraphic::Style style;
    style.grid = false; // a two-colour target draws no paper grid
    style.antialiased = false;
    style.traceWidthMm = 0.25;
    style.labelPointSize = PointSize;
    graphic.setStyle(style);
    const QVector<Section> all = sections(c, signal.channelCount());
    for (const Section& s : all) {
        QVector<TEcgReportGraphic::Row> rows;
        for (int lead : s.leads) {
            const TSignalChannel* channel = signal.channel(lead);
            rows.append({channel ? lead : -1, false, channel ? QString::fromUtf8(channel->name()) : QString()});
        }
        graphic.draw(painter, QRectF(s.rect), DotsPerMm, rows, s.startSeconds, true);
    }
    // The footer on the rhythm strip, past its lead label and calibration pulse.
    const int left = TextColumnWidth + 5 + int(std::lround(graphic.leadingMm() * DotsPerMm));
    TReportText::draw(painter, QRectF(left, Height - 30, Width - left - 5, 28), c.footer, stripFont(),
                      Qt::AlignLeft | Qt::AlignBottom, false, Qt::black, DotsPerMm);
}

QImage TECGStripReport::render(const TStripContent& c)
{
    QImage canvas(Width, Height, QImage::Format_RGB32);
    const int dotsPerMetre = int(DotsPerMm * 1000);
    canvas.setDotsPerMeterX(dotsPerMetre);
    canvas.setDotsPerMeterY(dotsPerMetre);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        // Ink is all or nothing on a thermal printer: no grey edges on the letters.
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        drawText(painter, c);
        if (c.signal && c.signal->channelCount() >= 7) {
            drawTraces(painter, c);
        } else {
            const TReportFont font = stripFont();
            TReportText::draw(painter, QRectF(TextColumnWidth + 5, Height - 30, Width - TextColumnWidth - 10, 28),
                              c.footer, font, Qt::AlignLeft | Qt::AlignBottom, false, Qt::black, DotsPerMm);
        }
    }
    QImage strip(Width, Height, QImage::Format_Mono);
    strip.setDotsPerMeterX(dotsPerMetre);
    strip.setDotsPerMeterY(dotsPerMetre);
    strip.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    strip.fill(0);
    for (int y = 0; y < Height; ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        uchar* out = strip.scanLine(y);
        for (int x = 0; x < Width; ++x)
            if (qGray(in[x]) < 128)
                out[x >> 3] |= uchar(0x80 >> (x & 7));
    }
    return strip;
}

QImage TECGStripReport::forPrinter(const QImage& strip)
{
    const QImage in = strip.convertToFormat(QImage::Format_Mono);
    QImage out(in.height(), in.width(), QImage::Format_Mono);
    out.setColorTable(in.colorTable());
    out.setDotsPerMeterX(in.dotsPerMeterY());
    out.setDotsPerMeterY(in.dotsPerMeterX());
    out.fill(0);
    // A quarter turn clockwise: (x, y) goes to (height - 1 - y, x).
    for (int y = 0; y < in.height(); ++y) {
        const uchar* row = in.constScanLine(y);
        const int column = in.height() - 1 - y;
        const uchar mask = uchar(0x80 >> (column & 7));
        for (int x = 0; x < in.width(); ++x)
            if (row[x >> 3] & (0x80 >> (x & 7)))
                out.scanLine(x)[column >> 3] |= mask;
    }
    return out;
}

void TECGStripReport::print(const TStripContent& content, const QString& port, ESCPPrinter& printer)
{
    if (!printer.open(port))
        throw TException(connectText());
    try {
        printer.printImage(forPrinter(render(content)));
    } catch (...) {
        printer.close();
        throw;
    }
    printer.close();
}
