// What the stress and tilt test reports print of a study of known content: the
// stage table's cells by protocol type, the ST lead and its fallback, the event
// line, the echo scoring, the data sets, the trend plots whose value range
// follows the data (a cat at 280 per minute is not clipped), and the ECG
// layouts the dialog offers spread over the leads a recording has.

#include "../display/DisplayTestSupport.h"
#include "ReportTestSupport.h"
#include "TEcgGraphicLayout.h"
#include "TErgoReport.h"
#include "TReportPlot.h"
#include "TReportStages.h"
#include "TReportTemplate.h"
#include "TStressPlots.h"
#include "TStudy.h"
#include "TStudyReport.h"

#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Stages of one protocol type with rising loads, their per-stage results, and
// the ST of lead 3 (stored in millivolts).
TProtocol executed(int type)
{
    TProtocol p;
    p.setName("Known");
    p.setType(type);
    const int phases[] = {0, 1, 1, 2, 2};
    for (int k = 0; k < 5; ++k) {
        TProtocolStage& s = p.insertStage(k);
        s.setPhase(phases[k]);
        s.setDuration(k == 0 ? 600.0 : 180.0 + k);
        s.setValue(QStringLiteral("speed"), 2.0 * k);
        s.setValue(QStringLiteral("incline"), 2.5 * k);
        s.setValue(QStringLiteral("workload"), 50.0 * k);
        s.setValue(QStringLiteral("dose"), 2.5 * k);
    }
    return p;
}

TStudyResults results()
{
    TStudyResults r;
    const double hr[] = {90, 120, 151.7, 130, 100};
    const double sys[] = {120, 140, 0, 150, 125};
    const double dia[] = {80, 85, 0, 90, 82};
    for (int k = 0; k < 5; ++k) {
        r.valueArray(QStringLiteral("BPMPerStage"))->setValue(k, hr[k]);
        r.valueArray(QStringLiteral("sysBPPerStage"))->setValue(k, sys[k]);
        r.valueArray(QStringLiteral("diaBPPerStage"))->setValue(k, dia[k]);
        r.valueArray(QStringLiteral("DPPerStage"))->setValue(k, int(hr[k]) * sys[k]);
        r.valueArray(QStringLiteral("METSPerStage"))->setValue(k, k == 0 ? 0.0 : 2.0 + k * 1.3);
        r.valueArray(TStudyResults::stLevelPerStageName(3))->setValue(k, -0.004 - 0.05 * k);
        r.valueArray(TStudyResults::stSlopePerStageName(3))->setValue(k, 0.12 * k);
    }
    return r;
}

std::unique_ptr<TStudy> stressStudy(int type = TProtocol::Treadmill, int leads = 7)
{
    TStudyRecord record;
    record.setProperty(QStringLiteral("studyType"),
                       type == TProtocol::TiltTest ? QStringLiteral("Tilt test") : QStringLiteral("Stress test"));
    record.setProperty(QStringLiteral("studyDateTime"), QStringLiteral("20260314100500"));
    record.protocol = executed(type);
    record.results = results();
    TTrend* bpm = record.results.trend(QStringLiteral("BPMTrend"));
    for (int i = 0; i < 1200; ++i)
        bpm->append(i, 80.0 + 200.0 * std::sin(M_PI * i / 1200.0)); // up to 280
    TTrend* sys = record.results.trend(QStringLiteral("sysBPTrend"));
    TTrend* dia = record.results.trend(QStringLiteral("diaBPTrend"));
    for (int k = 0; k < 5; ++k) {
        sys->append(100.0 + 200.0 * k, 120.0 + 10 * k);
        dia->append(100.0 + 200.0 * k, 80.0 + 2 * k);
    }
    auto event = [](const char* text, double at, double length) {
        TStudyEvent e;
        e.description = QString::fromLatin1(text);
        e.position = at;
        e.duration = length;
        e.print = true;
        return e;
    };
    // Before the first reading, over several heart-rate points, past the end.
    record.events = {event("Start", 10.0, 0.0), event("Peak", 590.0, 20.0), event("Late", 1400.0, 11.0)};
    auto signal = DisplayTest::signal(leads);
    DisplayTest::append(*signal, 12 * 500, [](int, int i) { return i % 500 < 5 ? 1000 : 0; });
    return std::make_unique<TStudy>(record, std::move(signal), std::make_unique<TMemoryBeatStore>());
}

TReportOptions withStLead(const QString& lead)
{
    TReportOptions o;
    o.stLead = lead;
    return o;
}

} // namespace

class TestStressReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        ReportTest::usePrivateFolders(m_home);
    }

    void stageCells_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("workloadUnits"); // Config/ErgometerWorkloadUnits
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("props");
        QTest::newRow("treadmill") << int(TProtocol::Treadmill) << "" << "Speed / Incline"
                                   << QStringList{"Rest 1", "Exercise 1", "Exercise 2", "Recovery 1", "Recovery 2"}
                                   << QStringList{"0.0 km/h / 0.0 %", "2.0 km/h / 2.5 %", "4.0 km/h / 5.0 %",
                                                  "6.0 km/h / 7.5 %", "8.0 km/h / 10.0 %"};
        QTest::newRow("ergometer in watts")
            << int(TProtocol::Ergometer) << "watts" << "Workload"
            << QStringList{"Rest 1", "Exercise 1", "Exercise 2", "Recovery 1", "Recovery 2"}
            << QStringList{"0.0 watts", "50.0 watts", "100.0 watts", "150.0 watts", "200.0 watts"};
        QTest::newRow("ergometer in kgm/min")
            << int(TProtocol::Ergometer) << "" << "Workload"
            << QStringList{"Rest 1", "Exercise 1", "Exercise 2", "Recovery 1", "Recovery 2"}
            << QStringList{"0.0 kgm/min", "300.0 kgm/min", "600.0 kgm/min", "900.0 kgm/min", "1200.0 kgm/min"};
        QTest::newRow("pharmacologic") << int(TProtocol::Pharmacologic) << "" << "Dose"
                                       << QStringList{"Rest 1", "Dose 1", "Dose 2", "Recovery 1", "Recovery 2"}
                                       << QStringList{"0", "2.5", "5", "7.5", "10"};
        QTest::newRow("tilt test") << int(TProtocol::TiltTest) << "" << ""
                                   << QStringList{"Basal 1", "1", "2", "Control 1", "Control 2"}
                                   << QStringList{"", "", "", "", ""};
    }

    void stageCells()
    {
        QFETCH(int, type);
        QFETCH(QString, workloadUnits);
        QSettings().setValue(QStringLiteral("Config/ErgometerWorkloadUnits"), workloadUnits);
        const auto study = stressStudy(type);
        TErgoReport report(*study, withStLead(QStringLiteral("aVR")));
        QCOMPARE(report.recordCount(QStringLiteral("stages")), 5);
        QTEST(report.value(QStringLiteral("stagePropsLabel"), 0, 1), "label");
        QStringList names;
        QStringList props;
        for (int k = 0; k < 5; ++k) {
            names << report.value(QStringLiteral("stage/name"), k, 1);
            props << report.value(QStringLiteral("stage/props"), k, 1);
        }
        QTEST(names, "names");
        QTEST(props, "props");
        QSettings().remove(QStringLiteral("Config/ErgometerWorkloadUnits"));
    }

    void stageValues_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("duration") << "duration" << QStringList{"10:00", "03:01", "03:02", "03:03", "03:04", ""};
        QTest::newRow("heart rate") << "HR" << QStringList{"90", "120", "151", "130", "100", ""};
        // A stage without a reading says so instead of "0/0".
        QTest::newRow("blood pressure") << "BP" << QStringList{"120/80", "140/85", "--", "150/90", "125/82", ""};
        QTest::newRow("double product") << "DP" << QStringList{"10800", "16800", "--", "19500", "12500", ""};
        QTest::newRow("METS") << "METS" << QStringList{"", "3.3", "4.6", "5.9", "7.2", ""};
        // Lead 3 (aVR), at 10 mm/mV; -0.04 mm rounds to 0.0, not -0.0.
        QTest::newRow("ST level") << "STLevel"
                                  << QStringList{"0.0 mm", "-0.5 mm", "-1.0 mm", "-1.5 mm", "-2.0 mm", ""};
        QTest::newRow("ST slope") << "STSlope"
                                  << QStringList{"0.0 mm/s", "1.2 mm/s", "2.4 mm/s", "3.6 mm/s", "4.8 mm/s", ""};
        QTest::newRow("elapsed in the phase")
            << "tiltElapsed" << QStringList{"10:00", "03:01", "06:03", "03:03", "06:07", ""};
        QTest::newRow("not a column") << "colour" << QStringList{"", "", "", "", "", ""};
    }

    void stageValues()
    {
        QFETCH(QString, column);
        const auto study = stressStudy();
        TErgoReport report(*study, withStLead(QStringLiteral("aVR")));
        QStringList cells;
        for (int k = 0; k < 6; ++k)
            cells << report.value(QStringLiteral("stage/") + column, k, 1);
        QTEST(cells, "cells");
    }

    // Numbers a damaged study file may hold print as none, never as garbage.
    void damagedNumbers_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("not a number") << qQNaN();
        QTest::newRow("infinite") << qInf();
        QTest::newRow("beyond any rate") << 1e300;
        QTest::newRow("hugely negative") << -1e300;
    }

    void damagedNumbers()
    {
        QFETCH(double, value);
        const auto study = stressStudy();
        TStudyResults& r = study->results();
        for (const char* name : {"BPMPerStage", "sysBPPerStage", "diaBPPerStage", "DPPerStage", "METSPerStage"})
            r.valueArray(QLatin1String(name))->setValue(1, value);
        r.valueArray(TStudyResults::stLevelPerStageName(0))->setValue(1, value);
        *r.value(QStringLiteral("maxBPM")) = value;
        r.trend(QStringLiteral("sysBPTrend"))->append(0.0, value);
        r.trend(QStringLiteral("diaBPTrend"))->append(0.0, value);
        study->protocol()->stage(1).setDuration(value);
        study->record().events[0].position = value;
        TErgoReport report(*study, TReportOptions());
        QCOMPARE(report.value(QStringLiteral("stage/HR"), 1, 1), QStringLiteral("0"));
        QCOMPARE(report.value(QStringLiteral("stage/BP"), 1, 1), QStringLiteral("--"));
        QCOMPARE(report.value(QStringLiteral("stage/DP"), 1, 1), QStringLiteral("--"));
        QCOMPARE(report.value(QStringLiteral("stage/METS"), 1, 1), QString());
        QCOMPARE(report.value(QStringLiteral("stage/STLevel"), 1, 1), QStringLiteral("0.0 mm"));
        QCOMPARE(report.value(QStringLiteral("stage/duration"), 1, 1), QStringLiteral("00:00"));
        QCOMPARE(report.value(QStringLiteral("maxHR"), 0, 1), QStringLiteral("0"));
        // No pressure is none, not 0 mmHg.
        QCOMPARE(report.value(QStringLiteral("maxSysBP"), 0, 1), QStringLiteral("--"));
        QCOMPARE(report.value(QStringLiteral("maxDP"), 0, 1), QStringLiteral("--"));
        QVERIFY(report.value(QStringLiteral("eventInfo"), 0, 1).startsWith(QStringLiteral("00:00 - ")));
        // The plots leave the number out.
        const auto plot = TStressPlots::build(QStringLiteral("plotBP"), *study, 0, QStringLiteral("I"));
        const QPair<double, double> range = plot->valueRange();
        QVERIFY(std::isfinite(range.first) && std::isfinite(range.second) && range.second < 1e6);
        QImage image(400, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        QVERIFY(report.draw(QStringLiteral("plotBP"), 0, painter, QRectF(0, 0, 400, 200), 2.0));
        QVERIFY(report.draw(QStringLiteral("plotHR"), 0, painter, QRectF(0, 0, 400, 200), 2.0));
    }

    // The treadmill test's fitness: 150/min between 120 at 2 km/h and 151.7 at
    // 4 km/h (2 + 2 x 30/31.7 = 3.89), 200 never; exercise ends at 963 s at
    // 151.7/min; a minute later the trend reads 169/min (a rise of 18); the
    // recording ends before five minutes.
    void treadmillFitness_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        QTest::newRow("V150") << "fitness/V150" << "3.9 km/h";
        QTest::newRow("V200") << "fitness/V200" << "--";
        QTest::newRow("end") << "fitness/endHR" << "152/min";
        QTest::newRow("1 min") << "fitness/recovery1" << "169/min (+18)";
        QTest::newRow("5 min") << "fitness/recovery5" << "--";
    }
    void treadmillFitness()
    {
        QFETCH(QString, field);
        QFETCH(QString, expected);
        const auto study = stressStudy();
        TErgoReport report(*study, TReportOptions());
        QCOMPARE(report.recordCount(QStringLiteral("treadmillIndices")), 1);
        QCOMPARE(report.value(field, 0, 1), expected);
        // An ergometer test has none to print.
        const auto bicycle = stressStudy(TProtocol::Ergometer);
        QCOMPARE(TErgoReport(*bicycle, TReportOptions()).recordCount(QStringLiteral("treadmillIndices")), 0);
    }

    void expectedDuration()
    {
        const auto study = stressStudy();
        TReportOptions o;
        o.showExpectedStageDuration = true;
        TErgoReport report(*study, o);
        QCOMPARE(report.value(QStringLiteral("stage/duration"), 0, 1), QStringLiteral("10 min."));
        QCOMPARE(report.value(QStringLiteral("stage/duration"), 1, 1), QStringLiteral("3 min."));
        QCOMPARE(TReportStages::minutes(150.0), QStringLiteral("2.5 min."));
        QCOMPARE(TReportStages::minutes(20.0), QStringLiteral("0.3 min."));
        QCOMPARE(TReportStages::minutes(-5.0), QStringLiteral("0 min."));
    }

    // The ST lead by name; a name the recording lacks is its first lead.
    void stLead_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("level");
        QTest::newRow("aVR") << "aVR" << "aVR" << "-0.5 mm";
        QTest::newRow("V1") << "V1" << "V1" << "0.0 mm";
        QTest::newRow("not recorded") << "V2" << "I" << "0.0 mm";
        QTest::newRow("none") << "" << "I" << "0.0 mm";
    }

    void stLead()
    {
        QFETCH(QString, asked);
        const auto study = stressStudy();
        TErgoReport report(*study, withStLead(asked));
        QTEST(report.value(QStringLiteral("STLeadName"), 0, 1), "shown");
        QTEST(report.value(QStringLiteral("stage/STLevel"), 1, 1), "level");
    }

    void eventLine()
    {
        const auto study = stressStudy();
        TErgoReport report(*study, TReportOptions());
        QCOMPARE(report.recordCount(QStringLiteral("events")), 3);
        // Before any reading: no pressure; the rate at the event.
        QCOMPARE(report.value(QStringLiteral("eventInfo"), 0, 1), QStringLiteral("00:10 - Rest 1 - HR: 85 - BP: --/--"));
        // The mean rate over 590..610 s (near the sine's top, 280) and the last
        // reading by its end (500 s).
        QCOMPARE(report.value(QStringLiteral("eventInfo"), 1, 1), QStringLiteral("09:50 - Rest 1 - HR: 280 - BP: 140/84"));
        // Past the stages' end: the last stage.
        QCOMPARE(report.value(QStringLiteral("eventInfo"), 2, 1),
                 QStringLiteral("23:20 - Recovery 2 - HR: 81 - BP: 160/88"));
        QCOMPARE(report.value(QStringLiteral("eventInfo"), 3, 1), QString());
    }

    void echoScoring()
    {
        const auto study = stressStudy();
        {
            TErgoReport report(*study, TReportOptions());
            QCOMPARE(report.recordCount(QStringLiteral("echoSegments")), 0); // none
        }
        study->record().echoScoring = TEchoScoring();
        {
            TErgoReport report(*study, TReportOptions());
            QCOMPARE(report.recordCount(QStringLiteral("echoSegments")), 0); // nothing seen
        }
        TEchoScoring scoring;
        for (int s = 1; s <= 16; ++s) {
            scoring.setScore(TEchoScoring::Rest, s, 1);
            scoring.setScore(TEchoScoring::Peak, s, s <= 4 ? 2 : 1);
        }
        scoring.setScore(TEchoScoring::Peak, 16, 4);
        study->record().echoScoring = scoring;
        TErgoReport report(*study, TReportOptions());
        QCOMPARE(report.recordCount(QStringLiteral("echoSegments")), 16);
        QCOMPARE(report.value(QStringLiteral("echo/segment"), 0, 1), QStringLiteral("Septum Anterior Basal - LAD"));
        QCOMPARE(report.value(QStringLiteral("echo/segment"), 15, 1), QStringLiteral("Anterior Apical - LAD"));
        QCOMPARE(report.value(QStringLiteral("echo/rest"), 0, 1), QStringLiteral("1 Normal"));
        QCOMPARE(report.value(QStringLiteral("echo/peak"), 3, 1), QStringLiteral("2 Hypokinetic"));
        QCOMPARE(report.value(QStringLiteral("echo/peak"), 15, 1), QStringLiteral("4 Dyskinetic"));
        QCOMPARE(report.value(QStringLiteral("echo/post"), 0, 1), QStringLiteral("--"));
        QCOMPARE(report.value(QStringLiteral("echo/segment"), 16, 1), QString());
        QCOMPARE(report.value(QStringLiteral("echo/indexRest"), 0, 1), QStringLiteral("1.00"));
        QCOMPARE(report.value(QStringLiteral("echo/indexPeak"), 0, 1), QStringLiteral("1.44")); // 23 / 16
        QCOMPARE(report.value(QStringLiteral("echo/indexPost"), 0, 1), QStringLiteral("--"));
    }

    void trendGraphicsAsChosen()
    {
        const auto study = stressStudy();
        TReportOptions o;
        QCOMPARE(TErgoReport(*study, o).recordCount(QStringLiteral("trendGraphics")), 1);
        o.printStressGraphics = false;
        QCOMPARE(TErgoReport(*study, o).recordCount(QStringLiteral("trendGraphics")), 0);
    }

    // The value range follows the data: 80 to 280 per minute, widened by 5 %;
    // the highest point is drawn inside the plot, not cut at its top.
    void plotRangeFollowsTheData()
    {
        const auto study = stressStudy();
        *study->results().value(QStringLiteral("maxBPM")) = 280.0;
        const std::optional<TReportPlot> plot = TStressPlots::build(QStringLiteral("plotHR"), *study, 0, "I");
        QVERIFY(plot);
        QCOMPARE(plot->title(), QStringLiteral("HR 280 bpm"));
        const QPair<double, double> range = plot->valueRange();
        QVERIFY(std::abs(range.first - 70.0) < 0.01 && std::abs(range.second - 290.0) < 0.01);
        // The time axis spans the test.
        QCOMPARE(plot->timeFrom(), 0.0);
        QCOMPARE(plot->timeTo(), 1330.0);

        constexpr int DotsPerMm = 10;
        const QRectF rect(0, 0, 1900, 450);
        QImage image = DisplayTest::paper(1900, 450, DotsPerMm);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            plot->draw(painter, rect, DotsPerMm);
        }
        const QRectF area = TReportPlot::plotArea(rect, DotsPerMm);
        int top = -1;
        int bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = int(area.left()) + 2; x < int(area.right()) - 2; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 80 && c.blue() < 80) {
                    if (top < 0)
                        top = y;
                    bottom = y;
                }
            }
        QVERIFY(top >= 0);
        // 280 lies 10 of 220 units below the top; 80 as far above the bottom.
        QVERIFY2(std::abs(top - plot->yOf(280.0, rect, DotsPerMm)) <= 3, qPrintable(QString::number(top)));
        QVERIFY(top > area.top() + 5);
        QVERIFY(bottom < area.bottom() - 5);
    }

    void plotRanges_data()
    {
        QTest::addColumn<QVector<double>>("values");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("flat 100") << QVector<double>{100, 100, 100} << 0.0 << 99.0 << 101.0;
        QTest::newRow("flat 0") << QVector<double>{0, 0} << 0.0 << -1.0 << 1.0;
        QTest::newRow("negative ST") << QVector<double>{-2.0, -1.0, 0.0} << 0.0 << -2.1 << 0.1;
        QTest::newRow("none") << QVector<double>{} << 0.0 << 0.0 << 1.0;
        QTest::newRow("not a number is left out") << QVector<double>{qQNaN(), 50, 150} << 0.0 << 45.0 << 155.0;
        // A heart rate between 100 and 104 is shown over 20 per minute about its middle.
        QTest::newRow("small waver") << QVector<double>{100, 104} << 20.0 << 92.0 << 112.0;
        QTest::newRow("flat with a minimum") << QVector<double>{100, 100} << 20.0 << 90.0 << 110.0;
        QTest::newRow("wider than the minimum") << QVector<double>{60, 280} << 20.0 << 49.0 << 291.0;
        // No reading at all (no pressure taken): the smallest span from 0.
        QTest::newRow("no readings") << QVector<double>{} << 40.0 << 0.0 << 40.0;
        QTest::newRow("only unusable readings") << QVector<double>{qQNaN()} << 40.0 << 0.0 << 40.0;
    }

    void plotRanges()
    {
        QFETCH(QVector<double>, values);
        TReportPlot plot;
        TReportPlot::Series s;
        for (int i = 0; i < values.size(); ++i)
            s.points.append(QPointF(i, values[i]));
        plot.addSeries(s);
        QFETCH(double, minimum);
        plot.setMinimumSpan(minimum);
        const QPair<double, double> range = plot.valueRange();
        QFETCH(double, low);
        QFETCH(double, high);
        QVERIFY2(std::abs(range.first - low) < 1e-9 && std::abs(range.second - high) < 1e-9,
                 qPrintable(QStringLiteral("%1 .. %2").arg(range.first).arg(range.second)));
    }

    void timeTicks_data()
    {
        QTest::addColumn<double>("span");
        QTest::addColumn<double>("step");
        // 176 mm of plot: a tick at least every 16 mm.
        QTest::newRow("one minute") << 60.0 << 10.0;
        QTest::newRow("five minutes") << 300.0 << 30.0;
        QTest::newRow("twenty minutes") << 1200.0 << 120.0;
        QTest::newRow("an hour") << 3600.0 << 600.0;
    }

    void timeTicks()
    {
        QFETCH(double, span);
        QTEST(TReportPlot::timeStep(span, 176.0), "step");
    }

    // Every plot the templates name draws something, with the ST in millimetres.
    void everyPlot()
    {
        const auto study = stressStudy();
        study->results().trend(TStudyResults::stLevelTrendName(3))->append(30.0, -0.12);
        study->results().trend(TStudyResults::stLevelTrendName(3))->append(60.0, -0.2);
        for (const char* field : {"plotHR", "plotBP", "plotDP", "plotST", "plotMETS", "plotTiltTest"}) {
            const auto plot = TStressPlots::build(QLatin1String(field), *study, 3, QStringLiteral("aVR"));
            QVERIFY2(plot, field);
            QVERIFY(!plot->series().isEmpty());
        }
        const auto st = TStressPlots::build(QStringLiteral("plotST"), *study, 3, QStringLiteral("aVR"));
        QCOMPARE(st->title(), QStringLiteral("ST [aVR] mm"));
        QCOMPARE(st->series()[0].points.value(1).y(), -2.0);
        // The double product from the stage table where no trend holds it.
        const auto dp = TStressPlots::build(QStringLiteral("plotDP"), *study, 3, QStringLiteral("aVR"));
        QCOMPARE(dp->series()[0].points.size(), 4);
        QCOMPARE(dp->series()[0].points[0], QPointF(600.0, 10800.0));
        QVERIFY(!TStressPlots::build(QStringLiteral("plotXY"), *study, 3, QStringLiteral("aVR")));
        TErgoReport report(*study, TReportOptions());
        QVERIFY(TErgoReport::answers(QStringLiteral("plotTiltTest")));
        QImage image(400, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        QVERIFY(report.draw(QStringLiteral("plotBP"), 0, painter, QRectF(0, 0, 400, 200), 2.0));
    }

    // The dialog's layouts over the leads a recording has: 12 leads fill them;
    // fewer are spread over the same columns.
    void layoutsOverTheLeads_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("leads");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("firstRow");
        QTest::newRow("12 leads in 12 rows") << "ecgGraphic/12by1" << 12 << 12 << 0;
        QTest::newRow("14 leads in 12 rows") << "ecgGraphic/12by1" << 14 << 12 << 0;
        QTest::newRow("7 leads in 7 rows") << "ecgGraphic/12by1" << 7 << 7 << 0;
        QTest::newRow("12 leads, second of 2 columns") << "ecgGraphic/6by2/2" << 12 << 6 << 6;
        QTest::newRow("7 leads, second of 2 columns") << "ecgGraphic/event/6by2/2" << 7 << 4 << 4;
        QTest::newRow("12 leads, last of 4 columns") << "ecgGraphic/3by4/4" << 12 << 3 << 9;
        QTest::newRow("7 leads, last of 4 columns") << "ecgGraphic/3by4/4" << 7 << 2 << 6;
        QTest::newRow("3 leads, first of 4 columns") << "ecgGraphic/3by4/1" << 3 << 1 << 0;
        QTest::newRow("7by1 is no choice") << "ecgGraphic/7by1" << 12 << 7 << 0;
    }

    void layoutsOverTheLeads()
    {
        QFETCH(QString, field);
        QFETCH(int, leads);
        const TEcgGraphicLayout layout = TEcgGraphicLayout::parse(field)->forLeads(leads);
        QTEST(layout.rows, "rows");
        QTEST(layout.firstRow(), "firstRow");
    }

    // Of the layouts laid over each other only the chosen one draws; the
    // rhythm strip always does.
    void onlyTheChosenLayoutDraws()
    {
        const auto study = stressStudy(TProtocol::Treadmill, 12);
        for (const QString& chosen : {QStringLiteral("12by1"), QStringLiteral("6by2"), QStringLiteral("4by3")}) {
            TReportOptions o;
            o.layout = chosen;
            TErgoReport report(*study, o);
            for (const QString& field : {QStringLiteral("ecgGraphic/12by1"), QStringLiteral("ecgGraphic/6by2/1"),
                                         QStringLiteral("ecgGraphic/3by4/1"), QStringLiteral("ecgGraphic/rhythm")}) {
                QImage image = DisplayTest::paper(800, 400, 4);
                image.fill(Qt::white);
                {
                    QPainter painter(&image);
                    QVERIFY(report.draw(field, 0, painter, QRectF(0, 0, 800, 400), 4.0));
                }
                QImage blank = DisplayTest::paper(800, 400, 4);
                blank.fill(Qt::white);
                const bool drawn = image != blank;
                const bool expected = field.endsWith(QLatin1String("rhythm")) ||
                                      TEcgGraphicLayout::parse(field)->choiceName() == chosen;
                QVERIFY2(drawn == expected, qPrintable(chosen + QLatin1Char(' ') + field));
            }
        }
    }

    // Every field of every template is one the report answers.
    void templatesAskOnlyForKnownFields()
    {
        Q_INIT_RESOURCE(reports);
        QStringList paths;
        for (const char* type : {"ECG", "Stress test", "Tilt test"})
            for (bool tracesOnly : {false, true})
                paths += TStudyReport::templatePaths(QLatin1String(type), tracesOnly);
        paths.removeDuplicates();
        QCOMPARE(paths.size(), 5);
        for (const QString& path : paths) {
            const TReportTemplate t = TReportTemplate::load(path);
            for (const QString& field : t.fieldNames())
                QVERIFY2(field.startsWith(QLatin1Char('#')) || TErgoReport::answers(field),
                         qPrintable(path + QStringLiteral(": ") + field));
        }
        for (const char* field : {"stage/", "stage/speed", "echo/", "echo/score", "plot", "plotHRV"})
            QVERIFY2(!TErgoReport::answers(QLatin1String(field)), field);
    }

private:
    QTemporaryDir m_home;
};

QTEST_MAIN(TestStressReport)
#include "tst_stressreport.moc"
