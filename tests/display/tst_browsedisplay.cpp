#include "DisplayTestSupport.h"
#include "QSignalBrowseDisplay.h"
#include "StoredAverageBeats.h"
#include "TBeatStore.h"
#include "TException.h"
#include "TestInk.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

using namespace DisplayTest;
using namespace TestInk;
using namespace DisplayColorRole;

namespace {

// Beats every second from 0.5 s, RR 1 s.
void fillBeats(TMemoryBeatStore& beats, double duration)
{
    for (int k = 0; 0.5 + k < duration; ++k) {
        TBeat beat(k);
        beat.setValue(TBeat::Time, 0.5 + k);
        if (k > 0)
            beat.setValue(TBeat::RR, 1.0);
        beats.append(beat);
    }
}

// A browse display 1000 px wide over a flat recording with beats, shown so that it
// has its canvas; geometry from the canvas's own reported width.
struct Browse
{
    explicit Browse(double seconds, int leads = 1)
    {
        store = signal(leads);
        append(*store, int(seconds * 500), [](int, int) { return 0; });
        fillBeats(beats, seconds);
        display.resize(1000, 400 + display.scrollBar()->sizeHint().height());
        display.show();
        display.setSignal(store.get());
        display.setBeatList(&beats);
    }
    double window() { return display.canvas().widthMM() / display.speed(); }
    int x(double t) { return int(std::lround((t - display.startTime()) * 1000.0 / window())); }

    std::unique_ptr<TIntSignalBuffer> store;
    TMemoryBeatStore beats;
    QSignalBrowseDisplay display;
};

// Beats of a damaged beats file: counted, but every read fails.
class FailingBeatStore : public TBeatStore
{
public:
    int count() const override { return 10; }
    TBeat beat(int) const override { throw TException("Read error"); }
    void append(const TBeat&) override { throw TException("Write error"); }
};

} // namespace

class TestBrowseDisplay : public QObject
{
    Q_OBJECT

private slots:
    void scrollBarFollowsRecord_data();
    void scrollBarFollowsRecord();
    void rrLabelsFromQuarterSpeed_data();
    void rrLabelsFromQuarterSpeed();
    void selectedBeatBand();
    void clickSelectsNearBeatsOnly();
    void keysMoveSelectionWithMargin();
    void keysWithoutSelectionScroll();
    void middleButtonPans();
    void caliperFigures_data();
    void caliperFigures();
    void caliperInInset();
    void withoutSignalOnlyPaper();
    void failingBeatListDoesNotEscape();
};

void TestBrowseDisplay::scrollBarFollowsRecord_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<bool>("inset");
    QTest::addRow("shorter than the window") << 5.0 << false;
    QTest::addRow("a minute") << 60.0 << false;
    QTest::addRow("a minute with inset") << 60.0 << true;
}

void TestBrowseDisplay::scrollBarFollowsRecord()
{
    QFETCH(double, seconds);
    QFETCH(bool, inset);
    Browse b(seconds);
    StoredAverageBeats average(400, 500, 0.001);
    if (inset) {
        b.display.setAverageBeatSource(&average);
        b.display.setShowAverageBeat(true);
    }
    const double window = b.window() - (inset ? 0.8 + 5.0 / 25.0 : 0.0);
    QVERIFY(std::abs(b.display.windowSeconds() - window) < 1e-9);
    QScrollBar* bar = b.display.scrollBar();
    const int maximum = seconds > window ? int((seconds - window) * 100.0) : 0;
    QCOMPARE(bar->maximum(), maximum);
    QCOMPARE(bar->isEnabled(), maximum >= 1);
    QCOMPARE(bar->pageStep(), int(window * 100.0));
    QCOMPARE(bar->singleStep(), int(window * 10.0));
    QCOMPARE(bar->geometry().bottom(), b.display.height() - 1);

    // The record starts at the left edge of the trace.
    plainColors(b.display);
    QImage image = b.display.canvas();
    const int traceX0 = inset ? int(0.8 * 25 * 1000.0 / image.widthMM()) + int(1000.0 / (image.widthMM() / 10.0) / 2) : 0;
    QVERIFY(topmost(image, traceX0 + 5, Qt::black) >= 0);
}

void TestBrowseDisplay::rrLabelsFromQuarterSpeed_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<bool>("labels");
    QTest::addRow("12.5 mm/s") << 12.5 << false;
    QTest::addRow("25 mm/s") << 25.0 << true;
    QTest::addRow("50 mm/s") << 50.0 << true;
}

void TestBrowseDisplay::rrLabelsFromQuarterSpeed()
{
    QFETCH(double, speed);
    QFETCH(bool, labels);
    Browse b(60.0);
    plainColors(b.display);
    b.display.setSpeed(speed);
    b.display.setStartTime(0.2);
    QImage image = paper(2000, 400); // 200 mm
    b.display.render(image);
    const QColor tick(0, 255, 255);
    const double pps = 10.0 * speed;
    const double window = 200.0 / speed;
    int ticks = 0;
    int textPixels = 0;
    for (int x = 0; x < 2000; ++x) {
        const double t = 0.2 + x / pps;
        const double toBeat = std::abs(t - (std::round(t - 0.5) + 0.5)) * pps;
        const int n = countInk(image, QRect(x, 0, 1, 40), tick, Qt::white);
        if (toBeat <= 2.0)
            ticks += n > 0 ? 1 : 0;
        else
            textPixels += n;
    }
    // One tick per beat in the window, each 2 px wide.
    QVERIFY2(std::abs(ticks - 2 * int(std::floor(window))) <= 2, qPrintable(QString::number(ticks)));
    QCOMPARE(textPixels > 0, labels);
}

void TestBrowseDisplay::selectedBeatBand()
{
    Browse b(20.0);
    plainColors(b.display);
    b.display.setColor(SelectedBeat, QColor(255, 0, 0));
    b.display.setSelectedBeat(3); // 3.5 s
    QImage image = paper(2000, 400); // 250 px per second at 25 mm/s
    b.display.render(image);
    const int centre = int(3.5 * 250);
    QVERIFY(isColor(image, centre - 45, 100, QColor(255, 0, 0)));
    QVERIFY(isColor(image, centre + 45, 100, QColor(255, 0, 0)));
    QVERIFY(!isColor(image, centre - 55, 100, QColor(255, 0, 0)));
    QVERIFY(!isColor(image, centre + 55, 100, QColor(255, 0, 0)));
    b.display.setSelectedBeat(99); // not a beat
    QCOMPARE(b.display.selectedBeat(), -1);
}

void TestBrowseDisplay::clickSelectsNearBeatsOnly()
{
    Browse b(20.0);
    QSignalSpy changed(&b.display, &QSignalBrowseDisplay::selectedBeatChanged);
    // Without selection mode a click selects nothing.
    press(b.display, QPoint(b.x(2.5), 100));
    release(b.display, QPoint(b.x(2.5), 100));
    QCOMPARE(b.display.selectedBeat(), -1);

    QApplication::setActiveWindow(&b.display);
    QVERIFY(QTest::qWaitForWindowActive(&b.display));
    b.display.setMode(QSignalBrowseDisplay::SelectionMode);
    press(b.display, QPoint(b.x(2.5), 100));
    release(b.display, QPoint(b.x(2.5), 100));
    QCOMPARE(b.display.selectedBeat(), 2);
    QVERIFY(b.display.hasMouseTracking());
    QVERIFY(b.display.hasFocus());

    // 0.25 s from the nearest beat (3.5 s).
    press(b.display, QPoint(b.x(3.75), 100));
    release(b.display, QPoint(b.x(3.75), 100));
    QCOMPARE(b.display.selectedBeat(), -1);
    // 0.15 s from a beat.
    press(b.display, QPoint(b.x(4.65), 100));
    QCOMPARE(b.display.selectedBeat(), 4);
    // Dragging keeps selecting.
    dragTo(b.display, QPoint(b.x(6.4), 100));
    QCOMPARE(b.display.selectedBeat(), 6);
    release(b.display, QPoint(b.x(6.4), 100));
    dragTo(b.display, QPoint(b.x(8.5), 100), Qt::NoButton);
    QCOMPARE(b.display.selectedBeat(), 6);

    QCOMPARE(changed.count(), 4);
    QCOMPARE(changed.at(1).at(0).toInt(), -1);
    QCOMPARE(changed.last().at(0).toInt(), 6);
}

void TestBrowseDisplay::keysMoveSelectionWithMargin()
{
    Browse b(60.0);
    const double window = b.display.windowSeconds();
    QSignalSpy changed(&b.display, &QSignalBrowseDisplay::selectedBeatChanged);
    b.display.setSelectedBeat(3);

    QTest::keyClick(&b.display, Qt::Key_End);
    QCOMPARE(b.display.selectedBeat(), b.beats.last());
    QCOMPARE(changed.last().at(0).toInt(), b.beats.last());
    // The last beat (59.5 s) 0.3 s inside the right edge.
    QVERIFY(std::abs(b.display.startTime() - (59.5 + 0.3 - window)) < 1e-9);

    QTest::keyClick(&b.display, Qt::Key_Home);
    QCOMPARE(b.display.selectedBeat(), 0);
    QVERIFY(std::abs(b.display.startTime() - 0.2) < 1e-9);

    QTest::keyClick(&b.display, Qt::Key_Right);
    QCOMPARE(b.display.selectedBeat(), 1);
    QTest::keyClick(&b.display, Qt::Key_Left);
    QCOMPARE(b.display.selectedBeat(), 0);
    QTest::keyClick(&b.display, Qt::Key_Left); // nothing before the first beat
    QCOMPARE(b.display.selectedBeat(), 0);

    // A window later: the first beat at or after 0.5 + window.
    QTest::keyClick(&b.display, Qt::Key_PageDown);
    const int later = int(std::ceil(window));
    QCOMPARE(b.display.selectedBeat(), later);
    QTest::keyClick(&b.display, Qt::Key_PageUp);
    QCOMPARE(b.display.selectedBeat(), 0);
    // From the last beat a page down stays there.
    b.display.setSelectedBeat(b.beats.last());
    const int before = changed.count();
    QTest::keyClick(&b.display, Qt::Key_PageDown);
    QCOMPARE(b.display.selectedBeat(), b.beats.last());
    QCOMPARE(changed.count(), before);
}

void TestBrowseDisplay::keysWithoutSelectionScroll()
{
    Browse b(60.0);
    QSignalSpy moved(&b.display, &QSignalBrowseDisplay::startTimeChanged);
    QScrollBar* bar = b.display.scrollBar();
    QTest::keyClick(&b.display, Qt::Key_PageDown);
    QVERIFY(std::abs(b.display.startTime() - bar->pageStep() * 0.01) < 1e-9);
    QTest::keyClick(&b.display, Qt::Key_Right);
    QVERIFY(std::abs(b.display.startTime() - (bar->pageStep() + bar->singleStep()) * 0.01) < 1e-9);
    QTest::keyClick(&b.display, Qt::Key_End);
    QVERIFY(std::abs(b.display.startTime() - bar->maximum() * 0.01) < 1e-9);
    QTest::keyClick(&b.display, Qt::Key_Home);
    QCOMPARE(b.display.startTime(), 0.0);
    QCOMPARE(moved.count(), 4);
    QCOMPARE(b.display.selectedBeat(), -1);
}

void TestBrowseDisplay::middleButtonPans()
{
    Browse b(60.0);
    b.display.setStartTime(10.0);
    QSignalSpy moved(&b.display, &QSignalBrowseDisplay::startTimeChanged);
    const double pps = 1000.0 / b.window();
    press(b.display, QPoint(600, 100), Qt::MiddleButton);
    dragTo(b.display, QPoint(500, 100), Qt::MiddleButton);
    QVERIFY(std::abs(b.display.startTime() - (10.0 + 100.0 / pps)) < 1e-6);
    QCOMPARE(b.display.scrollBar()->value(), int(b.display.startTime() * 100.0));
    // Not before the start of the record.
    dragTo(b.display, QPoint(5000, 100), Qt::MiddleButton);
    QCOMPARE(b.display.startTime(), 0.0);
    release(b.display, QPoint(5000, 100), Qt::MiddleButton);
    dragTo(b.display, QPoint(100, 100), Qt::NoButton);
    QCOMPARE(b.display.startTime(), 0.0);
    QCOMPARE(moved.count(), 2);
}

void TestBrowseDisplay::caliperFigures_data()
{
    QTest::addColumn<double>("amplitude");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addRow("left to right") << 10.0 << 2.5 << 3.5;
    QTest::addRow("right to left") << 10.0 << 3.5 << 2.5;
    QTest::addRow("right to left at 20 mm/mV") << 20.0 << 3.5 << 2.5;
    QTest::addRow("at 5 mm/mV") << 5.0 << 2.5 << 3.5;
}

void TestBrowseDisplay::caliperFigures()
{
    QFETCH(double, amplitude);
    QFETCH(double, from);
    QFETCH(double, to);
    Browse b(8.0);
    // 1 mV from 3 s on.
    b.store = signal(1);
    append(*b.store, 4000, [](int, int i) { return i < 1500 ? 0 : 1000; });
    b.display.setSignal(b.store.get());
    b.display.setAmplitude(amplitude);
    b.display.setMode(QSignalBrowseDisplay::CaliperMode);
    plainColors(b.display);

    // Moves without a button reach the display once a press turned tracking on.
    hover(b.display, QPoint(b.x(from), 200));
    QVERIFY(!b.display.caliper().shown);
    press(b.display, QPoint(b.x(1.0), 200));
    release(b.display, QPoint(b.x(1.0), 200));
    hover(b.display, QPoint(b.x(from), 200));
    QVERIFY(b.display.caliper().shown);
    QVERIFY(!b.display.caliper().dragging);
    QVERIFY(b.display.caliperTimeText().isEmpty());
    const QImage still = b.display.canvas();

    press(b.display, QPoint(b.x(from), 200));
    dragTo(b.display, QPoint(b.x(to), 200));
    QVERIFY(b.display.caliper().dragging);
    const QString time = b.display.caliperTimeText();
    QVERIFY2(time.endsWith(QLatin1String(" ms")), qPrintable(time));
    const double ms = time.chopped(3).toDouble();
    QVERIFY2(std::abs(ms - 1000.0) <= 22.0, qPrintable(time)); // a pixel is about 10 ms
    QCOMPARE(b.display.caliperAmplitudeText(), QStringLiteral("1.0 mv (10 mm)"));

    // The caliper's triangle is filled in translucent red over the trace: midway
    // between its long side and its horizontal side (at the level of the first
    // point), a quarter of a second in from either point, the paper turns red.
    const QImage image = b.display.canvas();
    const int base = topmost(still, b.x(2.75), Qt::black); // 0 mV
    const int top = topmost(still, b.x(3.25), Qt::black);  // 1 mV
    QVERIFY2(top >= 0 && base > top + 8, qPrintable(QString("%1 %2").arg(top).arg(base)));
    auto level = [&](double t) { return t < 3.0 ? base : top; };
    for (double t : {2.75, 3.25}) {
        const double longSide = level(from) + (level(to) - level(from)) * (t - from) / (to - from);
        const QPoint inside(b.x(t), int(std::lround((longSide + level(from)) / 2.0)));
        QVERIFY(!isInk(still.pixel(inside), QColor(255, 0, 0), Qt::white));
        QVERIFY2(isInk(image.pixel(inside), QColor(255, 0, 0), Qt::white), qPrintable(QString::number(t)));
    }

    release(b.display, QPoint(b.x(to), 200));
    QVERIFY(b.display.caliper().shown);
    QVERIFY(!b.display.caliper().dragging);
    hover(b.display, QPoint(b.x(1.0), 200));
    QCOMPARE(b.display.caliper().start, b.display.caliper().end);
    // Past the end of the record there is nothing to measure.
    hover(b.display, QPoint(990, 200));
    QVERIFY(!b.display.caliper().shown);
}

void TestBrowseDisplay::caliperInInset()
{
    Browse b(20.0);
    StoredAverageBeats average(400, 500, 0.001);
    std::vector<double> beat(400, 0.0);
    for (int i = 200; i < 400; ++i)
        beat[size_t(i)] = 500.0; // +0.5 mV from 0.4 s into the beat
    average.setAverageBeat(0, beat);
    b.display.setAverageBeatSource(&average);
    b.display.setShowAverageBeat(true);
    b.display.setMode(QSignalBrowseDisplay::CaliperMode);
    const double pixelsPerMm = 1000.0 / b.display.canvas().widthMM();
    const int insetX0 = int(pixelsPerMm * 2.5);
    const double insetPps = int(0.8 * 25.0 * pixelsPerMm) / 0.8;
    auto insetX = [&](double t) { return insetX0 + int(std::lround(t * insetPps)); };

    press(b.display, QPoint(insetX(0.2), 200));
    QVERIFY(b.display.caliper().shown);
    QVERIFY(b.display.caliper().inInset);
    dragTo(b.display, QPoint(insetX(0.6), 200));
    QCOMPARE(b.display.caliperAmplitudeText(), QStringLiteral("0.5 mv (5 mm)"));
    const double ms = b.display.caliperTimeText().chopped(3).toDouble();
    QVERIFY(std::abs(ms - 400.0) <= 22.0);
    release(b.display, QPoint(insetX(0.6), 200));
    // Left of the beat there is nothing to measure.
    hover(b.display, QPoint(1, 200));
    QVERIFY(!b.display.caliper().shown);
}

void TestBrowseDisplay::withoutSignalOnlyPaper()
{
    QSignalBrowseDisplay display;
    display.resize(500, 300);
    display.show();
    plainColors(display);
    display.setColor(Grid, QColor(255, 0, 0));
    press(display, QPoint(100, 100));
    QTest::keyClick(&display, Qt::Key_End);
    QCOMPARE(display.startTime(), 0.0);
    QVERIFY(!display.scrollBar()->isEnabled());
    QImage image = paper(1000, 300);
    display.render(image);
    QVERIFY(countColor(image, image.rect(), QColor(255, 0, 0)) > 0);
    QCOMPARE(countColor(image, image.rect(), Qt::black), 0);
}

void TestBrowseDisplay::failingBeatListDoesNotEscape()
{
    Browse b(20.0);
    FailingBeatStore failing;
    b.display.setBeatList(&failing);
    b.display.setMode(QSignalBrowseDisplay::SelectionMode);
    press(b.display, QPoint(b.x(2.5), 100));
    release(b.display, QPoint(b.x(2.5), 100));
    QCOMPARE(b.display.selectedBeat(), -1);
    b.display.setSelectedBeat(3);
    QTest::keyClick(&b.display, Qt::Key_End);
    b.display.repaint();
    QCOMPARE(b.display.canvas().size(), QSize(1000, 400));
}

QTEST_MAIN(TestBrowseDisplay)
#include "tst_browsedisplay.moc"
