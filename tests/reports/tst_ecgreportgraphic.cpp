// The report's ECG graphic: which layout a field name asks for, and traces on
// millimetre paper measured on renderings of known resolution: the calibration
// pulse, the time scale, the gain, inverted and centred rows, the average beat in
// front of the trace, and vector output.

#include "../display/DisplayTestSupport.h"
#include "ReportTestSupport.h"
#include "StoredAverageBeats.h"
#include "TEcgGraphicLayout.h"
#include "TEcgReportGraphic.h"
#include "TRingSignalBuffer.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QtTest>

namespace {

constexpr int DotsPerMm = 10;

using ReportTest::darkSpan;
using ReportTest::isDark;

// All leads flat at offset microvolts with a 1 mV spike 10 ms wide at every
// whole second.
std::unique_ptr<TIntSignalBuffer> spikes(int leads, double seconds, int offset = 0)
{
    auto buffer = DisplayTest::signal(leads);
    DisplayTest::append(*buffer, int(seconds * 500), [offset](int, int i) { return offset + (i % 500 < 5 ? 1000 : 0); });
    return buffer;
}

// Renders rows into a whole image, painter units being dots (10 to the mm).
QImage render(const TEcgReportGraphic& graphic, double widthMm, double heightMm,
              const QVector<TEcgReportGraphic::Row>& rows, double start, bool calibration)
{
    QImage image = DisplayTest::paper(int(widthMm * DotsPerMm), int(heightMm * DotsPerMm), DotsPerMm);
    image.fill(Qt::white);
    QPainter painter(&image);
    graphic.draw(painter, QRectF(0, 0, image.width(), image.height()), DotsPerMm, rows, start, calibration);
    return image;
}

// Columns whose dark span within the rows reaches above limit: the spikes.
QVector<int> spikeColumns(const QImage& image, int fromX, int top, int limit)
{
    QVector<int> columns;
    bool inSpike = false;
    for (int x = fromX; x < image.width(); ++x) {
        const QPair<int, int> span = darkSpan(image, x, top, limit);
        const bool high = span.first >= 0;
        if (high && !inSpike)
            columns.append(x);
        inSpike = high;
    }
    return columns;
}

TEcgReportGraphic::Style noGrid()
{
    TEcgReportGraphic::Style style;
    style.grid = false;
    return style;
}

} // namespace

class TestEcgReportGraphic : public QObject
{
    Q_OBJECT

private slots:
    void readsLayoutNames_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("event");
        QTest::addColumn<bool>("rhythm");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("column");
        QTest::newRow("12by1") << "ecgGraphic/12by1" << true << false << false << 12 << 1 << 1;
        QTest::newRow("event 7by1") << "ecgGraphic/event/7by1" << true << true << false << 7 << 1 << 1;
        QTest::newRow("3by1") << "ecgGraphic/event/3by1" << true << true << false << 3 << 1 << 1;
        QTest::newRow("6by2/2") << "ecgGraphic/event/6by2/2" << true << true << false << 6 << 2 << 2;
        QTest::newRow("3by4/4") << "ecgGraphic/3by4/4" << true << false << false << 3 << 4 << 4;
        QTest::newRow("rhythm") << "ecgGraphic/event/rhythm" << true << true << true << 1 << 1 << 1;
        QTest::newRow("column missing") << "ecgGraphic/6by2" << false << false << false << 0 << 0 << 0;
        QTest::newRow("column of one") << "ecgGraphic/12by1/1" << false << false << false << 0 << 0 << 0;
        QTest::newRow("column past the last") << "ecgGraphic/3by4/5" << false << false << false << 0 << 0 << 0;
        QTest::newRow("column 0") << "ecgGraphic/6by2/0" << false << false << false << 0 << 0 << 0;
        QTest::newRow("no rows") << "ecgGraphic/0by1" << false << false << false << 0 << 0 << 0;
        QTest::newRow("more leads than any signal") << "ecgGraphic/9by2/1" << false << false << false << 0 << 0 << 0;
        QTest::newRow("no layout") << "ecgGraphic/event/" << false << false << false << 0 << 0 << 0;
        QTest::newRow("rhythm column") << "ecgGraphic/rhythm/1" << false << false << false << 0 << 0 << 0;
        QTest::newRow("other field") << "plotHR" << false << false << false << 0 << 0 << 0;
    }

    void readsLayoutNames()
    {
        QFETCH(QString, field);
        QFETCH(bool, valid);
        const std::optional<TEcgGraphicLayout> layout = TEcgGraphicLayout::parse(field);
        QCOMPARE(layout.has_value(), valid);
        if (!valid)
            return;
        QTEST(layout->event, "event");
        QTEST(layout->rhythm, "rhythm");
        QTEST(layout->rows, "rows");
        QTEST(layout->columns, "columns");
        QTEST(layout->column, "column");
        QCOMPARE(layout->firstRow(), (layout->column - 1) * layout->rows);
    }

    // A 1 mV pulse of 0.2 s is as tall as the gain and as wide as the speed say,
    // and stands on its row's baseline.
    void calibrationPulse_data()
    {
        QTest::addColumn<double>("speed");
        QTest::addColumn<double>("amplitude");
        QTest::newRow("25 mm/s, 10 mm/mV") << 25.0 << 10.0;
        QTest::newRow("50 mm/s, 20 mm/mV") << 50.0 << 20.0;
        QTest::newRow("12.5 mm/s, 5 mm/mV") << 12.5 << 5.0;
    }

    void calibrationPulse()
    {
        QFETCH(double, speed);
        QFETCH(double, amplitude);
        const auto signal = spikes(1, 4.0);
        TEcgReportGraphic graphic(*signal, speed, amplitude);
        graphic.setStyle(noGrid());
        const double heightMm = 40.0;
        const QImage image = render(graphic, 100.0, heightMm, {{0, false, QStringLiteral("I")}}, 0.5, true);
        const int baseline = int(TEcgReportGraphic::baselineMm(0, 1, heightMm) * DotsPerMm);
        QCOMPARE(baseline, 240); // 60 % of 40 mm

        // The pulse rises at 2.5 mm, for 0.2 s at the speed.
        const int rise = int(2.5 * DotsPerMm);
        const int width = int(std::lround(0.2 * speed * DotsPerMm));
        const QPair<int, int> edge = darkSpan(image, rise, 0, baseline + 5);
        QVERIFY(std::abs(edge.first - (baseline - int(amplitude * DotsPerMm))) <= 1);
        QVERIFY(std::abs(edge.second - baseline) <= 1);
        const int middle = baseline - int(amplitude * DotsPerMm) / 2;
        int left = -1;
        int right = -1;
        for (int x = 0; x < int(graphic.leadingMm() * DotsPerMm); ++x)
            if (isDark(image, x, middle)) {
                if (left < 0)
                    left = x;
                right = x;
            }
        QVERIFY2(std::abs((right - left) - width) <= 2, qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
        // No pulse without calibration.
        const QImage plain = render(graphic, 100.0, heightMm, {{0, false, QStringLiteral("I")}}, 0.5, false);
        QCOMPARE(darkSpan(plain, rise, 0, baseline - 10).first, -1);
    }

    void leadingStripIsWholeSquares()
    {
        const auto signal = spikes(1, 1.0);
        for (double speed : {12.5, 25.0, 50.0}) {
            const TEcgReportGraphic graphic(*signal, speed, 10.0);
            const double leading = graphic.leadingMm();
            QCOMPARE(std::fmod(leading, 5.0), 0.0);
            QVERIFY(leading >= 2.5 + 0.2 * speed + 2.5);
            QCOMPARE(graphic.traceSeconds(leading + 250.0), 250.0 / speed);
        }
    }

    // Spikes one second apart are speed millimetres apart, the first where the
    // start time puts it, and a spike of 1 mV is as tall as the gain says.
    void timeAndGain_data()
    {
        QTest::addColumn<double>("speed");
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<double>("start");
        QTest::newRow("25 mm/s from 0") << 25.0 << 10.0 << 0.0;
        QTest::newRow("25 mm/s from 0.5 s") << 25.0 << 10.0 << 0.5;
        QTest::newRow("50 mm/s, 5 mm/mV") << 50.0 << 5.0 << 0.25;
        QTest::newRow("12.5 mm/s, 20 mm/mV") << 12.5 << 20.0 << 1.0;
    }

    void timeAndGain()
    {
        QFETCH(double, speed);
        QFETCH(double, amplitude);
        QFETCH(double, start);
        const auto signal = spikes(1, 30.0);
        TEcgReportGraphic graphic(*signal, speed, amplitude);
        graphic.setStyle(noGrid());
        const double heightMm = 50.0;
        const QImage image = render(graphic, 200.0, heightMm, {{0, false, QString()}}, start, false);
        const int baseline = int(TEcgReportGraphic::baselineMm(0, 1, heightMm) * DotsPerMm);
        const int x0 = int(graphic.leadingMm() * DotsPerMm);
        const QVector<int> found = spikeColumns(image, x0, 0, baseline - 20);
        QVERIFY(found.size() >= 3);
        const double firstSecond = std::ceil(start - 1e-9);
        for (int i = 0; i < found.size(); ++i) {
            const double expected = x0 + (firstSecond + i - start) * speed * DotsPerMm;
            QVERIFY2(std::abs(found[i] - expected) <= 2.0,
                     qPrintable(QStringLiteral("spike %1 at %2, expected %3").arg(i).arg(found[i]).arg(expected)));
        }
        // Height: the spike's top amplitude mm above the baseline.
        int top = baseline;
        for (int x = found[0] - 1; x <= found[0] + 3; ++x) {
            const int first = darkSpan(image, x, 0, baseline + 5).first;
            if (first >= 0)
                top = std::min(top, first);
        }
        QVERIFY2(std::abs((baseline - top) - amplitude * DotsPerMm) <= 2, qPrintable(QString::number(baseline - top)));
        // The trace runs to the right edge.
        QVERIFY(isDark(image, image.width() - 2, baseline) || isDark(image, image.width() - 2, baseline - 1));
    }

    void rowsInvertedCentredAndEmpty()
    {
        const auto signal = spikes(3, 10.0, -500); // 0.5 mV below zero, spikes to 1 mV above that
        TEcgReportGraphic graphic(*signal, 25.0, 10.0);
        graphic.setStyle(noGrid());
        const double heightMm = 90.0;
        const QVector<TEcgReportGraphic::Row> rows = {
            {0, false, QStringLiteral("I")}, {1, true, QStringLiteral("-II")}, {-1, false, QString()}};
        const QImage offCentre = render(graphic, 120.0, heightMm, rows, 0.0, false);
        const int x = int(graphic.leadingMm() * DotsPerMm) + 200; // 0.8 s: flat
        const int base0 = int(TEcgReportGraphic::baselineMm(0, 3, heightMm) * DotsPerMm);
        const int base1 = int(TEcgReportGraphic::baselineMm(1, 3, heightMm) * DotsPerMm);
        // Upright: 0.5 mV below its baseline; inverted: 0.5 mV above.
        QVERIFY(std::abs(darkSpan(offCentre, x, base0, base0 + 100).first - (base0 + 50)) <= 1);
        QVERIFY(std::abs(darkSpan(offCentre, x, base1 - 100, base1).first - (base1 - 50)) <= 1);
        // An empty row draws nothing.
        const int top2 = int(60.0 * DotsPerMm);
        for (int y = top2 + 1; y < offCentre.height(); ++y)
            QVERIFY(!isDark(offCentre, x, y));

        graphic.setCentreTraces(true);
        const QImage centred = render(graphic, 120.0, heightMm, rows, 0.0, false);
        QVERIFY(std::abs(darkSpan(centred, x, base0 - 20, base0 + 20).first - base0) <= 1);
        QVERIFY(std::abs(darkSpan(centred, x, base1 - 20, base1 + 20).first - base1) <= 1);
    }

    void averageBeatGoesInFront()
    {
        const auto signal = spikes(1, 20.0);
        StoredAverageBeats beats(400, 500, signal->valueStep());
        std::vector<double> beat(400, 0.0);
        for (int i = 150; i < 155; ++i)
            beat[size_t(i)] = 1500.0; // 1.5 mV at 0.3 s
        beats.setAverageBeat(0, beat);
        TEcgReportGraphic graphic(*signal, 25.0, 10.0);
        graphic.setStyle(noGrid());
        QCOMPARE(graphic.insetMm(), 0.0);
        graphic.setAverageBeats(&beats);
        QCOMPARE(graphic.insetMm(), 0.8 * 25.0 + TEcgReportGraphic::InsetGapMm);
        QCOMPARE(graphic.traceSeconds(230.0), (230.0 - 10.0 - 25.0) / 25.0);

        const double heightMm = 40.0;
        const QImage image = render(graphic, 230.0, heightMm, {{0, false, QStringLiteral("I")}}, 1.0, false);
        const int baseline = int(TEcgReportGraphic::baselineMm(0, 1, heightMm) * DotsPerMm);
        // The beat's peak: 0.3 s into the inset at 10 mm, blue and 15 mm high.
        const int peakX = int((graphic.leadingMm() + 0.3 * 25.0) * DotsPerMm) + 1;
        int top = -1;
        for (int y = 0; y < baseline; ++y) {
            const QColor c = image.pixelColor(peakX, y);
            if (c.blue() > 100 && c.red() < 100) {
                top = y;
                break;
            }
        }
        QVERIFY2(std::abs(top - (baseline - 150)) <= 2, qPrintable(QString::number(top)));
        // The trace starts after the inset: its first spike (second 1 = the start) there.
        const int traceX = int((graphic.leadingMm() + graphic.insetMm()) * DotsPerMm);
        const QVector<int> found = spikeColumns(image, traceX - 5, 0, baseline - 20);
        QVERIFY(!found.isEmpty());
        QVERIFY(std::abs(found[0] - traceX) <= 2);
    }

    void gridAndLabels()
    {
        const auto signal = spikes(1, 5.0);
        TEcgReportGraphic graphic(*signal, 25.0, 10.0);
        const QImage image = render(graphic, 60.0, 30.0, {{0, false, QStringLiteral("aVR")}}, 0.0, true);
        const TEcgReportGraphic::Style& style = graphic.style();
        // Heavy lines every 5 mm; light ones, thinner than a dot here, every millimetre.
        auto near = [](const QColor& a, const QColor& b) {
            return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
                   std::abs(a.blue() - b.blue()) < 40;
        };
        QVERIFY(near(image.pixelColor(500, 5), style.majorGrid));
        const QColor minor = image.pixelColor(510, 5);
        QVERIFY(minor.green() < 245 && minor.red() > minor.green() + 10);
        QCOMPARE(image.pixelColor(515, 5), QColor(Qt::white));
        // The label sits below the baseline in the leading strip.
        const int baseline = int(TEcgReportGraphic::baselineMm(0, 1, 30.0) * DotsPerMm);
        int ink = 0;
        for (int y = baseline + 5; y < baseline + 45; ++y)
            for (int x = 0; x < int(graphic.leadingMm() * DotsPerMm); ++x)
                ink += isDark(image, x, y) ? 1 : 0;
        QVERIFY(ink > 30);
    }

    // Twelve short rows (1 col / 12 leads on a landscape page): the first
    // row's 1 mV pulse stays whole on the graphic, the last baseline stays where
    // it was, and the rows between follow evenly on whole millimetres.
    void shortRowsKeepTheFirstPulse()
    {
        const double heightMm = 106.0;
        QVector<double> baselines;
        for (int k = 0; k < 12; ++k)
            baselines << TEcgReportGraphic::baselineMm(k, 12, heightMm, 11.0);
        QCOMPARE(baselines.first(), 11.0);
        QCOMPARE(baselines.last(), 102.0); // 106 - 40 % of a row of 8.8 mm
        for (int k = 1; k < 12; ++k) {
            QVERIFY(baselines[k] > baselines[k - 1] + 7.0);
            QCOMPARE(baselines[k], std::round(baselines[k]));
        }
        // Rows tall enough keep their own place.
        QCOMPARE(TEcgReportGraphic::baselineMm(0, 3, 90.0, 11.0), 18.0);

        const auto signal = spikes(12, 5.0);
        TEcgReportGraphic graphic(*signal, 25.0, 10.0);
        graphic.setStyle(noGrid());
        QVector<TEcgReportGraphic::Row> rows;
        for (int k = 0; k < 12; ++k)
            rows.append({k, false, QString()});
        const QImage image = render(graphic, 100.0, heightMm, rows, 0.0, true);
        // The pulse of row 0 rises from its baseline 11 mm from the top to 1 mm
        // from it.
        const int top = darkSpan(image, int(3.5 * DotsPerMm), 0, 50).first;
        const QPair<int, int> baseline = darkSpan(image, int(1.5 * DotsPerMm), 0, 150);
        QVERIFY2(std::abs(top - 10) <= 2, qPrintable(QString::number(top)));
        QVERIFY2(std::abs(baseline.first - 110) <= 2 && baseline.second - baseline.first <= 4,
                 qPrintable(QStringLiteral("%1 %2").arg(baseline.first).arg(baseline.second)));
    }

    // On a PDF the traces, the pulse and the grid are paths, never pictures.
    void vectorOnPdf()
    {
        const auto signal = spikes(2, 12.0);
        TEcgReportGraphic graphic(*signal, 25.0, 10.0);
        QBuffer pdf;
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        {
            QPdfWriter writer(&pdf);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageOrientation(QPageLayout::Landscape);
            QPainter painter(&writer);
            const double u = writer.width() / 297.0;
            graphic.draw(painter, QRectF(10 * u, 10 * u, 260 * u, 100 * u), u,
                         {{0, false, QStringLiteral("I")}, {1, false, QStringLiteral("II")}}, 0.0, true);
        }
        QVERIFY(pdf.data().startsWith("%PDF"));
        QVERIFY(!pdf.data().contains("/Subtype /Image"));
        QVERIFY(pdf.data().size() < 200000);
    }
};

QTEST_MAIN(TestEcgReportGraphic)
#include "tst_ecgreportgraphic.moc"
