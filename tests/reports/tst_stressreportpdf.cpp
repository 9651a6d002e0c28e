// Stress and tilt tests recorded from the demo recording, their reports made
// through the report dialog (or as it makes them) and read back with poppler:
// the page size and count, the stage table's rows and the maxima, the trend
// page, the stage event pages in each layout (12 leads in 4 x 3 with the
// rhythm strip, measured on a rendering), the footer of every page, a long
// stage table over several pages without a row cut, the echo scoring, the
// dialog's "Stress test" page with its ST lead, the copy to the stress report
// folder and velmora-cli report.

#include "TestWidgets.h"
#include "../display/DisplayTestSupport.h"
#include "ReportDialog.h"
#include "ReportTestSupport.h"
#include "StressDemoStudy.h"
#include "TReportCreator.h"
#include "TErgoReport.h"
#include "TReportDocument.h"
#include "TStudyReport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using TestWidgets::child;

namespace {

const QVector<QPair<QString, QString>> StudyDataFields = {
    {"patient/animalSpecies", "Dog"},           {"patient/animalBreed", "Boxer"},
    {"patient/weight", "31.5"},                 {"doctorName", "Dr. Elena Vidal"},
    {"referringDoctorName", "Dr. Ortiz"},       {"technicianName", "Ana Ruiz"},
    {"indication", "Exercise intolerance"},     {"treatment", "Pimobendan"},
};

QString pdfText(const QString& pdf)
{
    return ReportTest::poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

// VELMORA_KEEP_REPORTS=DIR keeps a copy of every report the test reads, to look at.
void keep(const QString& pdf)
{
    const QString folder = qEnvironmentVariable("VELMORA_KEEP_REPORTS");
    if (folder.isEmpty())
        return;
    static int n = 0;
    const QString name = QStringLiteral("%1-%2.pdf").arg(++n, 2, 10, QLatin1Char('0'))
                             .arg(QString::fromLatin1(QTest::currentTestFunction()));
    QDir().mkpath(folder);
    QFile::remove(QDir(folder).filePath(name));
    QFile::copy(pdf, QDir(folder).filePath(name));
}

QStringList pdfPages(const QString& pdf)
{
    keep(pdf);
    QStringList pages = pdfText(pdf).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

int pdfPageCount(const QString& pdf)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                                          .match(ReportTest::poppler(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

bool isA4Portrait(const QString& pdf)
{
    return ReportTest::poppler(QStringLiteral("pdfinfo"), {pdf})
        .contains(QRegularExpression(QStringLiteral("Page size:\\s+595 x 842 pts \\(A4\\)")));
}

// Every page says which it is of how many.
void checkFooters(const QStringList& pages)
{
    for (int i = 0; i < pages.size(); ++i)
        QVERIFY2(pages[i].contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size())),
                 qPrintable(pages[i]));
}

double perStage(const TStudy& study, const QString& name, int k)
{
    return study.results().valueArray(name)->value(k);
}

// The lines of a page that hold the words, in this order, each a word of its own.
int linesWith(const QString& page, const QStringList& words)
{
    QStringList escaped;
    for (const QString& w : words)
        escaped << QRegularExpression::escape(w);
    const QRegularExpression line(QStringLiteral("(^|\\s)") + escaped.join(QStringLiteral("\\s+(.*\\s)?")) +
                                  QStringLiteral("(\\s|$)"));
    int n = 0;
    for (const QString& l : page.split(QLatin1Char('\n')))
        n += line.match(l).hasMatch() ? 1 : 0;
    return n;
}

// The row of a stage as the table prints it, from the study's own results.
QStringList stageRow(const TStudy& study, int k, const QString& name, int stLead)
{
    const TProtocolStage& stage = study.protocol()->stage(k);
    const int seconds = int(stage.duration());
    QStringList row = {name, QString::asprintf("%02d:%02d", seconds / 60, seconds % 60),
                       QString::asprintf("%.1f km/h / %.1f %%", stage.value("speed"), stage.value("incline"))};
    const double mets = perStage(study, QStringLiteral("METSPerStage"), k);
    if (mets > 0.0)
        row << QString::asprintf("%.1f", mets);
    row << QString::number(int(perStage(study, QStringLiteral("BPMPerStage"), k)));
    row << QStringLiteral("%1/%2")
               .arg(int(perStage(study, QStringLiteral("sysBPPerStage"), k)))
               .arg(int(perStage(study, QStringLiteral("diaBPPerStage"), k)));
    row << QString::number(int(perStage(study, QStringLiteral("DPPerStage"), k)));
    const double st = std::round(100.0 * perStage(study, TStudyResults::stLevelPerStageName(stLead), k)) / 10.0;
    row << QString::number(st == 0.0 ? 0.0 : st, 'f', 1);
    return row;
}

// Pixels of a page rendered at 10 dots to the millimetre.
QImage renderedPage(const QString& pdf, int page)
{
    QTemporaryDir dir;
    ReportTest::poppler(QStringLiteral("pdftoppm"),
                        {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-png"), QStringLiteral("-f"),
                         QString::number(page), QStringLiteral("-l"), QString::number(page), pdf,
                         dir.filePath(QStringLiteral("page"))});
    const QStringList files = QDir(dir.path()).entryList({QStringLiteral("*.png")});
    return files.isEmpty() ? QImage() : QImage(dir.filePath(files.first()));
}

} // namespace

class TestStressReportPdf : public QObject
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
        patient.lastName = QStringLiteral("Garc\u00eda");
        patient.firstName = QStringLiteral("Toby");
        patient.age = QStringLiteral("5");
        patient.sex = QStringLiteral("M");
        patient.patientId = QStringLiteral("H-31");
        m_stress = StressDemoStudy::record(*m_store, StressDemoStudy::shortTreadmill(), patient);
        if (!m_stress)
            QSKIP("the demo recording ecg500.dat is not beside the tests");
        TStudyRecord& data = m_stress->record();
        data.setPatientProperty(QStringLiteral("trainingZoneMax"), QStringLiteral("200"));
        // What the study data dialog adds.
        for (const auto& [key, value] : StudyDataFields)
            data.setProperty(key, value);
        QList<int> twelve;
        for (int i = 0; i < 12; ++i)
            twelve << i;
        patient.firstName = QStringLiteral("Luna");
        m_twelve = StressDemoStudy::record(*m_store, StressDemoStudy::shortTreadmill(2), patient, twelve);
        patient.firstName = QStringLiteral("Kira");
        m_tilt = StressDemoStudy::record(*m_store, StressDemoStudy::shortTilt(), patient);
        QVERIFY(m_twelve && m_tilt);
        QCOMPARE(m_tilt->record().property(QStringLiteral("studyType")), QStringLiteral("Tilt test"));
        TStudyStore::setInstance(m_store.get());
    }

    void cleanupTestCase() { TStudyStore::setInstance(nullptr); }
    void init() { QSettings().clear(); }

    void stressReportThroughTheDialog()
    {
        const TProtocol& executed = *m_stress->protocol();
        QCOMPARE(executed.stageCount(), 5);
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_stress, m_store.get());
        dialog.setStLead(QStringLiteral("V5"));
        dialog.show();
        child<QPushButton>(dialog, "btnCreate")->click();
        QCOMPARE(boxes.texts, QStringList());
        const QString pdf = dialog.reportPath();
        QVERIFY(isA4Portrait(pdf));
        // The summary, the trends, and a page for each of the five stage events.
        QCOMPARE(pdfPageCount(pdf), 7);
        const QStringList pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 7);
        checkFooters(pages);

        const QString& summary = pages[0];
        QVERIFY(summary.contains(QStringLiteral("Garc\u00eda, Toby")));
        for (const auto& [key, value] : StudyDataFields)
            QVERIFY2(summary.contains(value), qPrintable(key + QLatin1String(": ") + value + QLatin1Char('\n') + summary));
        QVERIFY(summary.contains(QStringLiteral("Speed / Incline")));
        QVERIFY(summary.contains(QStringLiteral("ST [V5]")));
        const QStringList names = {"Rest 1", "Exercise 1", "Exercise 2", "Exercise 3", "Recovery 1"};
        for (int k = 0; k < executed.stageCount(); ++k) {
            const QStringList row = stageRow(*m_stress, k, names[k], 6); // V5 is channel 6
            QVERIFY2(linesWith(summary, row) == 1, qPrintable(row.join(QLatin1Char('|')) + QLatin1Char('\n') + summary));
        }
        // The readings went to their stages; the maxima are the stored ones.
        QCOMPARE(int(perStage(*m_stress, QStringLiteral("sysBPPerStage"), 2)), 140);
        auto stored = [&](const char* key) { return int(*m_stress->results().value(QLatin1String(key))); };
        QCOMPARE(ReportTest::valueUnder(summary, QStringLiteral("Max HR (bpm)")), QString::number(stored("maxBPM")));
        QCOMPARE(ReportTest::valueUnder(summary, QStringLiteral("Max SBP/DBP (mmHg)")),
                 QStringLiteral("%1/%2").arg(stored("maxSysBP")).arg(stored("maxDiaBP")));
        QCOMPARE(ReportTest::valueUnder(summary, QStringLiteral("Max DP")), QString::number(stored("maxDP")));
        QCOMPARE(ReportTest::valueUnder(summary, QStringLiteral("% of max zone")),
                 QString::number(stored("maxBPM") * 100 / 200));
        QVERIFY(stored("maxSysBP") == 160 && stored("maxBPM") > 40);
        QVERIFY(!summary.contains(QStringLiteral("Stress echocardiography")));

        const QString& trends = pages[1];
        QVERIFY(trends.contains(QStringLiteral("Trends")));
        QVERIFY(trends.contains(QStringLiteral("HR %1 bpm").arg(stored("maxBPM"))));
        for (const char* title : {"BP mmHg", "DP bpm x mmHg", "ST [V5] mm", "METS"})
            QVERIFY2(trends.contains(QLatin1String(title)), title);

        // Stage events: their line, the seven leads a row each, the rhythm strip.
        for (int k = 0; k < 5; ++k) {
            const QString& page = pages[2 + k];
            const int at = int(std::max(0.0, executed.stageEndTime(k) - 11.0));
            QVERIFY2(page.contains(QStringLiteral("Event %1 - Stage %2 end").arg(QString::asprintf("%02d:%02d", at / 60, at % 60)).arg(k + 1)),
                     qPrintable(page));
            QVERIFY(page.contains(QRegularExpression(QStringLiteral("- %1 - HR: \\d+ - BP: %2/%3")
                                                         .arg(names[k])
                                                         .arg(120 + 10 * k)
                                                         .arg(80 + 2 * k))));
            QVERIFY(page.contains(QStringLiteral("25 mm/s - 10 mm/mV - Filters: notch 50hz, muscle noise, baseline fix")));
            for (const char* lead : {"I", "III", "aVR", "aVL", "aVF", "V5"})
                QVERIFY2(linesWith(page, {QLatin1String(lead)}) == 1, lead);
            QCOMPARE(linesWith(page, {"II"}), 2); // its row and the rhythm strip
        }
    }

    // The dialog's "Stress test" page for stress and tilt tests, none for a
    // resting ECG; its choices go to the report and to the settings.
    void stressTestPage()
    {
        {
            ReportDialog dialog(m_tilt, m_store.get());
            QListWidget* pages = child<QListWidget>(dialog, "listCategory");
            QVERIFY(!pages->item(2)->isHidden() && pages->item(1)->isHidden());
            QCOMPARE(pages->item(2)->text(), QStringLiteral("Stress test"));
        }
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_stress, m_store.get());
        dialog.setStLead(QStringLiteral("V5"));
        if (!qEnvironmentVariableIsEmpty("VELMORA_KEEP_REPORTS")) {
            child<QListWidget>(dialog, "listCategory")->setCurrentRow(2);
            dialog.show();
            dialog.grab().save(QDir(qEnvironmentVariable("VELMORA_KEEP_REPORTS")).filePath("stress-page.png"));
        }
        QVERIFY(child<QCheckBox>(dialog, "chkPrintTrendGraphics")->isChecked()); // the defaults
        QVERIFY(!child<QCheckBox>(dialog, "chkShowExpectedStageDuration")->isChecked());
        child<QCheckBox>(dialog, "chkPrintTrendGraphics")->setChecked(false);
        child<QCheckBox>(dialog, "chkShowExpectedStageDuration")->setChecked(true);
        dialog.show();
        child<QPushButton>(dialog, "btnCreate")->click();
        QCOMPARE(boxes.texts, QStringList());
        const QStringList pages = pdfPages(dialog.reportPath());
        QCOMPARE(pages.size(), 6); // no trend page
        checkFooters(pages);
        QVERIFY(!pages.join(QString()).contains(QStringLiteral("Trends")));
        QCOMPARE(linesWith(pages[0], {"Exercise 1", "0.2 min."}), 1);
        QCOMPARE(linesWith(pages[0], {"00:12"}), 0);
        QSettings settings;
        QCOMPARE(settings.value(QStringLiteral("ReportDialog/PrintStressGraphics")).toBool(), false);
        QCOMPARE(settings.value(QStringLiteral("ReportDialog/ShowExpectedStageDuration")).toBool(), true);
        ReportDialog again(m_stress, m_store.get());
        QVERIFY(!child<QCheckBox>(again, "chkPrintTrendGraphics")->isChecked());
        QVERIFY(child<QCheckBox>(again, "chkShowExpectedStageDuration")->isChecked());
    }

    // The strip printer is for a resting ECG: a tilt test is refused before
    // anything is made.
    void stripPrinterRefused()
    {
        const QString folder = TReportCreator::reportFolder(m_store->rootPath());
        const QStringList before = QDir(folder).entryList(QDir::Files);
        const QString status = m_tilt->record().property(QStringLiteral("status"));
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_tilt, m_store.get());
        child<QRadioButton>(dialog, "rbtPrintStrip")->setChecked(true);
        child<QComboBox>(dialog, "cboPrinterName")->setCurrentText(QStringLiteral("/tmp/no-such-printer"));
        dialog.show();
        child<QPushButton>(dialog, "btnCreate")->click();
        QCOMPARE(boxes.titles, QStringList{"Information"});
        QCOMPARE(boxes.texts, QStringList{"Please select another print destination for stress report."});
        QVERIFY(dialog.isVisible());
        QCOMPARE(QDir(folder).entryList(QDir::Files), before);
        QCOMPARE(m_tilt->record().property(QStringLiteral("status")), status);
    }

    // The review window presets the ST lead by name; the combo lists the
    // study's leads and a name the study lacks selects the first.
    void stLeadPreset_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("V5") << "V5" << "V5";
        QTest::newRow("aVF") << "aVF" << "aVF";
        QTest::newRow("not recorded") << "V2" << "I";
        QTest::newRow("other case") << "v5" << "I";
        QTest::newRow("none") << "" << "I";
    }

    void stLeadPreset()
    {
        QFETCH(QString, preset);
        ReportDialog dialog(m_stress, m_store.get());
        QComboBox* leads = child<QComboBox>(dialog, "cboSTLead");
        QStringList listed;
        for (int i = 0; i < leads->count(); ++i)
            listed << leads->itemText(i);
        QCOMPARE(listed, (QStringList{"I", "II", "III", "aVR", "aVL", "aVF", "V5"}));
        dialog.setStLead(QStringLiteral("aVL"));
        dialog.setStLead(preset);
        QTEST(leads->currentText(), "chosen");
        QTEST(dialog.options().stLead, "chosen");
        TStudyReport report(*m_stress, dialog.options());
        QTEST(report.data().value(QStringLiteral("STLeadName"), 0, 1), "chosen");
    }

    // The stage event pages of a 12-lead test in each layout: the leads where
    // the layout puts them and the rhythm strip below; in 4 x 3 every cell has
    // its trace on paper.
    void stageEventLayouts_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QList<QStringList>>("lines");
        QTest::newRow("4 cols / 3 leads") << "4by3"
                                          << QList<QStringList>{{"I", "aVR", "V1", "V4"},
                                                                {"II", "aVL", "V2", "V5"},
                                                                {"III", "aVF", "V3", "V6"}};
        QTest::newRow("2 cols / 6 leads")
            << "6by2"
            << QList<QStringList>{{"I", "V1"}, {"II", "V2"}, {"III", "V3"}, {"aVR", "V4"}, {"aVL", "V5"}, {"aVF", "V6"}};
        QList<QStringList> single;
        for (const char* lead : {"I", "III", "aVR", "aVL", "aVF", "V1", "V3", "V4", "V5", "V6"})
            single << QStringList{QLatin1String(lead)};
        QTest::newRow("1 col / 12 leads") << "12by1" << single;
    }

    void stageEventLayouts()
    {
        QFETCH(QString, layout);
        QFETCH(QList<QStringList>, lines);
        QSettings().setValue(QStringLiteral("ReportDialog/EcgGraphicLayout"), layout);
        QSettings().setValue(QStringLiteral("ReportDialog/EcgGraphicRhythmLead"), QStringLiteral("V2"));
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_twelve, m_store.get());
        child<QPushButton>(dialog, "btnCreate")->click();
        QCOMPARE(boxes.texts, QStringList());
        const QString pdf = dialog.reportPath();
        const QStringList pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 2 + 4); // four stages, four events
        checkFooters(pages);
        const QString& event = pages[2];
        for (const QStringList& line : lines)
            QVERIFY2(linesWith(event, line) == 1, qPrintable(line.join(QLatin1Char(' ')) + QLatin1Char('\n') + event));
        // The rhythm strip, V2, comes last.
        const QStringList text = event.split(QLatin1Char('\n'));
        int last = -1;
        for (int i = 0; i < text.size(); ++i)
            if (text[i].contains(QRegularExpression(QStringLiteral("(^|\\s)V2(\\s|$)"))))
                last = i;
        QVERIFY(last >= 0);
        for (int i = last + 1; i < text.size(); ++i)
            QVERIFY2(!text[i].contains(QRegularExpression(QStringLiteral("(^|\\s)(I|II|III|aV.|V\\d)(\\s|$)"))),
                     qPrintable(text[i]));

        if (layout != QLatin1String("4by3"))
            return;
        // Page 3 at 10 dots to the millimetre: the event's graphic starts 35.5 mm
        // from the top (page header and the event's lines above it), 15 mm from
        // the left, in 4 columns of 45 mm and 3 rows of 66.7 mm; the rhythm strip
        // 30 mm tall at 240.5 mm.
        const QImage page = renderedPage(pdf, 3);
        QVERIFY(std::abs(page.width() - 2100) <= 1 && std::abs(page.height() - 2970) <= 1);
        for (int column = 0; column < 4; ++column)
            for (int row = 0; row < 3; ++row) {
                // The trace of the cell, right of its label and pulse.
                const QRect cell(150 + 450 * column + 110, 355 + 667 * row + 60, 330, 540);
                const int ink = ReportTest::darkPixels(page, cell);
                QVERIFY2(ink > 300, qPrintable(QStringLiteral("column %1 row %2: %3").arg(column).arg(row).arg(ink)));
            }
        QVERIFY(ReportTest::darkPixels(page, QRect(260, 2405, 1680, 300)) > 1000);
        // Nothing between the bottom row and the rhythm strip but paper and grid.
        QCOMPARE(ReportTest::darkPixels(page, QRect(150, 2365, 1800, 30)), 0);
    }

    // The resting ECG report in the dialog's layouts: 12 leads where each puts
    // them, with the rhythm strip; 7 leads spread over the same columns.
    void restingEcgLayouts_data()
    {
        QTest::addColumn<int>("leads");
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QList<QStringList>>("lines");
        QTest::newRow("12 leads, 4 cols / 3 leads")
            << 12 << "4by3"
            << QList<QStringList>{{"I", "aVR", "V1", "V4"}, {"II", "aVL", "V2", "V5"}, {"III", "aVF", "V3", "V6"}};
        QTest::newRow("12 leads, 2 cols / 6 leads")
            << 12 << "6by2"
            << QList<QStringList>{{"I", "V1"}, {"II", "V2"}, {"III", "V3"}, {"aVR", "V4"}, {"aVL", "V5"}, {"aVF", "V6"}};
        QTest::newRow("12 leads, 1 col / 12 leads")
            << 12 << "12by1"
            << QList<QStringList>{{"I"}, {"III"}, {"aVR"}, {"aVL"}, {"aVF"}, {"V1"}, {"V2"}, {"V3"}, {"V4"}, {"V5"},
                                  {"V6"}};
        QTest::newRow("7 leads, 4 cols") << 7 << "4by3" << QList<QStringList>{{"I", "III", "aVL", "V1"}, {"II", "aVR", "aVF"}};
        QTest::newRow("7 leads, 2 cols") << 7 << "6by2"
                                         << QList<QStringList>{{"I", "aVL"}, {"II", "aVF"}, {"III", "V1"}, {"aVR"}};
    }

    void restingEcgLayouts()
    {
        QFETCH(int, leads);
        QFETCH(QString, layout);
        QFETCH(QList<QStringList>, lines);
        TStudyRecord record;
        record.setProperty(QStringLiteral("studyType"), QStringLiteral("ECG"));
        record.setProperty(QStringLiteral("studyDateTime"), QStringLiteral("20260314100500"));
        auto signal = DisplayTest::signal(leads);
        DisplayTest::append(*signal, 12 * 500, [](int c, int i) { return i % 400 < 6 ? 300 + 50 * c : 0; });
        TStudy study(record, std::move(signal), std::make_unique<TMemoryBeatStore>());
        TReportOptions options;
        options.layout = layout;
        options.rhythmLead = QStringLiteral("II");
        TStudyReport report(study, options);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("ecg.pdf"));
        report.writePdf(pdf);
        const QStringList pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        checkFooters(pages);
        for (const QStringList& line : lines)
            QVERIFY2(linesWith(pages[0], line) == 1, qPrintable(line.join(QLatin1Char(' ')) + QLatin1Char('\n') + pages[0]));
        // Lead II's row and the rhythm strip, nothing below it.
        QCOMPARE(linesWith(pages[0], {"II"}), 2);
        if (leads == 12)
            QCOMPARE(linesWith(pages[0], {"V6"}), 1);
    }

    // A table of 70 stages runs over pages: its header again on each, every row
    // once and whole, none across the footer.
    void longStageTablePaginates()
    {
        TStudyRecord record;
        record.setProperty(QStringLiteral("studyType"), QStringLiteral("Stress test"));
        record.setProperty(QStringLiteral("studyDateTime"), QStringLiteral("20260314100500"));
        record.setPatientProperty(QStringLiteral("lastName"), QStringLiteral("Long"));
        TProtocol p;
        p.setType(TProtocol::Ergometer);
        for (int k = 0; k < 70; ++k) {
            p.appendStage(k == 0 ? 0 : 1, 30.0, 0.0, 0.0);
            p.stage(k).setValue(QStringLiteral("workload"), 10.0 * k);
            record.results.valueArray(QStringLiteral("BPMPerStage"))->setValue(k, 60 + k);
            record.results.valueArray(QStringLiteral("sysBPPerStage"))->setValue(k, 100 + k);
            record.results.valueArray(QStringLiteral("diaBPPerStage"))->setValue(k, 60);
        }
        record.protocol = p;
        auto signal = DisplayTest::signal(7);
        DisplayTest::append(*signal, 5000, [](int, int i) { return i % 500 < 5 ? 1000 : 0; });
        TStudy study(record, std::move(signal), std::make_unique<TMemoryBeatStore>());
        TReportOptions options;
        options.printStressGraphics = false;
        TStudyReport report(study, options);
        QVERIFY(report.pageCount() >= 2);
        const TReportTemplate& t = report.document().reportTemplate();
        const double bottom = t.size.height() - t.marginBottom - t.pageFooter->height;
        int rows = 0;
        for (const TReportPage& page : report.document().pages()) {
            bool tablePage = false;
            for (const TReportPlacement& placement : page) {
                if (placement.band->kind == TReportBand::PageFooter)
                    continue;
                QVERIFY(placement.top + placement.height <= bottom + 1e-9);
                if (placement.band == &*t.groups[0].data) {
                    QVERIFY2(tablePage, "a row before its header on the page");
                    QCOMPARE(placement.record, rows);
                    ++rows;
                }
                tablePage = tablePage || placement.band == &*t.groups[0].header;
            }
        }
        QCOMPARE(rows, 70);

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
        report.writePdf(pdf);
        const QStringList pages = pdfPages(pdf);
        QCOMPARE(pages.size(), report.pageCount());
        checkFooters(pages);
        const QString all = pages.join(QString());
        for (int k = 1; k < 70; ++k)
            QVERIFY2(linesWith(all, {QStringLiteral("Exercise %1").arg(k), QStringLiteral("00:30"),
                                     QString::asprintf("%.1f kgm/min", 60.0 * k), QString::number(60 + k),
                                     QStringLiteral("%1/60").arg(100 + k)}) == 1,
                     qPrintable(QString::number(k)));
        for (const QString& page : pages.mid(0, pages.size() - 1))
            QCOMPARE(linesWith(page, {"Stage", "Duration", "Workload", "METS", "HR", "SBP/DBP"}), 1);
    }

    void tiltReport()
    {
        for (int i : {1, 2})
            m_tilt->record().events[i].print = true;
        ReportTest::MessageBoxes boxes;
        ReportDialog dialog(m_tilt, m_store.get());
        dialog.show();
        child<QPushButton>(dialog, "btnCreate")->click();
        QCOMPARE(boxes.texts, QStringList());
        const QString pdf = dialog.reportPath();
        QVERIFY(isA4Portrait(pdf));
        const QStringList pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 2); // the summary, then the events
        checkFooters(pages);
        const QString& summary = pages[0];
        QVERIFY(summary.contains(QStringLiteral("Tilt test")));
        QVERIFY(summary.contains(QStringLiteral("HR bpm, BP mmHg")));
        QCOMPARE(ReportTest::valueUnder(summary, QStringLiteral("ID / #H.C.")), QStringLiteral("H-31"));
        const TProtocol& executed = *m_tilt->protocol();
        QCOMPARE(executed.stageCount(), 4);
        const QStringList names = {"Basal 1", "Control 1", "Control 2", "Control 3"};
        for (int k = 0; k < 4; ++k) {
            const double d = executed.stage(k).duration();
            const QString elapsed = TReportStages::clock(k == 0 ? d : executed.stageEndTime(k) - executed.stageEndTime(0));
            const QStringList row = {names[k], TReportStages::clock(d), elapsed,
                                     QString::number(int(perStage(*m_tilt, QStringLiteral("BPMPerStage"), k))),
                                     QStringLiteral("%1/%2").arg(120 + 10 * k).arg(80 + 2 * k)};
            QVERIFY2(linesWith(summary, row) == 1, qPrintable(row.join(QLatin1Char('|')) + QLatin1Char('\n') + summary));
        }
        QCOMPARE(linesWith(summary, {"Control 2", "00:12", "00:24"}), 1);
        const QString& events = pages[1];
        QVERIFY(events.contains(QStringLiteral("Events")));
        QVERIFY(events.contains(QStringLiteral("Stage 2 end")) && events.contains(QStringLiteral("Stage 3 end")));
        QVERIFY(!events.contains(QStringLiteral("Stage 1 end")));
        // Three leads for each event.
        QCOMPARE(linesWith(events, {"I"}), 2);
        QCOMPARE(linesWith(events, {"III"}), 2);
        QCOMPARE(linesWith(events, {"aVR"}), 0);
        for (int i : {1, 2})
            m_tilt->record().events[i].print = false;
    }

    void echoScoringSection()
    {
        TEchoScoring scoring;
        for (int s = 1; s <= 16; ++s) {
            scoring.setScore(TEchoScoring::Rest, s, 1);
            scoring.setScore(TEchoScoring::Peak, s, s == 7 ? 4 : 1);
        }
        m_stress->record().echoScoring = scoring;
        TReportOptions options;
        options.printStressGraphics = false;
        TStudyReport report(*m_stress, options);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("echo.pdf"));
        report.writePdf(pdf);
        m_stress->record().echoScoring.reset();
        const QStringList pages = pdfPages(pdf);
        checkFooters(pages);
        const QString text = pages.join(QString());
        QVERIFY(text.contains(QStringLiteral("Stress echocardiography")));
        QCOMPARE(linesWith(text, {"Segment", "Rest", "Peak", "Post"}), 1);
        QCOMPARE(linesWith(text, {"Septum Anterior Basal - LAD", "1 Normal", "1 Normal", "--"}), 1);
        QCOMPARE(linesWith(text, {"Inferior Medio - RAD", "1 Normal", "4 Dyskinetic", "--"}), 1);
        QCOMPARE(linesWith(text, {"Anterior Apical - LAD", "1 Normal", "1 Normal", "--"}), 1);
        QCOMPARE(linesWith(text, {"Wall motion score index", "1.00", "1.19", "--"}), 1);
    }

    // With auto-export on, a stress or tilt report is copied to the stress
    // report folder, never to the ECG one.
    void exportToTheStressReportFolder()
    {
        QTemporaryDir dir;
        const QString stressFolder = dir.filePath(QStringLiteral("stress"));
        const QString ecgFolder = dir.filePath(QStringLiteral("ecg"));
        QVERIFY(QDir().mkpath(stressFolder) && QDir().mkpath(ecgFolder));
        QSettings s;
        s.setValue(QStringLiteral("Config/AutoExportReports"), true);
        s.setValue(QStringLiteral("Config/ExportStressReportFolder"), stressFolder);
        s.setValue(QStringLiteral("Config/ExportEcgReportFolder"), ecgFolder);
        for (TStudy* study : {m_stress, m_tilt}) {
            ReportTest::MessageBoxes boxes;
            ReportDialog dialog(study, m_store.get());
            child<QPushButton>(dialog, "btnCreate")->click();
            QCOMPARE(boxes.texts, QStringList());
            QFile made(dialog.reportPath());
            QFile copy(QDir(stressFolder).filePath(study->record().baseFilename() + QStringLiteral(".pdf")));
            QVERIFY(made.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
            QCOMPARE(copy.readAll(), made.readAll());
        }
        QCOMPARE(QDir(stressFolder).entryList(QDir::Files).size(), 2);
        QVERIFY(QDir(ecgFolder).isEmpty());
    }

private:
    QTemporaryDir m_home;
    std::unique_ptr<TLocalStudyStore> m_store;
    TStudy* m_stress = nullptr;
    TStudy* m_twelve = nullptr;
    TStudy* m_tilt = nullptr;
};

QTEST_MAIN(TestStressReportPdf)
#include "tst_stressreportpdf.moc"
