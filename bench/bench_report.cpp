// Writing the PDF of a resting ECG report: a 12-lead study of a synthesized
// recording, the default template with its traces of 10 s at 25 mm/s and two
// event pages, written to a file as the report dialog writes it. Prints the wall
// and CPU time per report (layout and PDF) and the size of the file.
//
//   bench_report [RUNS] [--average]     --average: the average beats in front of the traces
//   BENCH_REPORT_KEEP=FILE.pdf bench_report   keeps a copy of the report to look at

#include "BenchClock.h"
#include "BenchEcgStudy.h"
#include "TStudyReport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int Leads = BenchEcgStudy::Leads;
constexpr double Seconds = 60.0;

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const BenchEcgStudy::Arguments given = BenchEcgStudy::arguments(argc, argv, "--average");
    const int runs = given.runs;
    const bool average = given.flag;

    const std::unique_ptr<TStudy> study = BenchEcgStudy::synthetic(Seconds, {20.0, 40.0});
    TReportOptions options;
    options.showAverage = average;
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
    std::printf("ECG report, %d leads, %d pages%s: %.0f ms wall, %.0f ms CPU per report (%d runs); PDF %.0f KB\n",
                Leads, pages, average ? ", average beats" : "", 1000.0 * wall / runs, 1000.0 * cpu / runs, runs,
                QFileInfo(path).size() / 1024.0);
    return 0;
}
