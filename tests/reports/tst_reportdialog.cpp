// The report dialog: its settings and presets, its pages, the images, and every
// way a report can fail: no printer, a folder that cannot be written, a full
// disk, an export folder that is not set or not there, a strip print refused.
// Message boxes are answered and image files chosen from the test.

#include "TestFiles.h"
#include "TestWidgets.h"
#include "../display/DisplayTestSupport.h"
#include "ReportDialog.h"
#include "ReportTestSupport.h"
#include "StripTestSupport.h"
#include "TECGStripReport.h"
#include "TException.h"
#include "TFileSizeLimit.h"
#include "TLocalStudyStore.h"
#include "TPrinterSimulator.h"
#include "TReportCreator.h"
#include "TStudy.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QRadioButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QPushButton>
#include <QtTest>

using TestWidgets::child;

class TestReportDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        ReportTest::usePrivateFolders(m_home);
    }

    void init()
    {
        QSettings().clear();
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<TLocalStudyStore>(m_dir->filePath(QStringLiteral("studies")));
        m_ecg = newStudy(TStudyRecord::Ecg, QStringLiteral("Rex"));
        m_stress = newStudy(TStudyRecord::StressTest, QStringLiteral("Toby"));
    }

    void cleanup()
    {
        m_store.reset();
        m_dir.reset();
    }

    void storedSettingsPreselect()
    {
        QSettings s;
        s.setValue(QStringLiteral("ReportDialog/EcgGraphicLayout"), QStringLiteral("4by3"));
        s.setValue(QStringLiteral("ReportDialog/EcgReportModel"), QStringLiteral("TracesOnly"));
        s.setValue(QStringLiteral("ReportDialog/PrintDestination"), QStringLiteral("printer"));
        s.setValue(QStringLiteral("ReportDialog/EcgGraphicRhythmLead"), QStringLiteral("aVF"));
        s.setValue(QStringLiteral("ReportDialog/EcgShowAverage"), true);
        s.setValue(QStringLiteral("ReportDialog/HeaderTitle"), QStringLiteral("Cl\u00ednica"));
        s.sync();
        {
            ReportDialog dialog(m_ecg, m_store.get());
            QVERIFY(child<QRadioButton>(dialog, "rbtLayout4by3")->isChecked());
            QVERIFY(child<QRadioButton>(dialog, "rbtECGModelTracesOnly")->isChecked());
            QVERIFY(child<QRadioButton>(dialog, "rbtPrintDirect")->isChecked());
            QCOMPARE(child<QComboBox>(dialog, "cboRhythmLead")->currentText(), QStringLiteral("aVF"));
            QVERIFY(child<QCheckBox>(dialog, "chkShowAverage")->isChecked());
            QCOMPARE(child<QLineEdit>(dialog, "txtHeaderTitle")->text(), QStringLiteral("Cl\u00ednica"));
            // No logo: the label says so.
            QCOMPARE(child<QLabel>(dialog, "logoImage")->text(), QStringLiteral("[none]"));
        }
        s.setValue(QStringLiteral("ReportDialog/EcgGraphicLayout"), QStringLiteral("5by5"));
        s.setValue(QStringLiteral("ReportDialog/PrintDestination"), QStringLiteral("stripPrinter"));
        s.sync();
        s.setValue(QStringLiteral("ReportDialog/PrinterName"), QStringLiteral("/tmp/velmora-printer"));
        s.sync();
        ReportDialog dialog(m_ecg, m_store.get());
        QVERIFY(child<QRadioButton>(dialog, "rbtLayout12by1")->isChecked());
        QVERIFY(child<QRadioButton>(dialog, "rbtPrintStrip")->isChecked());
        // A port the system does not list, typed earlier, is offered again.
        QCOMPARE(child<QComboBox>(dialog, "cboPrinterName")->currentText(), QStringLiteral("/tmp/velmora-printer"));
        QVERIFY(child<QComboBox>(dialog, "cboPrinterName")->isEnabled());
        child<QRadioButton>(dialog, "rbtPrintToPDF")->setChecked(true);
        QVERIFY(!child<QComboBox>(dialog, "cboPrinterName")->isEnabled());
    }

    void presetsFromTheWindow()
    {
        ReportDialog dialog(m_ecg, m_store.get());
        dialog.setStartTime(75.4);
        dialog.setFilters(true, false, true);
        dialog.setSpeed(50.0);
        dialog.setAmplitude(5.0);
        dialog.setHexaxialOrder(true);
        QCOMPARE(child<QLineEdit>(dialog, "txtStartTime")->text(), QStringLiteral("01:15.4"));
        const TReportOptions o = dialog.options();
        QCOMPARE(o.startTime, 75.4);
        QVERIFY(o.notch && !o.lowpass && o.baseline);
        QCOMPARE(o.speed, 50.0);
        QCOMPARE(o.amplitude, 5.0);
        QVERIFY(o.hexaxialOrder);
        QVERIFY(child<QPushButton>(dialog, "btnSpeed50")->isChecked());
        QVERIFY(!child<QPushButton>(dialog, "btnFilterLowpass")->isChecked());
    }

    void startTimeTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds"); // -1: not a time
        QTest::newRow("clock") << "01:15.4" << 75.4;
        QTest::newRow("clock without tenths") << "2:05" << 125.0;
        QTest::newRow("seconds") << "75.4" << 75.4;
        QTest::newRow("blanks") << " 3 " << 3.0;
        QTest::newRow("60 seconds") << "01:60" << -1.0;
        QTest::newRow("negative") << "-2" << -1.0;
        QTest::newRow("words") << "start" << -1.0;
        QTest::newRow("empty") << "" << -1.0;
    }

    void startTimeTexts()
    {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        const std::optional<double> parsed = TReportOptions::parseStartTime(text);
        QCOMPARE(parsed.has_value(), seconds >= 0.0);
        if (parsed)
            QVERIFY(std::abs(*parsed - seconds) < 1e-9);
    }

    void settingsWrittenOnlyWhenAccepted()
    {
        {
            ReportDialog dialog(m_ecg, m_store.get());
            child<QLineEdit>(dialog, "txtSignatureName")->setText(QStringLiteral("Dr. Vega"));
            child<QRadioButton>(dialog, "rbtLayout6by2")->setChecked(true);
            dialog.reject();
        }
        QVERIFY(!QSettings().contains(QStringLiteral("ReportDialog/SignatureName")));
        {
            ReportTest::MessageBoxes boxes;
            ReportDialog dialog(m_ecg, m_store.get());
            child<QLineEdit>(dialog, "txtSignatureName")->setText(QStringLiteral("Dr. Vega"));
            child<QRadioButton>(dialog, "rbtLayout6by2")->setChecked(true);
            child<QPushButton>(dialog, "btnCreate")->click();
            QCOMPARE(boxes.texts, QStringList());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QSettings s;
        QCOMPARE(s.value(QStringLiteral("ReportDialog/SignatureName")).toString(), QStringLiteral("Dr. Vega"));
        QCOMPARE(s.value(QStringLiteral("ReportDialog/EcgGraphicLayout")).toString(), QStringLiteral("6by2"));
        QCOMPARE(s.value(QStringLiteral("ReportDialog/PrintDestination")).toString(), QStringLiteral("pdf"));
    }

    void pagesOfTheStudyKind()
    {
        ReportDialog ecg(m_ecg, m_store.get());
        QListWidget* list = child<QListWidget>(ecg, "listCategory");
        QCOMPARE(list->count(), 6);
        QVERIFY(!list->item(1)->isHidden() && list->item(2)->isHidden());
        list->setCurrentRow(4);
        QCOMPARE(child<QStackedWidget>(ecg, "stackedPages")->currentIndex(), 4);
        ReportDialog stress(m_stress, m_store.get());
        QListWidget* stressList = child<QListWidget>(stress, "listCategory");
        QVERIFY(stressList->item(1)->isHidden() && !stressList->item(2)->isHidden());
        QCOMPARE(child<QComboBox>(stress, "cboSTLead")->count(), 7);
    }

    void logoAndSignatureImages()
    {
        QImage picture(60, 30, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        const QString good = m_dir->filePath(QStringLiteral("logo.png"));
        QVERIFY(picture.save(good));
        const QString bad = m_dir->filePath(QStringLiteral("broken.png"));
        QFile broken(bad);
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a picture") > 0);
        broken.close();

        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_ecg, m_store.get());
        QString answer;
        QStringList asked;
        QWidget* askedParent = nullptr;
        dialog.setImageChooser([&](QWidget* parent, const QString& caption, const QString& filter) {
            asked << caption << filter;
            askedParent = parent;
            return answer;
        });
        dialog.show();
        answer = good;
        child<QPushButton>(dialog, "btnSelectLogo")->click();
        QCOMPARE(asked, (QStringList{"Open Image", "Image Files (*.png *.jpg *.bmp)"}));
        QCOMPARE(askedParent, static_cast<QWidget*>(&dialog));
        QCOMPARE(dialog.options().headerLogoFile, good);
        QVERIFY(!child<QLabel>(dialog, "logoImage")->pixmap(Qt::ReturnByValue).isNull());

        answer = bad;
        child<QPushButton>(dialog, "btnSelectLogo")->click();
        QCOMPARE(boxes.titles, QStringList{"Warning"});
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("Logo image could not be loaded from file: %1").arg(bad)});
        QCOMPARE(dialog.options().headerLogoFile, good); // the one before stays

        answer.clear(); // cancelled
        child<QPushButton>(dialog, "btnSelectSignature")->click();
        QVERIFY(dialog.options().signatureFile.isEmpty());
        answer = bad;
        child<QPushButton>(dialog, "btnSelectSignature")->click();
        QCOMPARE(boxes.texts.last(), QStringLiteral("Signature image could not be loaded from file: %1").arg(bad));
        answer = good;
        child<QPushButton>(dialog, "btnSelectSignature")->click();
        QCOMPARE(dialog.options().signatureFile, good);

        child<QPushButton>(dialog, "btnRemoveLogo")->click();
        QVERIFY(dialog.options().headerLogoFile.isEmpty());
        QCOMPARE(child<QLabel>(dialog, "logoImage")->text(), QStringLiteral("[none]"));
        child<QPushButton>(dialog, "btnRemoveSignature")->click();
        QVERIFY(dialog.options().signatureFile.isEmpty());
    }

    // Refusals come before anything is made: no file, no status.
    void refusedBeforeAnythingIsMade_data()
    {
        QTest::addColumn<bool>("stress");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("stress to the strip printer") << true << "strip"
                                                     << "port"
                                                     << "Information"
                                                     << "Please select another print destination for stress report.";
        QTest::newRow("strip printer without a port") << false << "strip"
                                                      << ""
                                                      << "Information"
                                                      << "Please select the destination printer.";
        QTest::newRow("start time that does not read")
            << false << "pdf"
            << "start:soon"
            << "Warning"
            << "The start time must lie within the recording (0 to 00:12.0 seconds).";
        QTest::newRow("start time past the recording")
            << false << "pdf"
            << "start:00:13"
            << "Warning"
            << "The start time must lie within the recording (0 to 00:12.0 seconds).";
        QTest::newRow("traces only without events") << false << "pdf"
                                                    << "tracesOnly"
                                                    << "Information"
                                                    << "No event is marked for printing.";
        QTest::newRow("no printer") << false << "printer"
                                    << ""
                                    << "Warning" << ReportDialog::noPrinterText();
    }

    void refusedBeforeAnythingIsMade()
    {
        QFETCH(bool, stress);
        QFETCH(QString, destination);
        QFETCH(QString, setup);
        TStudy* study = stress ? m_stress : m_ecg;
        const QByteArray recordBefore = readFile(recordPath(study));
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(study, m_store.get());
        dialog.setPrinterSource([] { return std::unique_ptr<QPrinter>(); });
        // A printer the strip would reach, were it not refused first.
        TPrinterSimulator printer;
        QVERIFY(printer.start());
        QComboBox* ports = child<QComboBox>(dialog, "cboPrinterName");
        ports->clear();
        ports->setCurrentText(setup == QLatin1String("port") ? printer.portPath() : QStringLiteral("  "));
        if (setup.startsWith(QLatin1String("start:")))
            child<QLineEdit>(dialog, "txtStartTime")->setText(setup.mid(6));
        if (setup == QLatin1String("tracesOnly"))
            child<QRadioButton>(dialog, "rbtECGModelTracesOnly")->setChecked(true);
        child<QRadioButton>(dialog, destination == QLatin1String("strip")     ? "rbtPrintStrip"
                                    : destination == QLatin1String("printer") ? "rbtPrintDirect"
                                                                              : "rbtPrintToPDF")
            ->setChecked(true);
        dialog.show();
        child<QPushButton>(dialog, "btnCreate")->click();
        QTEST(boxes.titles.value(0), "title");
        QTEST(boxes.texts.value(0), "text");
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY(dialog.isVisible()); // stays open
        QCOMPARE(printer.bandsReceived(), 0);
        QVERIFY(!study->record().isReported());
        QCOMPARE(readFile(recordPath(study)), recordBefore);
        QVERIFY(!QDir(TReportCreator::reportFolder(m_store->rootPath())).exists() ||
                QDir(TReportCreator::reportFolder(m_store->rootPath())).isEmpty());
    }

    // The strip goes to the port chosen (typed as a path here), the study's status
    // stays as it was, and the port is remembered; a printer that cannot be
    // reached or stops is told, and the dialog stays.
    void stripPrintsOnThePortablePrinter()
    {
        TPrinterSimulator printer;
        printer.setDotsPerSecond(0);
        QVERIFY(printer.start());
        ReportTest::MessageBoxes boxes;
        {
            const std::unique_ptr<ReportDialog> dialog = stripDialog(printer.portPath());
            child<QPushButton>(*dialog, "btnCreate")->click();
            QCOMPARE(boxes.texts, QStringList());
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
        }
        QTRY_COMPARE_WITH_TIMEOUT(printer.jobCount(), 1, 5000);
        QCOMPARE(printer.jobs().value(0).bands, 25);
        QVERIFY(!m_ecg->record().isReported());
        QCOMPARE(QSettings().value(QStringLiteral("ReportDialog/PrinterName")).toString(), printer.portPath());
        QCOMPARE(QSettings().value(QStringLiteral("ReportDialog/PrintDestination")).toString(),
                 QStringLiteral("stripPrinter"));

        ReportDialog dialog(m_ecg, m_store.get());
        dialog.setStripPrinterPace(StripTest::quickPace(500));
        QCOMPARE(child<QComboBox>(dialog, "cboPrinterName")->currentText(), printer.portPath());
        dialog.show();
        child<QComboBox>(dialog, "cboPrinterName")->setCurrentText(m_dir->filePath(QStringLiteral("no-printer")));
        child<QPushButton>(dialog, "btnCreate")->click();
        QCOMPARE(boxes.texts, QStringList{TECGStripReport::connectText()});
        QVERIFY(dialog.isVisible());

        printer.stallAfterBands(2);
        child<QComboBox>(dialog, "cboPrinterName")->setCurrentText(printer.portPath());
        child<QPushButton>(dialog, "btnCreate")->click();
        QCOMPARE(boxes.texts.value(1), ESCPPrinter::stoppedText());
        QVERIFY(dialog.isVisible());

        QVERIFY(!m_ecg->record().isReported());
    }

    // Cancelled from its progress display: nothing to tell, the dialog stays.
    void stripCancelledWhilePrinting()
    {
        TPrinterSimulator printer;
        printer.setDotsPerSecond(400);
        QVERIFY(printer.start());
        ReportTest::MessageBoxes boxes;
        const std::unique_ptr<ReportDialog> dialog = stripDialog(printer.portPath());
        QTimer canceller;
        QString label;
        connect(&canceller, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<QProgressDialog*>(w); progress && progress->isVisible()) {
                    label = progress->labelText();
                    if (auto* cancel = progress->findChild<QPushButton*>())
                        cancel->click();
                }
        });
        canceller.start(300);
        QElapsedTimer timer;
        timer.start();
        child<QPushButton>(*dialog, "btnCreate")->click();
        QCOMPARE(label, QStringLiteral("Printing..."));
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(boxes.texts, QStringList());
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(printer.jobCount(), 0);
    }

    void printsOnThePrinter()
    {
        const QString out = m_dir->filePath(QStringLiteral("printed.pdf"));
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_ecg, m_store.get());
        dialog.setPrinterSource([out] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(out);
            return printer;
        });
        child<QRadioButton>(dialog, "rbtPrintDirect")->setChecked(true);
        child<QPushButton>(dialog, "btnCreate")->click();
        QCOMPARE(boxes.texts, QStringList());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(readFile(out).startsWith("%PDF"));
        QVERIFY(m_ecg->record().isReported());
        QCOMPARE(m_store->listStudies().size(), 2);
        for (const TStudySummary& s : m_store->listStudies())
            QCOMPARE(s.status, s.id == m_ecg->id() ? QStringLiteral("report") : QString());
    }

    // Nothing is recorded, and an older report of the study stays whole.
    void reportThatCannotBeWritten_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("a file where the reports folder should be") << false;
        QTest::newRow("full disk") << true;
    }

    void reportThatCannotBeWritten()
    {
        QFETCH(bool, diskFull);
        const QString folder = TReportCreator::reportFolder(m_store->rootPath());
        const QString pdf = TReportCreator::pdfPath(m_store->rootPath(), m_ecg->record().baseFilename());
        if (diskFull) {
            QVERIFY(QDir().mkpath(folder));
            QFile old(pdf);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("%PDF-1.4 an older report") > 0);
        } else {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        const QByteArray recordBefore = readFile(recordPath(m_ecg));
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_ecg, m_store.get());
        dialog.show();
        {
            std::unique_ptr<TFileSizeLimit> limit;
            if (diskFull) {
                limit = std::make_unique<TFileSizeLimit>(3000); // the report is larger
                QVERIFY(limit->isSet());
            }
            child<QPushButton>(dialog, "btnCreate")->click();
        }
        QCOMPARE(boxes.titles, QStringList{"Warning"});
        QCOMPARE(boxes.texts,
                 QStringList{QStringLiteral("Report file could not be generated at:\n\n%1\n\nPlease check disk "
                                            "space, folder access and antivirus software.")
                                 .arg(pdf)});
        QVERIFY(dialog.isVisible());
        QVERIFY(!m_ecg->record().isReported());
        QCOMPARE(readFile(recordPath(m_ecg)), recordBefore);
        if (diskFull) {
            QCOMPARE(readFile(pdf), QByteArray("%PDF-1.4 an older report"));
            QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);
        }
    }

    void autoExport()
    {
        const QString exportFolder = m_dir->filePath(QStringLiteral("export"));
        QVERIFY(QDir().mkpath(exportFolder));
        const QString name = m_ecg->record().baseFilename() + QStringLiteral(".pdf");
        QFile older(QDir(exportFolder).filePath(name));
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write("older copy") > 0);
        older.close();
        QSettings().setValue(QStringLiteral("Config/ExportStressReportFolder"), QStringLiteral("/nowhere"));
        exportEcgReportsTo(exportFolder);
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_ecg, m_store.get());
        child<QPushButton>(dialog, "btnCreate")->click();
        QCOMPARE(boxes.texts, QStringList());
        const QByteArray made = readFile(dialog.reportPath());
        QVERIFY(made.startsWith("%PDF"));
        QCOMPARE(readFile(QDir(exportFolder).filePath(name)), made); // replaced by the new one
        QCOMPARE(QDir(exportFolder).entryList(QDir::Files), QStringList{name});
    }

    void autoExportWithoutFolderIsSkipped()
    {
        exportEcgReportsTo(QString());
        // A relative empty folder would be the working folder.
        const QString working = m_dir->filePath(QStringLiteral("working"));
        QVERIFY(QDir().mkpath(working));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(working));
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_ecg, m_store.get());
        child<QPushButton>(dialog, "btnCreate")->click();
        QDir::setCurrent(before);
        QCOMPARE(boxes.texts, QStringList());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(QDir(working).entryList(QDir::Files).isEmpty());
        QVERIFY(QDir(QStringLiteral("/")).entryList({QStringLiteral("*.pdf")}, QDir::Files).isEmpty());
    }

    void exportFolderMissing()
    {
        const QString missing = m_dir->filePath(QStringLiteral("gone"));
        exportEcgReportsTo(missing);
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_ecg, m_store.get());
        dialog.show();
        child<QPushButton>(dialog, "btnCreate")->click();
        QCOMPARE(boxes.texts, QStringList{TReportCreator::exportFailedText(missing)});
        QVERIFY(boxes.texts[0].startsWith(QStringLiteral("Report file could not be exported to folder: ")));
        QVERIFY(dialog.isVisible());
        // The report itself was made and recorded.
        QVERIFY(readFile(dialog.reportPath()).startsWith("%PDF"));
        QVERIFY(m_ecg->record().isReported());
        QVERIFY(!QDir(missing).exists());
    }

    // A report made whose status the store cannot keep: the record in memory
    // keeps what the store has.
    void statusThatCannotBeStored()
    {
        class FailingStore : public TLocalStudyStore
        {
        public:
            using TLocalStudyStore::TLocalStudyStore;
            void updateStudy(const TStudyRecord&) override { throw TException("Write error"); }
        };
        const QString root = m_dir->filePath(QStringLiteral("failing"));
        FailingStore store(root);
        TQuickPatient patient;
        patient.firstName = QStringLiteral("Kira");
        TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::Ecg, patient);
        record.acquisition = m_ecg->record().acquisition;
        TStudy* study = store.saveNewStudy(record);
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(study, &store);
        dialog.show();
        child<QPushButton>(dialog, "btnCreate")->click();
        QCOMPARE(boxes.texts, QStringList{"Write error"});
        QVERIFY(dialog.isVisible());
        QVERIFY(!study->record().isReported());
        store.closeStudy(study->id());
    }

private:
    TStudy* newStudy(TStudyRecord::StudyKind kind, const QString& name)
    {
        TQuickPatient patient;
        patient.firstName = name;
        TStudyRecord record = TStudyRecord::newStudy(kind, patient, QStringLiteral("Example"),
                                                     QDateTime(QDate(2026, 3, 14), QTime(9, 0)));
        record.acquisition = {7, 500, 16, 32.768, QStringLiteral("short"), QStringLiteral("I,II,III,aVR,aVL,aVF,V5")};
        TStudy* study = m_store->saveNewStudy(record);
        // 12 s with a spike every second.
        DisplayTest::append(*study->recording(), 6000, [](int, int i) { return i % 500 < 5 ? 1000 : 0; });
        m_store->updateStudy(study->record());
        return study;
    }

    // A dialog on the study, shown, with the strip printer chosen on port.
    std::unique_ptr<ReportDialog> stripDialog(const QString& port)
    {
        auto dialog = std::make_unique<ReportDialog>(m_ecg, m_store.get());
        dialog->setStripPrinterPace(StripTest::quickPace(500));
        child<QRadioButton>(*dialog, "rbtPrintStrip")->setChecked(true);
        child<QComboBox>(*dialog, "cboPrinterName")->setCurrentText(port);
        dialog->show();
        return dialog;
    }

    static void exportEcgReportsTo(const QString& folder)
    {
        QSettings s;
        s.setValue(QStringLiteral("Config/AutoExportReports"), true);
        s.setValue(QStringLiteral("Config/ExportEcgReportFolder"), folder);
    }

    QString recordPath(const TStudy* study) const
    {
        return QStringLiteral("%1/%2.cxstudy").arg(m_store->rootPath(), study->record().baseFilename());
    }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TLocalStudyStore> m_store;
    TStudy* m_ecg = nullptr;
    TStudy* m_stress = nullptr;
};

QTEST_MAIN(TestReportDialog)
#include "tst_reportdialog.moc"
