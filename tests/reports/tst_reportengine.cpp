// The report template engine on small templates of its own: reading templates,
// page breaks and the page count, master groups, growing labels, and the paint
// pass on an image, a PDF and a printer.

#include "TException.h"
#include "TReportDataSource.h"
#include "TReportDocument.h"
#include "TReportLayout.h"
#include "TReportTemplate.h"
#include "TReportText.h"
#include "TReportTypeface.h"

#include "ReportTestSupport.h"

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Answers every field with "<name>:<record>" unless told otherwise, and paints
// drawings as solid black so the tests can find them.
class FakeSource : public TReportDataSource
{
public:
    int recordCount(const QString& dataset) override { return counts.value(dataset, 0); }
    QString value(const QString& field, int record, int) override
    {
        return values.contains(field) ? values.value(field) : QStringLiteral("%1:%2").arg(field).arg(record);
    }
    QImage image(const QString& field, int) override { return images.value(field); }
    bool draw(const QString& field, int record, QPainter& painter, const QRectF& rect, double unitsPerMm) override
    {
        drawn.append(QStringLiteral("%1:%2").arg(field).arg(record));
        drawnRects.append(rect);
        drawnScale = unitsPerMm;
        painter.fillRect(rect.adjusted(-100, -100, 100, 100), Qt::black); // the clip keeps it in its rectangle
        return true;
    }

    QMap<QString, int> counts;
    QMap<QString, QString> values;
    QMap<QString, QImage> images;
    QStringList drawn;
    QVector<QRectF> drawnRects;
    double drawnScale = 0.0;
};

// An A4 landscape template (1188 x 840 units, 4 to the millimetre) with the given
// body; 40 units of margin at the top and the bottom.
QByteArray landscape(const QString& body)
{
    return QStringLiteral("<report paper=\"A4\" orientation=\"landscape\" width=\"1188\" height=\"840\" "
                          "margin-top=\"40\" margin-bottom=\"40\">%1</report>")
        .arg(body)
        .toUtf8();
}

// A template whose 10-unit title holds one field of 5 x 1 units with the given
// element, extra attributes and content.
QByteArray titleField(const char* element, const char* attributes = "", const char* content = "")
{
    return landscape(QStringLiteral("<title height=\"10\"><%1 x=\"0\" y=\"0\" width=\"5\" height=\"1\"%2>%3</%1>"
                                    "</title>")
                         .arg(QLatin1String(element), QLatin1String(attributes), QLatin1String(content)));
}

TReportTemplate parsed(const QByteArray& xml)
{
    TReportTemplate t;
    QString error;
    if (!TReportTemplate::parse(xml, t, &error))
        qWarning("%s", qPrintable(error));
    return t;
}

// Kind and record of every band placed on a page, as "kind:record".
QStringList bands(const TReportPage& page)
{
    static const char* kinds[] = {"title", "pageHeader", "pageFooter", "header", "data", "footer"};
    QStringList out;
    for (const TReportPlacement& p : page)
        out.append(QStringLiteral("%1:%2").arg(QLatin1String(kinds[p.band->kind])).arg(p.record));
    return out;
}


} // namespace

class TestReportEngine : public QObject
{
    Q_OBJECT

private slots:
    void readsTemplate()
    {
        const TReportTemplate t = parsed(landscape(QStringLiteral(
            "<font font-size=\"8\"/>"
            "<pageFooter height=\"30\"><label x=\"0\" y=\"0\" width=\"100\" height=\"30\" align=\"right|bottom\">"
            "Page [#page] of [#pages]</label></pageFooter>"
            "<title height=\"100\"><image x=\"1\" y=\"2\" width=\"3\" height=\"4\">[logo]</image>"
            "<rect x=\"10\" y=\"20\" width=\"30\" height=\"40\" border=\"2\"/>"
            "<rect x=\"10\" y=\"20\" width=\"30\" height=\"40\"> [ecgGraphic/7by1] </rect>"
            "<label x=\"0\" y=\"0\" width=\"10\" height=\"10\" font-size=\"12\" bold=\"true\" wrap=\"true\" "
            "grow=\"true\" color=\"#ff0000\">PR [a/b] ms, [c]</label></title>"
            "<group dataset=\"events\"><data height=\"50\" page-break=\"true\"/></group>")));
        QCOMPARE(t.size, QSizeF(1188, 840));
        QCOMPARE(t.orientation, QPageLayout::Landscape);
        QVERIFY(std::abs(t.unitsPerMillimetre() - 4.0) < 1e-9);
        QVERIFY(t.pageFooter && t.title && !t.pageHeader);
        const TReportField& footer = t.pageFooter->fields[0];
        QCOMPARE(footer.font.pointSize, 8.0); // the template's font by default
        QCOMPARE(footer.alignment, Qt::AlignRight | Qt::AlignBottom);
        QCOMPARE(t.title->fields[0].kind, TReportField::Image);
        QCOMPARE(t.title->fields[0].name, QStringLiteral("logo"));
        QCOMPARE(t.title->fields[1].kind, TReportField::Rectangle);
        QVERIFY(t.title->fields[1].name.isEmpty());
        QCOMPARE(t.title->fields[1].border, 2.0);
        QCOMPARE(t.title->fields[2].name, QStringLiteral("ecgGraphic/7by1"));
        const TReportField& label = t.title->fields[3];
        QVERIFY(label.font.bold && label.wordWrap && label.grow);
        QCOMPARE(label.font.pointSize, 12.0);
        QCOMPARE(label.color, QColor(Qt::red));
        QCOMPARE(label.parts.size(), 4);
        QCOMPARE(label.parts[1].text, QStringLiteral("a/b"));
        QVERIFY(label.parts[1].isField && !label.parts[2].isField);
        QCOMPARE(t.fieldNames(), (QStringList{"logo", "ecgGraphic/7by1", "a/b", "c", "#page", "#pages"}));
        QCOMPARE(t.groups.size(), 1);
        QCOMPARE(t.groups[0].dataset, QStringLiteral("events"));
        QVERIFY(t.groups[0].data->pageBreakBefore);
    }

    void rejectsWhatItDoesNotKnow_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("complaint");
        QTest::newRow("not xml") << QByteArray("<report") << QString();
        QTest::newRow("other document") << QByteArray("<html/>") << QStringLiteral("not <report>");
        QTest::newRow("no width") << QByteArray("<report height=\"10\"/>") << QStringLiteral("needs width");
        QTest::newRow("wrong proportions")
            << QByteArray("<report orientation=\"landscape\" width=\"1000\" height=\"1000\"/>")
            << QStringLiteral("proportions");
        QTest::newRow("unknown attribute")
            << landscape(QStringLiteral("<title height=\"10\" heigth=\"3\"/>")) << QStringLiteral("heigth");
        QTest::newRow("unknown element") << landscape(QStringLiteral("<summary height=\"10\"/>"))
                                         << QStringLiteral("summary");
        QTest::newRow("bad number") << landscape(QStringLiteral("<title height=\"ten\"/>"))
                                    << QStringLiteral("height=\"ten\"");
        QTest::newRow("negative size") << landscape(QStringLiteral(
            "<title height=\"10\"><label x=\"0\" y=\"0\" width=\"-5\" height=\"1\"/></title>"))
                                       << QStringLiteral("width");
        QTest::newRow("a typeface of its own") << landscape(QStringLiteral("<font font-family=\"Helvetica\"/>"))
                                               << QStringLiteral("font-family");
        QTest::newRow("bad colour") << titleField("label", " color=\"reddish\"") << QStringLiteral("colour");
        QTest::newRow("bad alignment") << titleField("label", " align=\"middle\"") << QStringLiteral("middle");
        QTest::newRow("image without name") << titleField("image") << QStringLiteral("one [name]");
        QTest::newRow("drawing with text") << titleField("rect", "", "Lead [x]") << QStringLiteral("one [name]");
        QTest::newRow("growing image") << titleField("image", " grow=\"true\"", "[x]")
                                       << QStringLiteral("only a label");
        QTest::newRow("group without data")
            << landscape(QStringLiteral("<group><header height=\"5\"/></group>")) << QStringLiteral("<data>");
        QTest::newRow("two titles") << landscape(QStringLiteral("<title height=\"5\"/><title height=\"5\"/>"))
                                    << QStringLiteral("second");
        QTest::newRow("margins fill the page")
            << QByteArray("<report width=\"840\" height=\"1188\" margin-top=\"600\" margin-bottom=\"600\"/>")
            << QStringLiteral("margins");
    }

    void rejectsWhatItDoesNotKnow()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, complaint);
        TReportTemplate t;
        QString error;
        QVERIFY(!TReportTemplate::parse(xml, t, &error));
        QVERIFY2(error.contains(complaint), qPrintable(error));
        QVERIFY(error.startsWith(QStringLiteral("line ")));
    }

    void missingOrBrokenTemplateCannotLoad()
    {
        QTemporaryDir dir;
        const QString broken = dir.filePath(QStringLiteral("broken.xml"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<report width=\"1188\"");
        file.close();
        for (const QString& path :
             {QStringLiteral(":/res/no-such-report.xml"), dir.filePath(QStringLiteral("none.xml")), broken}) {
            try {
                TReportTemplate::load(path);
                QFAIL("loaded");
            } catch (const TException& e) {
                QCOMPARE(e.message(), QStringLiteral("Cannot load report resource file"));
            }
        }
    }

    // 840 units less 2 x 40 of margin and a 40-unit footer leave 720 for the flow.
    void pageBreaks_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("titleHeight");
        QTest::addColumn<int>("dataHeight");
        QTest::addColumn<bool>("pageBreak");
        QTest::addColumn<QVector<int>>("perPage"); // data bands on each page

        QTest::newRow("none") << 0 << 0 << 100 << false << QVector<int>{0};
        QTest::newRow("fits exactly") << 7 << 20 << 100 << false << QVector<int>{7};
        QTest::newRow("one too many") << 8 << 20 << 100 << false << QVector<int>{7, 1};
        QTest::newRow("title takes room") << 8 << 120 << 100 << false << QVector<int>{6, 2};
        QTest::newRow("three pages") << 17 << 20 << 100 << false << QVector<int>{7, 7, 3};
        QTest::newRow("page each after the title") << 3 << 20 << 100 << true << QVector<int>{0, 1, 1, 1};
        QTest::newRow("first on the first page") << 2 << 0 << 100 << true << QVector<int>{1, 1};
        QTest::newRow("taller than a page") << 2 << 20 << 900 << false << QVector<int>{0, 1, 1};
    }

    void pageBreaks()
    {
        QFETCH(int, records);
        QFETCH(int, titleHeight);
        QFETCH(int, dataHeight);
        QFETCH(bool, pageBreak);
        QFETCH(QVector<int>, perPage);
        const QString title = titleHeight > 0 ? QStringLiteral("<title height=\"%1\"/>").arg(titleHeight) : QString();
        const TReportTemplate t = parsed(
            landscape(QStringLiteral(
                          "<pageFooter height=\"40\"/>%1<group dataset=\"rows\"><data height=\"%2\" page-break=\"%3\"/>"
                          "</group>")
                          .arg(title)
                          .arg(dataHeight)
                          .arg(pageBreak ? QStringLiteral("true") : QStringLiteral("false"))));
        FakeSource source;
        source.counts.insert(QStringLiteral("rows"), records);
        const QVector<TReportPage> pages = TReportLayout::layOut(t, source);
        QVector<int> counted;
        int next = 0;
        for (const TReportPage& page : pages) {
            int n = 0;
            for (const TReportPlacement& p : page) {
                if (p.band->kind != TReportBand::GroupData)
                    continue;
                QCOMPARE(p.record, next++); // records in order, each once
                QVERIFY(p.top >= 40.0);
                // Nothing runs into the footer unless it is taller than a page.
                QVERIFY(p.top + p.height <= 840 - 40 - 40 || p.height > 720);
                ++n;
            }
            // The footer closes every page, at its place.
            QCOMPARE(page.last().band->kind, TReportBand::PageFooter);
            QCOMPARE(page.last().top, 840.0 - 40 - 40);
            counted.append(n);
        }
        QCOMPARE(counted, perPage);
    }

    void pageNumbersCountEveryPage()
    {
        const TReportTemplate t = parsed(landscape(QStringLiteral(
            "<pageHeader height=\"30\"><label x=\"0\" y=\"0\" width=\"100\" height=\"30\">[#page]/[#pages]</label>"
            "</pageHeader><pageFooter height=\"30\"><label x=\"0\" y=\"0\" width=\"300\" height=\"30\">"
            "Page [#page] of [#pages]</label></pageFooter>"
            "<group dataset=\"rows\"><data height=\"200\"/></group>")));
        FakeSource source;
        source.counts.insert(QStringLiteral("rows"), 10); // 3 a page
        TReportDocument document(t, source);
        QCOMPARE(document.pageCount(), 4);
        for (int page = 1; page <= 4; ++page) {
            const TReportPage& placed = document.pages()[page - 1];
            QCOMPARE(placed.first().band->kind, TReportBand::PageHeader);
            QCOMPARE(TReportLayout::labelText(placed.first().band->fields[0], 0, page, 4, source),
                     QStringLiteral("%1/4").arg(page));
            QCOMPARE(TReportLayout::labelText(placed.last().band->fields[0], 0, page, 4, source),
                     QStringLiteral("Page %1 of 4").arg(page));
        }
    }

    // Templates one after the other make one report: each starts a page of its
    // own sheet, the pages count through all of them, and a later part with
    // nothing to print adds no page. The PDF holds each page on its sheet.
    void severalTemplatesPageAsOne()
    {
        const QString footer = QStringLiteral(
            "<pageFooter height=\"30\"><label x=\"0\" y=\"0\" width=\"300\" height=\"30\">"
            "Page [#page] of [#pages]</label></pageFooter>");
        const TReportTemplate first =
            parsed(landscape(footer + QStringLiteral("<group dataset=\"rows\"><data height=\"300\"/></group>")));
        const TReportTemplate second = parsed(
            QStringLiteral("<report paper=\"A4\" orientation=\"portrait\" width=\"840\" height=\"1188\">%1"
                           "<group dataset=\"events\"><data height=\"100\" page-break=\"true\"/></group></report>")
                .arg(footer)
                .toUtf8());
        FakeSource source;
        source.counts.insert(QStringLiteral("rows"), 3);   // 2 pages
        source.counts.insert(QStringLiteral("events"), 2); // a page each
        TReportDocument document({first, second}, source);
        QCOMPARE(document.pageCount(), 4);
        for (int page = 1; page <= 4; ++page) {
            const TReportTemplate& t = document.pageTemplate(page);
            QCOMPARE(t.orientation, page <= 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
            const TReportPage& placed = document.pages()[page - 1];
            QCOMPARE(placed.last().band->kind, TReportBand::PageFooter);
            QCOMPARE(TReportLayout::labelText(placed.last().band->fields[0], 0, page, 4, source),
                     QStringLiteral("Page %1 of 4").arg(page));
            // Each page's bands are its own template's.
            QVERIFY(placed.first().band == &*t.groups[0].data);
        }
        QCOMPARE(document.renderPage(3, 1.0).size(), QSize(210, 297));
        QCOMPARE(document.renderPage(1, 1.0).size(), QSize(297, 210));

        source.counts.insert(QStringLiteral("events"), 0);
        TReportDocument withoutEvents({first, second}, source);
        QCOMPARE(withoutEvents.pageCount(), 2);

        if (!ReportTest::havePoppler())
            return;
        source.counts.insert(QStringLiteral("events"), 2);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("parts.pdf")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(document.writePdf(&file, QStringLiteral("Parts")));
        file.close();
        for (int page = 1; page <= 4; ++page) {
            const QString info = ReportTest::poppler(
                QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                            QString::number(page), file.fileName()});
            QVERIFY2(info.contains(page <= 2 ? QStringLiteral("842 x 595 pts") : QStringLiteral("595 x 842 pts")),
                     qPrintable(info));
        }
    }

    void severalMasterGroups()
    {
        const TReportTemplate t = parsed(landscape(QStringLiteral(
            "<title height=\"50\"/>"
            "<group dataset=\"stages\"><header height=\"20\"/><data height=\"20\"/><footer height=\"20\"/></group>"
            "<group dataset=\"nothing\"><header height=\"20\"/><data height=\"20\"/><footer height=\"20\"/></group>"
            "<group><data height=\"30\"/></group>"
            "<group dataset=\"events\"><header height=\"20\"/><data height=\"20\"/><footer height=\"20\"/></group>")));
        FakeSource source;
        source.counts.insert(QStringLiteral("stages"), 3);
        source.counts.insert(QStringLiteral("events"), 2);
        const QVector<TReportPage> pages = TReportLayout::layOut(t, source);
        QCOMPARE(pages.size(), 1);
        // A group without records prints nothing; one without a data set prints once.
        QCOMPARE(bands(pages[0]), (QStringList{"title:0", "header:0", "data:0", "data:1", "data:2", "footer:2",
                                               "data:0", "header:0", "data:0", "data:1", "footer:1"}));
        double y = 40.0;
        for (const TReportPlacement& p : pages[0]) {
            QCOMPARE(p.top, y); // one after the other
            y += p.height;
        }
    }

    void headerStaysWithItsFirstRecordAndRepeats()
    {
        // 760 units of flow without a footer: a 680 title leaves 80, room for the
        // header but not for the header and its first record.
        const TReportTemplate t = parsed(landscape(QStringLiteral(
            "<title height=\"680\"/><group dataset=\"rows\" repeat-header=\"true\"><header height=\"40\"/>"
            "<data height=\"100\"/></group>")));
        FakeSource source;
        source.counts.insert(QStringLiteral("rows"), 9);
        const QVector<TReportPage> pages = TReportLayout::layOut(t, source);
        QCOMPARE(pages.size(), 3);
        QCOMPARE(bands(pages[0]), QStringList{"title:0"});
        QCOMPARE(bands(pages[1]),
                 (QStringList{"header:0", "data:0", "data:1", "data:2", "data:3", "data:4", "data:5", "data:6"}));
        QCOMPARE(bands(pages[2]), (QStringList{"header:0", "data:7", "data:8"}));
    }

    void growingLabelPushesWhatIsBelow()
    {
        const TReportTemplate t = parsed(landscape(QStringLiteral(
            "<group><data height=\"100\">"
            "<label x=\"0\" y=\"0\" width=\"100\" height=\"20\">[caption]</label>"
            "<label x=\"0\" y=\"20\" width=\"400\" height=\"30\" wrap=\"true\" grow=\"true\">[text]</label>"
            "<label x=\"0\" y=\"60\" width=\"400\" height=\"20\">[after]</label>"
            "<label x=\"500\" y=\"10\" width=\"100\" height=\"20\">[beside]</label>"
            "</data></group>")));
        FakeSource source;
        source.values.insert(QStringLiteral("text"), QStringLiteral("short"));
        const TReportPlacement small = TReportLayout::place(t, *t.groups[0].data, 0, 1, 0.0, source);
        QCOMPARE(small.height, 100.0);
        QCOMPARE(small.fieldRects[2], QRectF(0, 60, 400, 20));

        QStringList words;
        for (int i = 0; i < 400; ++i)
            words.append(QStringLiteral("conclusion"));
        source.values.insert(QStringLiteral("text"), words.join(QLatin1Char(' ')));
        const TReportPlacement grown = TReportLayout::place(t, *t.groups[0].data, 0, 1, 0.0, source);
        const double growth = grown.fieldRects[1].height() - 30.0;
        QVERIFY2(growth > 200.0, qPrintable(QString::number(growth))); // many lines of 9 point text
        QCOMPARE(grown.height, 100.0 + growth);
        QCOMPARE(grown.fieldRects[2], QRectF(0, 60 + growth, 400, 20)); // pushed down
        QCOMPARE(grown.fieldRects[0], QRectF(0, 0, 100, 20));           // above it: stays
        QCOMPARE(grown.fieldRects[3], QRectF(500, 10, 100, 20));        // beside it: stays
    }

    // A text too large for its box is set smaller, and cut only where it shows.
    void textFitsItsBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("width"); // millimetres
        QTest::addColumn<double>("height");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<bool>("smaller");
        QTest::addColumn<bool>("cut");
        QTest::newRow("fits") << "H-17" << 30.0 << 6.0 << false << false << false;
        QTest::newRow("a little long") << "HC-2026-0001234" << 26.0 << 6.0 << false << true << false;
        QTest::newRow("far too long") << "HC-2026-000123456789-0042" << 20.0 << 6.0 << false << true << true;
        QTest::newRow("two lines") << "Calle Mayor 1\nHC-2026-000123456789-0042" << 20.0 << 12.0 << false << true
                                   << true;
        QTest::newRow("wrapped, fits") << "Sinus rhythm, normal intervals." << 40.0 << 12.0 << true << false << false;
        QTest::newRow("wrapped, smaller")
            << "Sinus rhythm, normal intervals and axis." << 40.0 << 7.0 << true << true << false;
        QTest::newRow("wrapped, cut") << QString("Sinus rhythm with first degree block. ").repeated(8) << 40.0 << 8.0
                                      << true << true << true;
    }

    void textFitsItsBox()
    {
        QFETCH(QString, text);
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(bool, wrap);
        QImage device(10, 10, QImage::Format_ARGB32_Premultiplied);
        device.setDotsPerMeterX(10000);
        device.setDotsPerMeterY(10000);
        TReportFont fontStyle;
        fontStyle.pointSize = 10.0;
        // 10 dots to the millimetre, 4 units to the millimetre.
        const QFont font = TReportText::deviceFont(fontStyle, 2.5, 4.0, device.logicalDpiY());
        const QSizeF box(width * 10.0, height * 10.0);
        const TReportText::Fit fit = TReportText::fit(text, font, &device, box, wrap);
        QTEST(fit.share < 1.0, "smaller");
        QTEST(fit.cut, "cut");
        QVERIFY(fit.share >= TReportText::MinimumShare - 1e-9);
        if (fit.cut)
            QVERIFY(fit.text.contains(QChar(0x2026)));
        else
            QCOMPARE(fit.text, text);
        // What is drawn stays in its box.
        QFont drawn = font;
        drawn.setPointSizeF(font.pointSizeF() * fit.share);
        const QFontMetricsF metrics(drawn, &device);
        const QRectF used =
            metrics.boundingRect(QRectF(QPointF(0, 0), box), TReportText::flags(Qt::AlignLeft, wrap), fit.text);
        QVERIFY2(used.width() <= box.width() + 1.0 && used.height() <= box.height() + 1.0,
                 qPrintable(QStringLiteral("%1 x %2").arg(used.width()).arg(used.height())));
    }

    // The paint pass maps units to the device: at 10 dots to the millimetre, a
    // frame 100 units from the left is 25 mm = 250 dots in.
    void paintsWhereTheTemplateSays()
    {
        const TReportTemplate t = parsed(landscape(
            QStringLiteral("<title height=\"400\">"
                           "<rect x=\"100\" y=\"20\" width=\"400\" height=\"200\" border=\"2\"/>"
                           "<rect x=\"600\" y=\"20\" width=\"200\" height=\"100\">[drawing]</rect>"
                           "<image x=\"600\" y=\"200\" width=\"400\" height=\"100\" align=\"right|top\">[logo]</image>"
                           "</title>")));
        FakeSource source;
        QImage logo(50, 50, QImage::Format_RGB32);
        logo.fill(Qt::black);
        source.images.insert(QStringLiteral("logo"), logo);
        TReportDocument document(t, source);
        const QImage page = document.renderPage(1, 10.0);
        QCOMPARE(page.size(), QSize(2970, 2100));
        QCOMPARE(page.dotsPerMeterX(), 10000);

        // Frame: 25 mm in, 15 mm down (the 40-unit margin and 20 units), 0.5 mm thick.
        QVERIFY(ReportTest::darkPixels(page, QRect(248, 200, 5, 400)) > 1500);
        QCOMPARE(ReportTest::darkPixels(page, QRect(260, 200, 200, 400)), 0); // inside the frame: paper
        QVERIFY(ReportTest::darkPixels(page, QRect(1248, 200, 5, 400)) > 1500);

        // Drawing: asked once with its rectangle and scale, held to its rectangle.
        QCOMPARE(source.drawn, QStringList{"drawing:0"});
        QCOMPARE(source.drawnRects[0], QRectF(600, 20, 200, 100));
        QCOMPARE(source.drawnScale, 4.0);
        QCOMPARE(ReportTest::darkPixels(page, QRect(1502, 152, 496, 246)), 496 * 246);
        QCOMPARE(ReportTest::darkPixels(page, QRect(1490, 140, 8, 270)), 0);
        QCOMPARE(ReportTest::darkPixels(page, QRect(2004, 140, 8, 270)), 0);

        // Image: square in a wide box, aligned right: 25 mm at x 225..250 mm.
        QCOMPARE(ReportTest::darkPixels(page, QRect(2252, 602, 246, 246)), 246 * 246);
        QCOMPARE(ReportTest::darkPixels(page, QRect(1502, 602, 700, 246)), 0);
    }

    void writesPdfAndPrints()
    {
        const TReportTemplate t = parsed(landscape(QStringLiteral(
            "<pageFooter height=\"30\"><label x=\"40\" y=\"0\" width=\"400\" height=\"30\">Page [#page] of [#pages]"
            "</label></pageFooter><group dataset=\"rows\"><data height=\"300\" page-break=\"true\">"
            "<rect x=\"40\" y=\"0\" width=\"400\" height=\"200\">[drawing]</rect></data></group>")));
        FakeSource source;
        source.counts.insert(QStringLiteral("rows"), 3);
        TReportDocument document(t, source);
        QVector<int> progress;
        document.setProgress([&](int page, int pages) {
            QCOMPARE(pages, 3);
            progress.append(page);
        });

        QBuffer pdf;
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        QVERIFY(document.writePdf(&pdf, QStringLiteral("Title")));
        QVERIFY(pdf.data().startsWith("%PDF-"));
        QCOMPARE(progress, (QVector<int>{1, 2, 3}));
        QCOMPARE(pdf.data().count("/Type /Page\n"), 3);
        // A4 landscape in points.
        QVERIFY(pdf.data().contains("/MediaBox [0 0 841.") || pdf.data().contains("/MediaBox [0 0 842"));

        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
        QVERIFY(document.print(printer));
        QFile printed(dir.filePath(QStringLiteral("printed.pdf")));
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QCOMPARE(printed.readAll().count("/Type /Page\n"), 3);
        QCOMPARE(source.drawn.size(), 6);
    }

    // The suite runs once more under a font configuration of DejaVu alone
    // (VELMORA_TEST_FONTS=dejavu-only): there the report typeface is missing and
    // its substitute must print the same text.
    void reportsUseTheirOwnTypeface()
    {
        const bool expectInstalled = qgetenv("VELMORA_TEST_FONTS") != "dejavu-only";
        QCOMPARE(TReportTypeface::isInstalled(), expectInstalled);
        const QFontInfo resolved(TReportTypeface::font(9.0));
        if (expectInstalled)
            QCOMPARE(resolved.family(), QString::fromLatin1(TReportTypeface::Family));
        else
            QVERIFY(!resolved.family().isEmpty());
        // A template's fields, bold or not, take the report typeface.
        const QFont device = TReportText::deviceFont(TReportFont{8.0, true, false}, 2.5, 4.0, 96);
        QCOMPARE(device.family(), QString::fromLatin1(TReportTypeface::Family));
        QVERIFY(device.bold());
        QVERIFY(device.styleStrategy() & QFont::PreferNoShaping);
    }

    // Words whose letter pairs a typeface may join into one glyph (fi, fl, ff,
    // ffi) come out of the PDF as the letters written, in the embedded report font.
    void pdfHoldsTheTextWritten()
    {
        if (!ReportTest::havePoppler() || QStandardPaths::findExecutable(QStringLiteral("pdffonts")).isEmpty())
            QSKIP("poppler-utils are not installed");
        const QString written = QStringLiteral("Filters: baseline fix - Fifi, Wolf, office, affluent, P\u00e9rez");
        const TReportTemplate t = parsed(landscape(
            QStringLiteral("<title height=\"100\"><label x=\"40\" y=\"0\" width=\"1000\" height=\"30\">[words]"
                           "</label><label x=\"40\" y=\"40\" width=\"1000\" height=\"30\" bold=\"true\">[words]"
                           "</label></title>")));
        FakeSource source;
        source.values.insert(QStringLiteral("words"), written);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("words.pdf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(TReportDocument(t, source).writePdf(&file, QStringLiteral("Words")));
        file.close();

        const QString text = ReportTest::poppler(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        QCOMPARE(text.count(written), 2);
        for (QChar c : text)
            QVERIFY2(c.unicode() < 0xFB00 || c.unicode() > 0xFB06, qPrintable(text));

        // One font for each weight, embedded: the report typeface where it is installed.
        const QVector<ReportTest::PdfFont> fonts = ReportTest::pdfFonts(path);
        QCOMPARE(fonts.size(), 2);
        for (const ReportTest::PdfFont& font : fonts) {
            QVERIFY2(font.embedded, qPrintable(font.name));
            if (TReportTypeface::isInstalled())
                QVERIFY2(font.name.contains(QLatin1String("LiberationSans")), qPrintable(font.name));
        }
    }
};

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
