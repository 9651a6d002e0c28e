#include "AverageBeatInset.h"
#include "ClippingHighlightProvider.h"
#include "DisplayTestSupport.h"
#include "MonitorMarkProvider.h"
#include "QSignalMonitorDisplay.h"
#include "StoredAverageBeats.h"
#include "TException.h"
#include "TestInk.h"
#include "WaitingRing.h"

#include <QTimer>
#include <QtTest>
#include <cmath>

using namespace DisplayTest;
using namespace TestInk;
using namespace DisplayColorRole;

namespace {

const QColor Cursor(255, 0, 255);
const QColor AverageInk(0, 0, 255);

// The test colours over `store`. The baseline stays where the codes put it unless
// a test wants it tracked; `beats` fills the inset when given.
void prepare(QSignalMonitorDisplay& display, const TSignalBuffer* store, StoredAverageBeats* beats = nullptr,
             bool trackBaseline = false)
{
    plainColors(display);
    display.setAutoBaseline(trackBaseline);
    display.setSignal(store);
    if (beats) {
        display.setAverageBeatSource(beats);
        display.setShowAverageBeat(true);
    }
}

class FixedMarks : public MonitorMarkProvider
{
public:
    explicit FixedMarks(double level) : m_level(level) {}
    bool measure(int, int& first, int& second, int& third, double& levelMv) override
    {
        first = 50;
        second = 200;
        third = 250;
        levelMv = m_level;
        return true;
    }

private:
    double m_level;
};

// Highlights one fixed run of samples of every lead.
class FixedHighlight : public MonitorHighlightProvider
{
public:
    FixedHighlight(int start, int end) : m_start(start), m_end(end) {}
    bool nextInterval(int, int from, int to, int& start, int& end) override
    {
        if (m_end <= from || m_start >= to)
            return false;
        start = std::max(from, m_start);
        end = std::min(to, m_end);
        return true;
    }

private:
    int m_start;
    int m_end;
};

// An 0.8 s template at 500/s with a 1 mV spike at the first and the last sample.
StoredAverageBeats spikedTemplate(int leads)
{
    StoredAverageBeats beats(400, 500, 0.001);
    std::vector<double> beat(400, 0.0);
    beat.front() = 1000.0;
    beat.back() = 1000.0;
    for (int lead = 0; lead < leads; ++lead)
        beats.setAverageBeat(lead, beat);
    return beats;
}

// A provider over a damaged file: every read fails.
class FailingHighlight : public MonitorHighlightProvider
{
public:
    bool nextInterval(int, int, int, int&, int&) override { throw TException("Read error"); }
};

} // namespace

class TestMonitorDisplay : public QObject
{
    Q_OBJECT

private slots:
    void stepSpansAmplitude_data();
    void stepSpansAmplitude();
    void sweepPages_data();
    void sweepPages();
    void insetAndPageGeometry();
    void insetWithoutAverageIsDotted();
    void slowRateInsetLinesUpTheReference();
    void hexaxialOrderInvertsAvr();
    void stLabels_data();
    void stLabels();
    void stMarksDrawnOnlyWithRoom();
    void highlightIsHalfTransparent();
    void shortClippedRunIsHighlighted();
    void clippingBounds_data();
    void clippingBounds();
    void autoBaselineRecentres();
    void waitingRingSteps();
    void degenerateGeometryDrawsNoTrace();
    void rendersIntoOtherFormats_data();
    void rendersIntoOtherFormats();
    void failingProviderDoesNotEscape();
};

void TestMonitorDisplay::stepSpansAmplitude_data()
{
    QTest::addColumn<double>("amplitude");
    QTest::addColumn<int>("rate");
    // 200 mm at 25 mm/s is 8 s: 4000 samples over 2000 columns (envelope) at 500/s,
    // 1600 (polyline) at 200/s.
    for (double amplitude : {5.0, 10.0, 20.0}) {
        QTest::addRow("envelope %g mm/mV", amplitude) << amplitude << 500;
        QTest::addRow("polyline %g mm/mV", amplitude) << amplitude << 200;
    }
}

void TestMonitorDisplay::stepSpansAmplitude()
{
    QFETCH(double, amplitude);
    QFETCH(int, rate);
    auto store = signal(1, rate);
    // 0 mV for 2 s, then 1 mV.
    append(*store, 4 * rate, [rate](int, int i) { return i < 2 * rate ? 0 : 1000; });
    QSignalMonitorDisplay display;
    prepare(display, store.get());
    display.setAmplitude(amplitude);
    QImage image = paper(2000, 600);
    display.render(image);

    // Columns at 1 s and 3 s: 250 px per second.
    const int low = topmost(image, 250, Qt::black);
    const int high = topmost(image, 750, Qt::black);
    QVERIFY(low >= 0 && high >= 0);
    QVERIFY2(std::abs(low - 300) <= 1, qPrintable(QString::number(low)));
    QVERIFY2(std::abs((low - high) - int(amplitude * 10)) <= 1, qPrintable(QString::number(low - high)));
}

void TestMonitorDisplay::sweepPages_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("gap");
    QTest::addRow("envelope") << 500 << 5;
    QTest::addRow("polyline") << 200 << 0;
}

void TestMonitorDisplay::sweepPages()
{
    QFETCH(int, rate);
    QFETCH(int, gap);
    // 2000 px over 200 mm at 25 mm/s: one page is 8 s.
    const int page = 8 * rate;
    auto store = signal(1, rate);
    QSignalMonitorDisplay display;
    prepare(display, store.get());
    QImage image = paper(2000, 400);

    // First page, a quarter through: trace left of the cursor only.
    append(*store, page / 4, [](int, int) { return 500; });
    display.render(image);
    const int firstCursor = (page / 4 - 1) * 2000 / page;
    QCOMPARE(display.currentPage(), 0);
    QVERIFY(countColor(image, QRect(firstCursor, 0, 1, 400), Cursor) > 0);
    QCOMPARE(topmost(image, firstCursor - 10, Qt::black), 150);
    QCOMPARE(countColor(image, QRect(firstCursor + 1, 0, 2000 - firstCursor - 1, 400), Qt::black), 0);

    // Second page, a quarter through: the new trace (-0.5 mV) left of the cursor, the
    // previous page (+0.5 mV) right of it.
    append(*store, page - page / 4, [](int, int) { return 500; });
    append(*store, page / 4, [](int, int) { return -500; });
    display.render(image);
    QCOMPARE(display.currentPage(), 1);
    const int cursor = (page + page / 4 - 1 - page) * 2000 / page;
    QVERIFY(countColor(image, QRect(cursor, 0, 1, 400), Cursor) > 0);
    QCOMPARE(topmost(image, cursor - 10, Qt::black), 250);
    QCOMPARE(topmost(image, cursor + gap + 10, Qt::black), 150);
    // The erase gap: gap blank columns right of the cursor, then the old trace.
    for (int c = cursor + 1; c < cursor + gap; ++c)
        QVERIFY2(topmost(image, c, Qt::black) < 0, qPrintable(QString::number(c)));
    QVERIFY(topmost(image, cursor + std::max(gap, 1), Qt::black) >= 0);
}

void TestMonitorDisplay::insetAndPageGeometry()
{
    // 25 mm/s, 0.8 s template, 10 px/mm: inset 20 mm from 2.5 mm, trace from 25 mm,
    // pages of 8 - 0.8 - 0.2 = 7 s.
    auto store = signal(1);
    StoredAverageBeats beats = spikedTemplate(1);
    QSignalMonitorDisplay display;
    prepare(display, store.get(), &beats);
    append(*store, 3500 + 250, [](int, int) { return 0; });
    QImage image = paper(2000, 400);
    display.render(image);

    QCOMPARE(display.currentPage(), 1);
    // The separator at 25 mm, and the cursor 250 samples into a 3500-sample page
    // spread over 1750 columns.
    QCOMPARE(countColor(image, QRect(250, 0, 1, 400), Qt::black), 400);
    QVERIFY(countColor(image, QRect(250 + 249 * 1750 / 3500, 0, 1, 400), Cursor) > 0);
    // The beat's first and last samples at 25 px and 25 + 399 * 200 / 400 px.
    QCOMPARE(topmost(image, 25, AverageInk), 200 - 100);
    QCOMPARE(topmost(image, 224, AverageInk), 200 - 100);
    QCOMPARE(countColor(image, QRect(0, 0, 25, 400), AverageInk), 0);
    QCOMPARE(countColor(image, QRect(225, 0, 25, 400), AverageInk), 0);
}

void TestMonitorDisplay::slowRateInsetLinesUpTheReference()
{
    // A horse's average at 25/min fills a 2.4 s template with R at 0.84 s; the
    // reference taken at a faster rate keeps the shortest one (0.8 s, R at 0.3 s).
    // At 25 mm/s the inset is 60 mm (600 px) wide and the trace starts at 65 mm;
    // the reference is drawn on the average's time scale with its R under the
    // average's R, nothing of it beyond its own samples.
    auto store = signal(1);
    StoredAverageBeats beats(1200, 500, 0.001, 420);
    std::vector<double> average(1200, 0.0);
    average.front() = average.back() = 1000.0;
    average[420] = 500.0;
    beats.setAverageBeat(0, average);
    // Raised by 0.2 mV and its spike downwards, apart from the average.
    std::vector<double> reference(400, 200.0);
    reference[150] = -1000.0;
    beats.setReferenceBeat(0, reference, 150);
    QSignalMonitorDisplay display;
    prepare(display, store.get(), &beats);
    append(*store, 1000, [](int, int) { return 0; });
    QImage image = paper(2000, 400);
    display.render(image);

    QCOMPARE(countColor(image, QRect(650, 0, 1, 400), Qt::black), 400);
    QCOMPARE(topmost(image, 25, AverageInk), 200 - 100);
    QCOMPARE(topmost(image, 25 + 1199 * 600 / 1200, AverageInk), 200 - 100);
    QCOMPARE(topmost(image, 25 + 420 * 600 / 1200, AverageInk), 200 - 50);
    QCOMPARE(countColor(image, QRect(625, 0, 25, 400), AverageInk), 0);
    // The reference's R spike, 1 mV down, in the columns of the average's R
    // (the sample of a column boundary belongs to both); the rest of the
    // reference from 0.3 s before R to 0.5 s after.
    auto columns = [](const QList<int>& xs) {
        QStringList l;
        for (int x : xs)
            l << QString::number(x);
        return l.join(", ");
    };
    QList<int> spike;
    QList<int> averageR;
    int left = image.width();
    int right = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (c == AverageInk && y < 200 - 40 && x > 100 && x < 600 && !averageR.contains(x))
                averageR.append(x);
            if (c.green() < 100 || c.red() > 100 || c.blue() > 100)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            if (y > 250 && !spike.contains(x))
                spike.append(x);
        }
    QVERIFY2(!spike.isEmpty() && spike == averageR && std::abs(spike.first() - (25 + 420 * 600 / 1200)) <= 1,
             qPrintable(QString("reference R at %1, average R at %2").arg(columns(spike), columns(averageR))));
    QVERIFY2(std::abs(left - (25 + 270 * 600 / 1200)) <= 1 && std::abs(right - (25 + 669 * 600 / 1200)) <= 1,
             qPrintable(QString("reference drawn from %1 to %2").arg(left).arg(right)));
}

void TestMonitorDisplay::insetWithoutAverageIsDotted()
{
    auto store = signal(1);
    append(*store, 1000, [](int, int) { return 0; });
    StoredAverageBeats beats(400, 500, 0.001); // nothing averaged yet
    QSignalMonitorDisplay display;
    prepare(display, store.get(), &beats, true);
    QImage image = paper(2000, 400);
    display.render(image);
    const int dots = countColor(image, QRect(25, 200, 201, 1), AverageInk);
    // A dotted line: about every other pixel of the 200 px inset.
    QVERIFY2(dots > 50 && dots < 180, qPrintable(QString::number(dots)));
}

void TestMonitorDisplay::hexaxialOrderInvertsAvr()
{
    auto store = signal(7);
    // Only aVR (lead 3) carries a 1 mV level.
    append(*store, 2000, [](int lead, int) { return lead == 3 ? 1000 : 0; });
    // Spiked beats for I and aVR only, so that neighbouring rows keep apart.
    StoredAverageBeats beats = spikedTemplate(7);
    for (int lead : {1, 2, 4, 5, 6})
        beats.setAverageBeat(lead, std::vector<double>(400, 0.0));
    QSignalMonitorDisplay display;
    prepare(display, store.get(), &beats);
    display.setAmplitude(5.0);
    display.setHexaxialOrder(true);
    const QStringList expected = {"aVL", "I", "-aVR", "II", "aVF", "III", "V1"};
    for (int row = 0; row < expected.size(); ++row)
        QCOMPARE(display.rowLabel(row), expected[row]);

    QImage image = paper(2000, 700);
    display.render(image);
    // Row 2 (baseline 250): 1 mV at 5 mm/mV drawn 50 px below in the trace and in
    // the inset.
    QCOMPARE(topmost(image, 1000, Qt::black, 260, 340), 300);
    QCOMPARE(bottommost(image, 25, AverageInk, 251, 340), 300);
    // Row 1 (lead I, upright, baseline 150): the spike goes up.
    QCOMPARE(topmost(image, 25, AverageInk, 60, 149), 100);

    display.setHexaxialOrder(false);
    QCOMPARE(display.rowLabel(3), QStringLiteral("aVR"));
    QCOMPARE(display.rowLabel(0), QStringLiteral("I"));
}

void TestMonitorDisplay::stLabels_data()
{
    QTest::addColumn<double>("level");
    QTest::addColumn<QString>("label");
    QTest::addRow("+0.05 mV") << 0.05 << QString();
    QTest::addRow("-0.12 mV") << -0.12 << QStringLiteral("-1.2");
    QTest::addRow("+0.2 mV") << 0.2 << QStringLiteral("+2.0");
    QTest::addRow("+0.1 mV") << 0.1 << QStringLiteral("+1.0");
    QTest::addRow("-0.099 mV") << -0.099 << QString();
    QTest::addRow("not a number") << std::nan("") << QString();
}

void TestMonitorDisplay::stLabels()
{
    QFETCH(double, level);
    QFETCH(QString, label);
    QCOMPARE(AverageBeatInset::stLabel(level), label);

    // Drawn in the measurement colour at the top right of the inset.
    auto store = signal(1);
    append(*store, 1000, [](int, int) { return 0; });
    StoredAverageBeats beats = spikedTemplate(1);
    FixedMarks marks(level);
    QSignalMonitorDisplay display;
    prepare(display, store.get(), &beats, true);
    display.setMarkProvider(&marks);
    QImage image = paper(2000, 600);
    display.render(image);
    const int labelPixels = countInk(image, QRect(180, 0, 200, 60), QColor(255, 0, 0), Qt::white);
    QCOMPARE(labelPixels > 0, !label.isEmpty());
    // The three ticks, 10 px tall, at samples 50, 200 and 250 of the beat.
    for (int sample : {50, 200, 250}) {
        const int tick = countColor(image, QRect(25 + sample * 200 / 400, 290, 1, 21), QColor(255, 0, 0));
        QVERIFY2(tick == 10 || tick == 11, qPrintable(QString::number(tick)));
    }
}

void TestMonitorDisplay::stMarksDrawnOnlyWithRoom()
{
    // At 2 px/mm the inset is 0.8 s x 25 mm/s = 40 px wide, one short of room for
    // the marks; at 3 px/mm it is 60 px.
    auto store = signal(1);
    append(*store, 1000, [](int, int) { return 0; });
    StoredAverageBeats beats = spikedTemplate(1);
    FixedMarks marks(-0.2);
    QSignalMonitorDisplay display;
    prepare(display, store.get(), &beats, true);
    display.setMarkProvider(&marks);
    QImage image = paper(400, 200, 2);
    display.render(image);
    QCOMPARE(countInk(image, image.rect(), QColor(255, 0, 0), Qt::white), 0);
    QImage wider = paper(600, 200, 3);
    display.render(wider);
    QVERIFY(countInk(wider, wider.rect(), QColor(255, 0, 0), Qt::white) > 0);
}

void TestMonitorDisplay::highlightIsHalfTransparent()
{
    QSignalMonitorDisplay display;
    display.setColor(Highlight, QColor(255, 0, 0));
    QCOMPARE(display.color(Highlight), QColor(255, 0, 0, 128));

    auto store = signal(1);
    append(*store, 4000, [](int, int) { return 0; });
    FixedHighlight highlight(1000, 2000);
    prepare(display, store.get());
    display.setHighlightProvider(&highlight);
    QImage image = paper(2000, 400);
    display.render(image);
    // Samples 1000..1999 are columns 500..999, drawn red at half strength over white.
    const QRgb blended = image.pixel(700, 200);
    QVERIFY2(qRed(blended) == 255 && std::abs(qGreen(blended) - 127) <= 2 && std::abs(qBlue(blended) - 127) <= 2,
             qPrintable(QColor(blended).name()));
    QVERIFY(isColor(image, 300, 200, Qt::black));
    QVERIFY(isColor(image, 1200, 200, Qt::black));
}

void TestMonitorDisplay::shortClippedRunIsHighlighted()
{
    // Two samples per column; one clipped sample (1001) still marks its column (500).
    auto store = signal(1);
    append(*store, 4000, [](int, int) { return 0; });
    FixedHighlight highlight(1001, 1002);
    QSignalMonitorDisplay display;
    prepare(display, store.get());
    display.setColor(Highlight, QColor(255, 0, 0));
    display.setHighlightProvider(&highlight);
    QImage image = paper(2000, 400);
    display.render(image);
    QVERIFY(!isColor(image, 500, 200, Qt::black));
    QVERIFY(isColor(image, 502, 200, Qt::black));
}

void TestMonitorDisplay::clippingBounds_data()
{
    QTest::addColumn<int>("resolution");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("clipped");
    QTest::addRow("16 bit, 32766") << 16 << 32766 << false;
    QTest::addRow("16 bit, 32767") << 16 << 32767 << true;
    QTest::addRow("16 bit, -32766") << 16 << -32766 << false;
    QTest::addRow("16 bit, -32767") << 16 << -32767 << true;
    QTest::addRow("12 bit, 2046") << 12 << 2046 << false;
    QTest::addRow("12 bit, 2047") << 12 << 2047 << true;
}

void TestMonitorDisplay::clippingBounds()
{
    QFETCH(int, resolution);
    QFETCH(int, code);
    QFETCH(bool, clipped);
    auto raw = signal(2);
    raw->setResolution(resolution);
    // Lead 1 holds the code at samples 10..12.
    append(*raw, 20, [code](int lead, int i) { return lead == 1 && i >= 10 && i < 13 ? code : 0; });
    ClippingHighlightProvider provider(raw.get());
    int start = -1;
    int end = -1;
    QCOMPARE(provider.nextInterval(1, 0, 20, start, end), clipped);
    if (clipped) {
        QCOMPARE(start, 10);
        QCOMPARE(end, 13);
        // A run cut by the end of the range ends there.
        QVERIFY(provider.nextInterval(1, 0, 12, start, end));
        QCOMPARE(end, 12);
    }
    QVERIFY(!provider.nextInterval(0, 0, 20, start, end));
    QVERIFY(!provider.nextInterval(5, 0, 20, start, end));
}

void TestMonitorDisplay::autoBaselineRecentres()
{
    // An offset of 2 mV: with the baseline tracked the trace sits on its row's centre.
    auto store = signal(1);
    append(*store, 250, [](int, int) { return 2000; });
    QSignalMonitorDisplay display;
    prepare(display, store.get(), nullptr, true);
    QImage image = paper(2000, 400);
    display.render(image);
    QCOMPARE(display.baselineOffset(0), 2000);
    QCOMPARE(topmost(image, 50, Qt::black), 200);

    // Within the first second the offset follows every render.
    append(*store, 100, [](int, int) { return 3000; });
    display.render(image);
    QCOMPARE(display.baselineOffset(0), (250 * 2000 + 100 * 3000) / 350);

    // Later it follows only at a new page.
    append(*store, 1000, [](int, int) { return 3000; });
    display.render(image);
    const int settled = display.baselineOffset(0);
    append(*store, 100, [](int, int) { return 0; });
    display.render(image);
    QCOMPARE(display.baselineOffset(0), settled);
    append(*store, 4000, [](int, int) { return 0; });
    display.render(image);
    QCOMPARE(display.currentPage(), 1);
    QVERIFY(display.baselineOffset(0) != settled);

    display.setAutoBaseline(false);
    display.render(image);
    QCOMPARE(display.baselineOffset(0), 0);
}

void TestMonitorDisplay::waitingRingSteps()
{
    QCOMPARE(WaitingRing::nextStep(0), 9);
    QCOMPARE(WaitingRing::nextStep(9), 8);

    auto store = signal(3);
    QSignalMonitorDisplay display;
    display.resize(400, 300);
    display.setSignal(store.get());
    QTimer* timer = display.findChild<QTimer*>();
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 200);
    QVERIFY(timer->isActive());

    // The dark slice k spans 36k .. 36k + 30 degrees, between radii 15 and 30.
    auto sliceGray = [&](int k) {
        const double a = (36.0 * k + 15.0) * M_PI / 180.0;
        const QImage& canvas = display.canvas();
        const QPoint centre(canvas.width() / 2, canvas.height() / 2);
        return qGray(canvas.pixel(centre.x() + int(std::lround(22 * std::cos(a))),
                                  centre.y() - int(std::lround(22 * std::sin(a)))));
    };
    const int step = display.spinnerStep();
    QVERIFY(sliceGray(step) < sliceGray((step + 5) % 10));
    QTRY_COMPARE_WITH_TIMEOUT(display.spinnerStep(), WaitingRing::nextStep(step), 2000);
    const int now = display.spinnerStep();
    QVERIFY(sliceGray(now) < sliceGray(step));

    // With samples the ring is gone and the step stands still.
    append(*store, 10, [](int, int) { return 0; });
    display.refresh();
    const int stopped = display.spinnerStep();
    QTest::qWait(450);
    QCOMPARE(display.spinnerStep(), stopped);
}

void TestMonitorDisplay::degenerateGeometryDrawsNoTrace()
{
    auto store = signal(1);
    append(*store, 4000, [](int, int) { return 0; });
    QSignalMonitorDisplay display;
    prepare(display, store.get(), nullptr, true);
    // 10 px at 1000 px/mm: under half a millimetre reports 0 mm.
    QImage tiny = paper(10, 10, 1000);
    QCOMPARE(tiny.widthMM(), 0);
    display.render(tiny);
    QCOMPARE(countColor(tiny, tiny.rect(), Qt::black), 0);
    // No visible lead.
    display.setLeadVisible(0, false);
    QImage image = paper(2000, 400);
    display.render(image);
    QCOMPARE(countColor(image, image.rect(), Qt::black), 0);
    // Invalid settings are ignored.
    display.setSpeed(0.0);
    display.setAmplitude(-5.0);
    display.setSpeed(std::nan(""));
    QCOMPARE(display.speed(), 25.0);
    QCOMPARE(display.amplitude(), 10.0);
}

void TestMonitorDisplay::rendersIntoOtherFormats_data()
{
    QTest::addColumn<int>("format");
    QTest::addRow("RGB32") << int(QImage::Format_RGB32);
    QTest::addRow("RGB888") << int(QImage::Format_RGB888);
    QTest::addRow("ARGB32") << int(QImage::Format_ARGB32);
}

void TestMonitorDisplay::rendersIntoOtherFormats()
{
    // Report pictures and printers need not use the canvas format: the same
    // millimetre geometry comes out.
    QFETCH(int, format);
    auto store = signal(1);
    append(*store, 2000, [](int, int i) { return i < 1000 ? 0 : 1000; });
    QSignalMonitorDisplay display;
    prepare(display, store.get());
    QImage image(2000, 400, QImage::Format(format));
    image.setDotsPerMeterX(10000);
    image.setDotsPerMeterY(10000);
    display.render(image);
    QCOMPARE(topmost(image, 250, Qt::black), 200);
    QCOMPARE(topmost(image, 750, Qt::black), 100);
    QVERIFY(countColor(image, QRect(999, 0, 1, 400), Cursor) > 0);
}

void TestMonitorDisplay::failingProviderDoesNotEscape()
{
    auto store = signal(1);
    append(*store, 1000, [](int, int) { return 0; });
    FailingHighlight failing;
    QSignalMonitorDisplay display;
    display.resize(400, 200);
    display.show();
    display.setSignal(store.get());
    // The setter renders at once: the failure stays inside the display.
    display.setHighlightProvider(&failing);
    display.refresh();
    QCOMPARE(display.canvas().size(), QSize(400, 200));
}

QTEST_MAIN(TestMonitorDisplay)
#include "tst_monitordisplay.moc"
