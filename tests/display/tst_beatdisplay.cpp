#include "ColorSchemes.h"
#include "DisplayTestSupport.h"
#include "QBeatDisplay.h"
#include "StoredAverageBeats.h"

#include <QSignalSpy>
#include <QtTest>

using namespace DisplayTest;

namespace {

// An 0.8 s beat at 500/s in microvolt units: P of 0.2 mV from 0.10 to 0.14 s, QRS
// from 0.25 s (R 1.0 mV, S -0.5 mV) to 0.30 s, T of 0.3 mV from 0.40 to 0.50 s.
StoredAverageBeats syntheticBeat()
{
    StoredAverageBeats beats(400, 500, 0.001);
    std::vector<double> beat(400, 0.0);
    auto bump = [&](int from, int to, double height) {
        for (int i = from; i <= to; ++i)
            beat[size_t(i)] = height * std::sin(M_PI * (i - from) / (to - from));
    };
    bump(50, 70, 200.0);
    bump(125, 137, 1000.0);
    bump(138, 150, -500.0);
    bump(200, 250, 300.0);
    beats.setAverageBeat(0, beat);
    beats.setLeadName(0, "II");
    beats.setMeanRRInterval(0.6);
    return beats;
}

void placeCursors(QBeatDisplay& display)
{
    display.setCursorPosition(QBeatDisplay::POn, 0.10);
    display.setCursorPosition(QBeatDisplay::POff, 0.14);
    display.setCursorPosition(QBeatDisplay::PPeak, 0.12);
    display.setCursorPosition(QBeatDisplay::QrsOn, 0.25);
    display.setCursorPosition(QBeatDisplay::QrsOff, 0.30);
    display.setCursorPosition(QBeatDisplay::TOn, 0.40);
    display.setCursorPosition(QBeatDisplay::TPeak, 0.45);
    display.setCursorPosition(QBeatDisplay::TOff, 0.50);
}

// The synthetic beat, counting how often the display asks for it.
class CountedBeats : public StoredAverageBeats
{
public:
    CountedBeats() : StoredAverageBeats(syntheticBeat()) {}
    std::vector<double> averageBeat(int lead) const override
    {
        ++asked;
        return StoredAverageBeats::averageBeat(lead);
    }
    mutable int asked = 0;
};

} // namespace

class TestBeatDisplay : public QObject
{
    Q_OBJECT

private slots:
    void defaultCursors();
    void intervalLabels_data();
    void intervalLabels();
    void amplitudeLabels();
    void cursorsDrawnBetweenThirds();
    void hoverAndDragPastEdge();
    void withoutBeatOnlyBackground();
    void hiddenDrawsWhenShownOrRead();
    void colorScheme_data();
    void colorScheme();
};

void TestBeatDisplay::defaultCursors()
{
    QBeatDisplay display;
    const bool enabled[] = {true, false, false, true, true, false, true, false};
    const char* names[] = {"P on", "P off", "P peak", "QRS on", "QRS off", "T on", "T off", "T peak"};
    const char* labels[] = {"(P", "P)", "P^", "(QRS", "QRS)", "(T", "T)", "T^"};
    for (int i = 0; i < QBeatDisplay::CursorCount; ++i) {
        QCOMPARE(display.cursorEnabled(i), enabled[i]);
        QCOMPARE(display.beatCursor(i).name, QString::fromLatin1(names[i]));
        QCOMPARE(display.beatCursor(i).shortLabel, QString::fromLatin1(labels[i]));
        QCOMPARE(display.cursorPosition(i), 0.0);
    }
    QVERIFY(display.hasMouseTracking());
}

void TestBeatDisplay::intervalLabels_data()
{
    QTest::addColumn<bool>("allCursors");
    QTest::addColumn<double>("pOff");
    QTest::addColumn<QStringList>("labels");
    QTest::addRow("default cursors") << false << 0.14
                                     << QStringList{"PR\n150", "QRS\n50", "ST 200", "QT 250"};
    QTest::addRow("all cursors") << true << 0.14
                                 << QStringList{"PR\n150", "P 40", "QRS\n50", "ST 200", "QT 250", "T 100", "Tpf\n50"};
    // P on and P off both at 0 s: the interval is not positive.
    QTest::addRow("P interval zero") << true << 0.0
                                     << QStringList{"PR\n250", "QRS\n50", "ST 200", "QT 250", "T 100", "Tpf\n50"};
}

void TestBeatDisplay::intervalLabels()
{
    QFETCH(bool, allCursors);
    QFETCH(double, pOff);
    QFETCH(QStringList, labels);
    QBeatDisplay display;
    placeCursors(display);
    display.setCursorPosition(QBeatDisplay::POff, pOff);
    if (pOff == 0.0)
        display.setCursorPosition(QBeatDisplay::POn, 0.0);
    for (int i = 0; allCursors && i < QBeatDisplay::CursorCount; ++i)
        display.setCursorEnabled(i, true);
    QCOMPARE(display.intervalLabels(), labels);
}

void TestBeatDisplay::amplitudeLabels()
{
    StoredAverageBeats beats = syntheticBeat();
    QBeatDisplay display;
    display.setBeat(&beats);
    placeCursors(display);
    // P against its onset, QRS peak to peak, T against the QRS onset level.
    QCOMPARE(display.amplitudeLabels(), (QStringList{"0.20 mV", "1.50 mV", "0.30 mV"}));
    display.setCursorEnabled(QBeatDisplay::QrsOff, false);
    display.setCursorEnabled(QBeatDisplay::TOn, false);
    QCOMPARE(display.amplitudeLabels(), (QStringList{"0.20 mV"}));
}

void TestBeatDisplay::cursorsDrawnBetweenThirds()
{
    StoredAverageBeats beats = syntheticBeat();
    QBeatDisplay display;
    display.setBeat(&beats);
    placeCursors(display);
    display.refresh();
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    display.render(image);
    // QRS on at 0.25 s of 0.8 s: column 125; blue from 100 to 200 only.
    const QColor blue(Qt::blue);
    QVERIFY(countColor(image, QRect(125, 110, 1, 80), blue) >= 78);
    QCOMPARE(countColor(image, QRect(125, 0, 1, 95), blue), 0);
    QCOMPARE(countColor(image, QRect(125, 205, 1, 95), blue), 0);
    // A cursor that is not enabled is not drawn (T on at column 200).
    QCOMPARE(countColor(image, QRect(200, 100, 1, 100), blue), 0);
}

void TestBeatDisplay::hoverAndDragPastEdge()
{
    StoredAverageBeats beats = syntheticBeat();
    QBeatDisplay display;
    display.resize(400, 300);
    display.show();
    display.setBeat(&beats);
    placeCursors(display);
    display.refresh();
    QSignalSpy changed(&display, &QBeatDisplay::cursorChanged);

    // Within 4 px of the QRS onset line (column 125): strictly less than 4.
    hover(display, QPoint(129, 150));
    QCOMPARE(display.activeCursor(), -1);
    QCOMPARE(display.cursor().shape(), Qt::ArrowCursor);
    hover(display, QPoint(128, 150));
    QCOMPARE(display.activeCursor(), int(QBeatDisplay::QrsOn));
    QCOMPARE(display.cursor().shape(), Qt::SplitHCursor);
    QVERIFY(countColor(display.canvas(), QRect(125, 110, 1, 80), QColor(Qt::red)) >= 78);

    // Dragged past the right edge it stops at the last column.
    press(display, QPoint(128, 150));
    dragTo(display, QPoint(250, 150));
    QCOMPARE(display.cursorPosition(QBeatDisplay::QrsOn), 250 * 0.8 / 400);
    dragTo(display, QPoint(900, 150));
    QCOMPARE(display.cursorPosition(QBeatDisplay::QrsOn), 399 * 0.8 / 400);
    QVERIFY(countColor(display.canvas(), QRect(399, 110, 1, 80), QColor(Qt::red)) >= 78);
    dragTo(display, QPoint(-50, 150));
    QCOMPARE(display.cursorPosition(QBeatDisplay::QrsOn), 0.0);
    release(display, QPoint(-50, 150));
    QCOMPARE(changed.count(), 3);

    // A drag that did not start on a cursor moves nothing.
    hover(display, QPoint(350, 150));
    QCOMPARE(display.activeCursor(), -1);
    dragTo(display, QPoint(360, 150));
    QCOMPARE(changed.count(), 3);
}

void TestBeatDisplay::withoutBeatOnlyBackground()
{
    QBeatDisplay display;
    placeCursors(display);
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    display.render(image);
    QCOMPARE(countColor(image, image.rect(), Qt::white), 400 * 300);
}

void TestBeatDisplay::colorScheme_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("grid");
    QTest::addColumn<QColor>("trace");
    QTest::addColumn<QColor>("cursor");
    // No scheme: the display's own paper look.
    QTest::addRow("own colours") << "" << QColor(Qt::white) << QColor(220, 200, 180) << QColor(Qt::black)
                                 << QColor(Qt::blue);
    QTest::addRow("Black") << "Black" << QColor(Qt::black) << QColor(96, 96, 96) << QColor(Qt::green)
                           << QColor(Qt::cyan);
    QTest::addRow("Blue") << "Blue" << QColor(0, 0, 64) << QColor(96, 96, 128) << QColor(Qt::white)
                          << QColor(Qt::yellow);
    QTest::addRow("Light") << "Light" << QColor(Qt::white) << QColor(220, 200, 180) << QColor(Qt::black)
                           << QColor(Qt::blue);
}

void TestBeatDisplay::colorScheme()
{
    QFETCH(QString, scheme);
    QFETCH(QColor, background);
    QFETCH(QColor, grid);
    QFETCH(QColor, trace);
    QFETCH(QColor, cursor);
    StoredAverageBeats beats = syntheticBeat();
    QBeatDisplay display;
    display.resize(400, 300);
    display.show();
    display.setBeat(&beats);
    placeCursors(display);
    display.refresh();
    if (!scheme.isEmpty()) {
        // Another scheme first: each one replaces every colour of the one before.
        QVERIFY(ColorSchemes::apply(scheme == QLatin1String("Blue") ? QStringLiteral("Light")
                                                                     : QStringLiteral("Blue"),
                                    display));
        QVERIFY(ColorSchemes::apply(scheme, display));
    }
    // An unknown name keeps what the display has.
    QVERIFY(!ColorSchemes::apply(QStringLiteral("Dark"), display));
    QCOMPARE(display.color(DisplayColorRole::Background), background);

    // The scheme reaches the widget's own canvas (applying refreshes it).
    const QImage& image = display.canvas();
    QCOMPARE(image.size(), QSize(400, 300));
    // Between grid lines (20 px to the millimetre here), past the labels.
    QVERIFY(isColor(image, 330, 60, background));
    // The grid's first vertical line at x = 0.
    QVERIFY(isColor(image, 0, 60, grid));
    // The QRS onset cursor at column 125, between the thirds of the height.
    QVERIFY(countColor(image, QRect(125, 110, 1, 80), cursor) >= 70);
    // The beat's trace: the R wave at 0.27 s rises through column 135 above
    // the baseline.
    QVERIFY(countColor(image, QRect(130, 0, 12, 150), trace) > 10);
}

void TestBeatDisplay::hiddenDrawsWhenShownOrRead()
{
    // A window sets a hidden display's beat, lead and cursors one after the
    // other: none of them draws (and asks for the average) before the display
    // is read or shown, and what is then drawn is the last state.
    CountedBeats beats;
    QBeatDisplay display;
    display.resize(400, 300);
    display.setBeat(&beats);
    display.setLead(0);
    placeCursors(display);
    display.refresh();
    display.refresh();
    QCOMPARE(beats.asked, 0);
    QVERIFY(countColor(display.canvas(), QRect(125, 110, 1, 80), QColor(Qt::blue)) >= 78);
    const int drawn = beats.asked;
    QVERIFY(drawn > 0);
    // Read again unchanged, it is not drawn again.
    display.canvas();
    QCOMPARE(beats.asked, drawn);

    // A change made while hidden reaches the canvas when the display is shown.
    display.setCursorPosition(QBeatDisplay::QrsOn, 200 * 0.8 / 400);
    display.refresh();
    QCOMPARE(beats.asked, drawn);
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    QVERIFY(countColor(display.canvas(), QRect(200, 110, 1, 80), QColor(Qt::blue)) >= 78);
    QVERIFY(beats.asked > drawn);
    // Shown, every change is drawn at once.
    const int shown = beats.asked;
    display.refresh();
    QVERIFY(beats.asked > shown);
}

QTEST_MAIN(TestBeatDisplay)
#include "tst_beatdisplay.moc"

