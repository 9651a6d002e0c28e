// Writing the PDF of a study report, as the report dialog writes it, and
// printing the wall and CPU time per report (layout and PDF) and the size of
// the file:
//
//   bench_report [RUNS] [--average]   a resting ECG: a 12-lead study of a
//                                     synthesized recording, the default template
//                                     with its traces of 10 s at 25 mm/s and two
//                                     event pages; --average: the average beats in
//                                     front of the traces
//   bench_report [RUNS] --stress      a stress test: 10 minutes of the same 12
//                                     leads, 10 stages with their trends (a heart
//                                     rate every beat, blood pressure every stage,
//                                     ST of every lead), the trend page and a
//                                     stage event page for each stage (10), in
//                                     4 cols / 3 leads with the rhythm strip
//   BENCH_REPORT_KEEP=FILE.pdf bench_report ...   keeps a copy of the report to look at

#include "BenchClock.h"
#include "BenchEcgStudy.h"
#include "TStudyReport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int Leads = BenchEcgStudy::Leads;
constexpr double EcgSeconds = 60.0;
constexpr int StressStages = 10;
constexpr double StageSeconds = 60.0;

// A treadmill test over the synthesized recording: its stages, per-stage
// values, trends and a stage event at the end of every stage.
std::unique_ptr<TStudy> stressStudy()
{
    std::vector<double> events;
    for (int k = 0; k < StressStages; ++k)
        events.push_back((k + 1) * StageSeconds - 11.0);
    std::unique_ptr<TStudy> study = BenchEcgStudy::synthetic(StressStages * StageSeconds, events);
    TStudyRecord& r = study->record();
    r.setProperty(QStringLiteral("studyType"), QStringLiteral("Stress test"));
    r.setProperty(QStringLiteral("protocolName"), QStringLiteral("Bench"));
    r.setPatientProperty(QStringLiteral("trainingZoneMax"), QStringLiteral("220"));
    TProtocol executed;
    executed.setName("Bench");
    executed.setType(TProtocol::Treadmill);
    TStudyResults& results = r.results;
    for (int k = 0; k < StressStages; ++k) {
        const int phase = k == 0 ? 0 : k == StressStages - 1 ? 2 : 1;
        executed.appendStage(phase, StageSeconds, phase == 1 ? 2.0 * k : 0.0, phase == 1 ? 2.0 * k : 0.0);
        const double hr = 90.0 + 15.0 * k;
        results.valueArray(QStringLiteral("BPMPerStage"))->setValue(k, hr);
        results.valueArray(QStringLiteral("sysBPPerStage"))->setValue(k, 120 + 5 * k);
        results.valueArray(QStringLiteral("diaBPPerStage"))->setValue(k, 80);
        results.valueArray(QStringLiteral("DPPerStage"))->setValue(k, hr * (120 + 5 * k));
        results.valueArray(QStringLiteral("METSPerStage"))->setValue(k, 1.0 + k);
        results.trend(QStringLiteral("sysBPTrend"))->append(k * StageSeconds + 45.0, 120 + 5 * k);
        results.trend(QStringLiteral("diaBPTrend"))->append(k * StageSeconds + 45.0, 80);
        results.trend(QStringLiteral("DPTrend"))->append(k * StageSeconds + 45.0, hr * (120 + 5 * k));
        for (int lead = 0; lead < Leads; ++lead)
            results.valueArray(TStudyResults::stLevelPerStageName(lead))->setValue(k, -0.01 * k);
    }
    r.protocol = executed;
    const TBeatStore* beats = study->beats();
    for (int i = 0; i < beats->count(); ++i) {
        const double t = beats->beat(i).time();
        results.trend(QStringLiteral("BPMTrend"))->append(t, 90.0 + 15.0 * t / StageSeconds);
        results.trend(QStringLiteral("METSTrend"))->append(t, 1.0 + std::floor(t / StageSeconds));
        for (int lead = 0; lead < Leads; ++lead)
            results.trend(TStudyResults::stLevelTrendName(lead))->append(t, -0.01 * t / StageSeconds);
    }
    *results.value(QStringLiteral("maxBPM")) = 90.0 + 15.0 * (StressStages - 1);
    return study;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool stress = false;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--stress") == 0)
            stress = true;
        else
            rest.push_back(argv[i]);
    }
    const BenchEcgStudy::Arguments given = BenchEcgStudy::arguments(int(rest.size()), rest.data(), "--average");
    const int runs = given.runs;
    const bool average = given.flag;

    const std::unique_ptr<TStudy> study = stress ? stressStudy() : BenchEcgStudy::synthetic(EcgSeconds, {20.0, 40.0});
    TReportOptions options;
    options.showAverage = average;
    if (stress) {
        options.layout = QStringLiteral("4by3");
        options.stLead = QStringLiteral("V5");
    }
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-report-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("report.pdf"));

    double wall = 0.0;
    double cpu = 0.0;
    int pages = 0;
    for (int run = 0; run < runs; ++run) {
        const double w0 = BenchClock::wallSeconds();
        const double c0 = BenchClock::cpuSeconds();
        TStudyReport report(*study, options);
        report.writePdf(path);
        wall += BenchClock::wallSeconds() - w0;
        cpu += BenchClock::cpuSeconds() - c0;
        pages = report.pageCount();
    }
    if (qEnvironmentVariableIsSet("BENCH_REPORT_KEEP"))
        QFile::copy(path, qEnvironmentVariable("BENCH_REPORT_KEEP"));
    std::printf("%s report, %d leads, %d pages%s: %.0f ms wall, %.0f ms CPU per report (%d runs); PDF %.0f KB\n",
                stress ? "Stress" : "ECG", Leads, pages, average ? ", average beats" : "", 1000.0 * wall / runs,
                1000.0 * cpu / runs, runs, QFileInfo(path).size() / 1024.0);
    return 0;
}
