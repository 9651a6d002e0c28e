// The millimetre paper: the dotted grid whose dots are written straight into
// the pixels is the grid the painter draws, pixel for pixel, and displays of
// one size and colours share one paper.

#include "PaperGrid.h"

#include <QtTest>

namespace {

QImage canvas(QSize size, double dotsPerMm, QImage::Format format)
{
    QImage image(size, format);
    image.setDotsPerMeterX(int(std::lround(dotsPerMm * 1000.0)));
    image.setDotsPerMeterY(int(std::lround(dotsPerMm * 1000.0)));
    return image;
}

} // namespace

class TestPaperGrid : public QObject
{
    Q_OBJECT

private slots:
    void directGridIsThePaintersGrid_data();
    void directGridIsThePaintersGrid();
    void sharedBetweenDisplays();
};

void TestPaperGrid::directGridIsThePaintersGrid_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("dotsPerMm");
    QTest::addColumn<QColor>("grid");
    QTest::newRow("full screen, 96 dpi") << QSize(1920, 1080) << 96 / 25.4 << QColor(240, 200, 190);
    QTest::newRow("odd size, 3.3 px/mm") << QSize(1023, 517) << 3.3 << QColor(0, 0, 160);
    QTest::newRow("small, 7.1 px/mm") << QSize(61, 37) << 7.1 << QColor(Qt::red);
    QTest::newRow("narrower than 5 mm") << QSize(12, 9) << 4.0 << QColor(Qt::darkGreen);
}

void TestPaperGrid::directGridIsThePaintersGrid()
{
    QFETCH(QSize, size);
    QFETCH(double, dotsPerMm);
    QFETCH(QColor, grid);
    const QColor background(Qt::white);
    // Premultiplied and opaque: dots written straight; any other format: painted.
    QImage direct = canvas(size, dotsPerMm, QImage::Format_ARGB32_Premultiplied);
    QImage painted = canvas(size, dotsPerMm, QImage::Format_RGB32);
    PaperGrid::paint(direct, PaperGrid::Dotted, background, grid);
    PaperGrid::paint(painted, PaperGrid::Dotted, background, grid);
    const QImage expected = painted.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int differing = 0;
    int gridPixels = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            differing += direct.pixel(x, y) != expected.pixel(x, y);
            gridPixels += expected.pixel(x, y) == grid.rgb();
        }
    QCOMPARE(differing, 0);
    QVERIFY(gridPixels > size.height()); // the lines at 0 mm at least
}

void TestPaperGrid::sharedBetweenDisplays()
{
    const QImage target = canvas(QSize(800, 400), 3.78, QImage::Format_ARGB32_Premultiplied);
    PaperGrid first;
    PaperGrid second;
    const QImage a = first.image(target, PaperGrid::Dotted, Qt::white, Qt::red);
    const QImage b = second.image(target, PaperGrid::Dotted, Qt::white, Qt::red);
    QCOMPARE(a.cacheKey(), b.cacheKey());
    // Other colours, another size: a paper of their own, drawn for them.
    const QImage c = second.image(target, PaperGrid::Dotted, Qt::black, Qt::red);
    QVERIFY(c.cacheKey() != a.cacheKey());
    QCOMPARE(QColor(c.pixel(1, 1)), QColor(Qt::black));
    const QImage small = canvas(QSize(200, 100), 3.78, QImage::Format_ARGB32_Premultiplied);
    const QImage d = first.image(small, PaperGrid::Dotted, Qt::white, Qt::red);
    QCOMPARE(d.size(), QSize(200, 100));
    // The first display's paper is still its own colours.
    QCOMPARE(QColor(a.pixel(1, 1)), QColor(Qt::white));
}

QTEST_MAIN(TestPaperGrid)
#include "tst_papergrid.moc"
