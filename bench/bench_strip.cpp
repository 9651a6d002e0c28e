// The ECG strip of a 10-minute 12-lead study: the time to copy its stretch out
// of the study (filters included), to draw the 2500 x 560-dot strip and to turn
// it for the printer, per strip; and with --job, the length of a whole print
// job at the printer simulator's default pace with the default pauses between
// bands, as a clinic would wait for it.
//
//   bench_strip [RUNS] [--job]

#include "BenchClock.h"
#include "BenchEcgStudy.h"
#include "ESCPPrinter.h"
#include "TECGStripReport.h"
#include "TPrinterSimulator.h"
#include "TReportOptions.h"
#include "TStripPrintJob.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

constexpr double Seconds = 600.0;

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const BenchEcgStudy::Arguments given = BenchEcgStudy::arguments(argc, argv, "--job");
    const int runs = given.runs;
    const bool job = given.flag;

    const std::unique_ptr<TStudy> study = BenchEcgStudy::synthetic(Seconds, {});
    TReportOptions options;
    double content = 0.0;
    double render = 0.0;
    double turn = 0.0;
    for (int run = 0; run < runs; ++run) {
        // Start times spread over the recording, so no run finds its pages cached.
        options.startTime = (Seconds - 20.0) * run / runs;
        const double c0 = BenchClock::wallSeconds();
        const TStripContent c = TECGStripReport::content(*study, options);
        const double c1 = BenchClock::wallSeconds();
        const QImage strip = TECGStripReport::render(c);
        const double c2 = BenchClock::wallSeconds();
        const QImage paper = TECGStripReport::forPrinter(strip);
        const double c3 = BenchClock::wallSeconds();
        content += c1 - c0;
        render += c2 - c1;
        turn += c3 - c2;
        if (paper.height() != TECGStripReport::Width)
            return 1;
    }
    std::printf("ECG strip, %d leads, %.0f-minute study: %.1f ms per strip (copy and filters %.1f, draw %.1f, "
                "turn %.1f; %d runs)\n",
                BenchEcgStudy::Leads, Seconds / 60.0, 1000.0 * (content + render + turn) / runs,
                1000.0 * content / runs, 1000.0 * render / runs, 1000.0 * turn / runs, runs);

    if (job) {
        TPrinterSimulator printer;
        if (!printer.start())
            return 1;
        options.startTime = 0.0;
        TStripPrintJob print(TECGStripReport::content(*study, options), printer.portPath());
        QElapsedTimer timer;
        timer.start();
        print.start();
        while (!print.isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const qint64 hostMs = timer.elapsed();
        while (printer.jobCount() < 1 && timer.elapsed() < hostMs + 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const ESCPPrinter::Pace pace;
        std::printf("whole job at %d dot rows per second, %d ms between bands: %.1f s until the printer "
                    "is released, %.1f s until the strip is out%s%s\n",
                    printer.dotsPerSecond(), pace.bandPauseMs, hostMs / 1000.0, timer.elapsed() / 1000.0,
                    print.error().isEmpty() ? "" : ", failed: ", qPrintable(print.error()));
    }
    return 0;
}
