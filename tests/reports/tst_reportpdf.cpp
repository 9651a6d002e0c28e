// A resting ECG recorded from the demo recording, its report created as a PDF
// through the report dialog, and the PDF read back with poppler: the page, the
// patient, the measurements as stored, the page count, and the calibration pulse
// measured on a rendering of known resolution.

#include "DemoStudy.h"
#include "ReportDialog.h"
#include "ReportTestSupport.h"
#include "TReportCreator.h"

#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

int darkRows(const QImage& image, int x, int from, int to, int* first)
{
    *first = -1;
    int n = 0;
    for (int y = from; y <= to; ++y)
        if (qGray(image.pixel(x, y)) < 100) {
            if (*first < 0)
                *first = y;
            ++n;
        }
    return n;
}

int firstDark(const QImage& image, int y, int from, int to, int step)
{
    for (int x = from; step > 0 ? x <= to : x >= to; x += step)
        if (qGray(image.pixel(x, y)) < 100)
            return x;
    return -1;
}

} // namespace

class TestReportPdf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        ReportTest::usePrivateFolders(m_home);
        if (!ReportTest::havePoppler())
            QSKIP("poppler-utils (pdfinfo, pdftotext, pdftoppm) are not installed");

        m_store = std::make_unique<TLocalStudyStore>(m_home.filePath(QStringLiteral("studies")));
        TQuickPatient patient;
        patient.lastName = QStringLiteral("Pérez");
        patient.firstName = QStringLiteral("Rex");
        patient.age = QStringLiteral("7");
        patient.sex = QStringLiteral("M");
        patient.patientId = QStringLiteral("H-17");
        m_study = DemoStudy::record(*m_store, 12.0, patient);
        if (!m_study)
            QSKIP("the demo recording ecg500.dat is not beside the tests");
        QVERIFY(m_study->beats()->count() > 10);
        TStudyRecord& r = m_study->record();
        r.setPatientProperty(QStringLiteral("animalSpecies"), QStringLiteral("Canine"));
        r.setPatientProperty(QStringLiteral("animalBreed"), QStringLiteral("Boxer"));
        r.setPatientProperty(QStringLiteral("weight"), QStringLiteral("31.5"));
        r.setProperty(QStringLiteral("conclusion"), QStringLiteral("Sinus rhythm, normal intervals."));
        m_measurement = TRestingMeasurement::load(m_study->results());
        QVERIFY(m_measurement.qtcMs().has_value());
    }

    void pdfThroughTheDialog()
    {
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_study, m_store.get());
        dialog.setStartTime(1.0);
        dialog.show();
        dialog.findChild<QPushButton*>(QStringLiteral("btnCreate"))->click();
        QCOMPARE(boxes.texts, QStringList());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        const QString pdf = TReportCreator::pdfPath(m_store->rootPath(), m_study->record().baseFilename());
        QCOMPARE(dialog.reportPath(), pdf);
        QCOMPARE(pdf, m_store->rootPath() + QStringLiteral("/reports/H-17-P\u00e9rez-Rex-20260314092653.pdf"));
        QVERIFY(QFile::exists(pdf));
        // The status went to the study's record file and index at once.
        QVERIFY(m_study->record().isReported());
        const std::unique_ptr<TStudy> stored = m_store->loadStudyFile(
            QStringLiteral("%1/%2.cxstudy").arg(m_store->rootPath(), m_study->record().baseFilename()));
        QVERIFY(stored && stored->record().isReported());
        QCOMPARE(m_store->listStudies().value(0).status, QStringLiteral("report"));

        const QString info = ReportTest::poppler(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+842 x 595 pts \\(A4\\)"))),
                 qPrintable(info));
        QVERIFY(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));

        const QString text =
            ReportTest::poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("P\u00e9rez, Rex")), qPrintable(text));
        QCOMPARE(ReportTest::valueUnder(text, QStringLiteral("PR (ms)")), QString::number(*m_measurement.prMs()));
        QCOMPARE(ReportTest::valueUnder(text, QStringLiteral("QRS (ms)")), QString::number(*m_measurement.qrsMs()));
        QCOMPARE(ReportTest::valueUnder(text, QStringLiteral("QT (ms)")), QString::number(*m_measurement.qtMs()));
        QCOMPARE(ReportTest::valueUnder(text, QStringLiteral("QTc (ms)")), QString::number(*m_measurement.qtcMs()));
        QVERIFY(text.contains(QStringLiteral("Page 1 of 1")));
        // The brand logo is the one picture of the page (with its transparency mask).
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const int images = file.readAll().count("/Subtype /Image");
        QVERIFY(images >= 1 && images <= 2);
        QVERIFY(text.contains(QStringLiteral("Sinus rhythm, normal intervals.")));
        QVERIFY(text.contains(QStringLiteral("25 mm/s - 10 mm/mV - Filters: notch 50hz, muscle noise, baseline fix")));

        // Page 1 at 254 dots per inch: 10 dots to the millimetre.
        QTemporaryDir pictures;
        ReportTest::poppler(QStringLiteral("pdftoppm"),
                            {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-png"), QStringLiteral("-f"),
                             QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), pdf,
                             pictures.filePath(QStringLiteral("page"))});
        const QImage page(pictures.filePath(QStringLiteral("page-1.png")));
        // Qt gives A4 as 842 x 595 points.
        QVERIFY(std::abs(page.width() - 2970) <= 1 && std::abs(page.height() - 2100) <= 1);
        // The first row's pulse stands at the left of the traces, 21 mm from the
        // sheet's edge, on the row's baseline 54 mm from its top.
        int top = -1;
        QVERIFY(darkRows(page, 235, 380, 600, &top) > 0);
        int baseline = -1;
        QVERIFY(darkRows(page, 200, 500, 580, &baseline) > 0); // the baseline before the pulse
        const int height = baseline - top;
        QVERIFY2(std::abs(height - 100) <= 2, qPrintable(QString::number(height))); // 1 mV at 10 mm/mV
        const int middle = (top + baseline) / 2;
        const int rise = firstDark(page, middle, 190, 300, 1);
        const int fall = firstDark(page, middle, 300, 190, -1);
        QVERIFY2(std::abs((fall - rise) - 50) <= 2, qPrintable(QString::number(fall - rise))); // 0.2 s at 25 mm/s
    }

    void eventPagesAreCounted()
    {
        TStudyEvent first;
        first.description = QStringLiteral("Premature beat");
        first.position = 3.0;
        first.duration = 7.0;
        first.print = true;
        TStudyEvent skipped = first;
        skipped.description = QStringLiteral("Not printed");
        skipped.print = false;
        TStudyEvent last = first;
        last.description = QStringLiteral("Near the end");
        last.position = 11.5; // moved earlier to fit the page
        m_study->record().events = {first, skipped, last};

        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_study, m_store.get());
        dialog.findChild<QPushButton*>(QStringLiteral("btnCreate"))->click();
        QCOMPARE(boxes.texts, QStringList());
        const QString text = ReportTest::poppler(QStringLiteral("pdftotext"),
                                                 {QStringLiteral("-layout"), dialog.reportPath(), QStringLiteral("-")});
        const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 3);
        QVERIFY(pages[0].contains(QStringLiteral("Page 1 of 3")));
        QVERIFY(pages[1].contains(QStringLiteral("Event 00:03 - Premature beat")));
        QVERIFY(pages[1].contains(QStringLiteral("Page 2 of 3")));
        QVERIFY(pages[2].contains(QStringLiteral("Event 00:11 - Near the end")));
        QVERIFY(pages[2].contains(QStringLiteral("Page 3 of 3")));
        QVERIFY(!text.contains(QStringLiteral("Not printed")));
        m_study->record().events.clear();
    }

private:
    QTemporaryDir m_home;
    std::unique_ptr<TLocalStudyStore> m_store;
    TStudy* m_study = nullptr;
    TMeasurementRecord m_measurement;
};

QTEST_MAIN(TestReportPdf)
#include "tst_reportpdf.moc"
