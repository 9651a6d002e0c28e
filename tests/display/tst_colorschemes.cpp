#include "ColorSchemes.h"
#include "DisplayTestSupport.h"
#include "QSignalBrowseDisplay.h"
#include "QSignalMonitorDisplay.h"

#include <QtTest>

using namespace DisplayTest;
using namespace DisplayColorRole;

namespace {

template <typename Display>
QMap<int, QColor> colorsOf(const Display& display)
{
    QMap<int, QColor> colors;
    for (int role = 0; role <= SelectedBeat; ++role)
        colors.insert(role, display.color(role));
    return colors;
}

// The colour of the 5 mm line at x = 0 of a rendered display.
template <typename Display>
QColor gridLine(Display& display)
{
    QImage image = paper(400, 200);
    display.render(image);
    return QColor(image.pixel(0, 100));
}

} // namespace

class TestColorSchemes : public QObject
{
    Q_OBJECT

private slots:
    void namesInOrder();
    void schemeContents_data();
    void schemeContents();
    void unknownNameChangesNothing_data();
    void unknownNameChangesNothing();
    void blackToLightRebuildsGrid();
};

void TestColorSchemes::namesInOrder()
{
    QCOMPARE(ColorSchemes::names(), (QStringList{"Black", "Blue", "Light"}));
    QVERIFY(ColorSchemes::contains(QStringLiteral("Blue")));
    QVERIFY(!ColorSchemes::contains(QStringLiteral("blue")));
    QVERIFY(ColorSchemes::scheme(QStringLiteral("Dark")).isEmpty());
}

void TestColorSchemes::schemeContents_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    QTest::addColumn<QColor>("color");
    QTest::addRow("Light trace") << "Light" << 0 << QColor(0, 0, 0);
    QTest::addRow("Blue background") << "Blue" << 1 << QColor(0, 0, 64);
    QTest::addRow("Blue grid") << "Blue" << 2 << QColor(96, 96, 128);
    QTest::addRow("Blue ticks") << "Blue" << 7 << QColor(255, 255, 0);
    QTest::addRow("Black trace") << "Black" << 0 << QColor(0, 255, 0);
    QTest::addRow("Black reference") << "Black" << 5 << QColor(255, 255, 255);
    QTest::addRow("Black marks") << "Black" << 9 << QColor(255, 0, 0);
}

void TestColorSchemes::schemeContents()
{
    QFETCH(QString, name);
    QFETCH(int, role);
    QFETCH(QColor, color);
    const QMap<int, QColor> scheme = ColorSchemes::scheme(name);
    QCOMPARE(scheme.size(), SchemeRoleCount);
    QCOMPARE(scheme.value(role), color);
}

void TestColorSchemes::unknownNameChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addRow("empty") << QString();
    QTest::addRow("unknown") << "Dark";
    QTest::addRow("wrong case") << "light";
}

void TestColorSchemes::unknownNameChangesNothing()
{
    QFETCH(QString, name);
    QSignalMonitorDisplay monitor;
    QSignalBrowseDisplay browse;
    const QMap<int, QColor> monitorColors = colorsOf(monitor);
    const QMap<int, QColor> browseColors = colorsOf(browse);
    QVERIFY(!ColorSchemes::apply(name, monitor));
    QVERIFY(!ColorSchemes::apply(name, browse));
    QCOMPARE(colorsOf(monitor), monitorColors);
    QCOMPARE(colorsOf(browse), browseColors);
}

void TestColorSchemes::blackToLightRebuildsGrid()
{
    QSignalMonitorDisplay monitor;
    QSignalBrowseDisplay browse;
    QVERIFY(ColorSchemes::apply(QStringLiteral("Black"), monitor));
    QVERIFY(ColorSchemes::apply(QStringLiteral("Black"), browse));
    QCOMPARE(gridLine(monitor), QColor(96, 96, 96));
    QCOMPARE(gridLine(browse), QColor(96, 96, 96));
    QVERIFY(ColorSchemes::apply(QStringLiteral("Light"), monitor));
    QVERIFY(ColorSchemes::apply(QStringLiteral("Light"), browse));
    QCOMPARE(gridLine(monitor), QColor(220, 200, 180));
    QCOMPARE(gridLine(browse), QColor(220, 200, 180));
    // The widget's own canvas follows too.
    QCOMPARE(QColor(monitor.canvas().pixel(0, 10)), QColor(220, 200, 180));
    // Applied through the setters: the highlight stays half transparent.
    QCOMPARE(monitor.color(Highlight).alpha(), 128);
    // The selected-beat band is no scheme role: it keeps the display's own.
    QCOMPARE(browse.color(SelectedBeat), QColor(128, 128, 128, 128));
}

QTEST_MAIN(TestColorSchemes)
#include "tst_colorschemes.moc"
