// A resting ECG recorded from the demo recording, its report created as a PDF
// through the report dialog, and the PDF read back with poppler: the page, the
// patient, the measurements as stored, the page count, and the calibration pulse
// measured on a rendering of known resolution. Then the review window's Print
// button: the dialog opens preset with what the window shows, and the PDF
// carries the measurement as the beat display shows it after a cursor moved.

#include "DemoStudy.h"
#include "EcgReviewWindow.h"
#include "QBeatDisplay.h"
#include "QSignalBrowseDisplay.h"
#include "ReportDialog.h"
#include "ReportTestSupport.h"
#include "TReportCreator.h"
#include "TReportTypeface.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

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
        // Long enough for the review window's start time of 75.4 s.
        m_study = DemoStudy::record(*m_store, 80.0, patient);
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
        TStudyStore::setInstance(m_store.get());
    }

    void cleanupTestCase() { TStudyStore::setInstance(nullptr); }

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
        // Every text in the report typeface, embedded, whatever fonts the machine has besides.
        const QVector<ReportTest::PdfFont> fonts = ReportTest::pdfFonts(pdf);
        QVERIFY(!fonts.isEmpty());
        for (const ReportTest::PdfFont& font : fonts) {
            QVERIFY2(font.embedded, qPrintable(font.name));
            if (TReportTypeface::isInstalled())
                QVERIFY2(font.name.contains(QLatin1String("LiberationSans")), qPrintable(font.name));
        }

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
        // sheet's edge, on the row's baseline some 59 mm from its top (below the
        // measurements with their reference ranges).
        const int top = ReportTest::darkSpan(page, 235, 480, 655).first;
        const int baseline = ReportTest::darkSpan(page, 200, 550, 640).first; // the baseline before the pulse
        QVERIFY(top >= 0 && baseline >= 0);
        const int height = baseline - top;
        QVERIFY2(std::abs(height - 100) <= 2, qPrintable(QString::number(height))); // 1 mV at 10 mm/mV
        const int middle = (top + baseline) / 2;
        const int rise = ReportTest::firstDarkColumn(page, middle, 190, 300);
        const int fall = ReportTest::firstDarkColumn(page, middle, 300, 190);
        QVERIFY2(std::abs((fall - rise) - 50) <= 2, qPrintable(QString::number(fall - rise))); // 0.2 s at 25 mm/s
    }

    // The P wave and the T end withheld by the analysis: the report prints "--"
    // for what depends on them, the rest as measured.
    void withheldValuesPrintDashes()
    {
        TStudyResults& results = m_study->results();
        const char* const keys[] = {"POnset", "PPeak", "POffset", "TOnset", "TPeak", "TOffset"};
        QVector<double> kept;
        for (const char* key : keys) {
            kept.append(*results.value(QLatin1String(key)));
            *results.value(QLatin1String(key)) = 0.0;
        }
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_study, m_store.get());
        dialog.show();
        dialog.findChild<QPushButton*>(QStringLiteral("btnCreate"))->click();
        QCOMPARE(boxes.texts, QStringList());
        const QString pdf = dialog.reportPath();
        const QString text =
            ReportTest::poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        for (int i = 0; i < kept.size(); ++i)
            *results.value(QLatin1String(keys[i])) = kept[i];
        for (const char* name : {"PR (ms)", "QT (ms)", "QTc (ms)"})
            QCOMPARE(ReportTest::valueUnder(text, QLatin1String(name)), QStringLiteral("--"));
        QCOMPARE(ReportTest::valueUnder(text, QStringLiteral("QRS (ms)")), QString::number(*m_measurement.qrsMs()));
        // VELMORA_TEST_SHOTS names a folder for the report.
        const QByteArray folder = qgetenv("VELMORA_TEST_SHOTS");
        if (!folder.isEmpty()) {
            QFile::remove(QFile::decodeName(folder) + QStringLiteral("/report-withheld.pdf"));
            QVERIFY(QFile::copy(pdf, QFile::decodeName(folder) + QStringLiteral("/report-withheld.pdf")));
        }
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
        last.position = 78.5; // moved earlier to fit the page
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
        QVERIFY(pages[2].contains(QStringLiteral("Event 01:18 - Near the end")));
        QVERIFY(pages[2].contains(QStringLiteral("Page 3 of 3")));
        QVERIFY(!text.contains(QStringLiteral("Not printed")));
        m_study->record().events.clear();
    }

    void reportFromTheReviewWindow()
    {
        QSettings().setValue(QStringLiteral("EcgReviewWindow/HexaxialOrder"), true);
        m_study->record().setProperty(QStringLiteral("status"), QString()); // reported anew below
        EcgReviewWindow window(m_study);
        window.show();
        auto* report = window.findChild<QPushButton*>(QStringLiteral("btnReport"));
        QVERIFY(report && report->isEnabled());
        window.findChild<QPushButton*>(QStringLiteral("btnSpeed50"))->click();
        window.findChild<QPushButton*>(QStringLiteral("btnAmp20"))->click();
        window.findChild<QPushButton*>(QStringLiteral("btnFilterLowpass"))->click(); // off
        auto* browse = window.findChild<QSignalBrowseDisplay*>(QStringLiteral("ecgDisplay1"));
        browse->setStartTime(75.4);

        // The user widens the QRS by 10 ms on the beat display.
        auto* beat = window.findChild<QBeatDisplay*>(QStringLiteral("beatDisplay"));
        const double qrsEnd = beat->cursorPosition(QBeatDisplay::QrsOff);
        const double qrsOn = beat->cursorPosition(QBeatDisplay::QrsOn);
        QVERIFY(qrsEnd > qrsOn);
        beat->setCursorPosition(QBeatDisplay::QrsOff, qrsEnd + 0.010);
        QMetaObject::invokeMethod(beat, "cursorChanged");

        TReportOptions seen;
        QString startText;
        ReportTest::MessageBoxes boxes;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<ReportDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            answer.stop();
            seen = dialog->options();
            startText = dialog->findChild<QLineEdit*>(QStringLiteral("txtStartTime"))->text();
            dialog->findChild<QPushButton*>(QStringLiteral("btnCreate"))->click();
        });
        answer.start(20);
        report->click();
        QCOMPARE(boxes.texts, QStringList());

        QCOMPARE(startText, QStringLiteral("01:15.4"));
        QCOMPARE(seen.startTime, 75.4);
        QVERIFY(seen.notch && !seen.lowpass && seen.baseline);
        QCOMPARE(seen.speed, 50.0);
        QCOMPARE(seen.amplitude, 20.0);
        QVERIFY(seen.hexaxialOrder);

        // The edited measurement went to the study, and to the PDF.
        const TMeasurementRecord stored = TRestingMeasurement::load(m_study->results());
        const int qrs = *stored.qrsMs();
        QVERIFY2(std::abs(qrs - int(std::lround((qrsEnd + 0.010 - qrsOn) * 1000.0))) <= 1,
                 qPrintable(QString::number(qrs)));
        QVERIFY(m_study->record().isReported());
        const QString pdf = TReportCreator::pdfPath(m_store->rootPath(), m_study->record().baseFilename());
        const QString text =
            ReportTest::poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QCOMPARE(ReportTest::valueUnder(text, QStringLiteral("QRS (ms)")), QString::number(qrs));
        QCOMPARE(ReportTest::valueUnder(text, QStringLiteral("PR (ms)")), QString::number(*stored.prMs()));
        QVERIFY(text.contains(QStringLiteral("50 mm/s - 20 mm/mV - Filters: notch 50hz, baseline fix")));
        // Hexaxial rows: aVR upside down.
        QVERIFY(text.contains(QStringLiteral("-aVR")));
    }

private:
    QTemporaryDir m_home;
    std::unique_ptr<TLocalStudyStore> m_store;
    TStudy* m_study = nullptr;
    TMeasurementRecord m_measurement;
};

QTEST_MAIN(TestReportPdf)
#include "tst_reportpdf.moc"
