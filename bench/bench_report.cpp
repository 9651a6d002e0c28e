// Writing the PDF of a resting ECG report: a 12-lead study of a synthesized
// recording, the default template with its traces of 10 s at 25 mm/s and two
// event pages, written to a file as the report dialog writes it. Prints the wall
// and CPU time per report (layout and PDF) and the size of the file.
//
//   bench_report [RUNS] [--average]     --average: the average beats in front of the traces
//   BENCH_REPORT_KEEP=FILE.pdf bench_report   keeps a copy of the report to look at

#include "BenchClock.h"
#include "TBeat.h"
#include "TBeatStore.h"
#include "TEcgSynthesizer.h"
#include "TLeadTable.h"
#include "TRingSignalBuffer.h"
#include "TStudy.h"
#include "TStudyReport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int Leads = 12;
constexpr int Rate = 500;
constexpr double Seconds = 60.0;

std::unique_ptr<TStudy> syntheticStudy()
{
    TSynthParams params;
    params.seed = 19;
    params.durationSeconds = Seconds;
    params.heartRateStart = params.heartRateEnd = 110.0;
    const TEcgSynthesizer synth(params);

    auto signal = std::make_unique<TIntSignalBuffer>(4096, int(Seconds) * Rate, Leads, Rate);
    signal->setResolution(16);
    signal->setGain(-params.gainMv, params.gainMv);
    for (int i = 0; i < Leads; ++i)
        signal->channel(i)->setName(TLeadTable::leadName(i));
    const int frames = int(Seconds) * Rate;
    std::vector<qint16> all(size_t(frames) * TEcgSynthesizer::LeadCount);
    synth.render(0, frames, all.data());
    std::vector<qint16> twelve(size_t(frames) * Leads);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < Leads; ++c)
            twelve[size_t(f) * Leads + size_t(c)] = all[size_t(f) * TEcgSynthesizer::LeadCount + size_t(c)];
    signal->append(twelve.data(), int(twelve.size() * 2));

    // The synthesizer's beats, as the detector would have stored them.
    auto beats = std::make_unique<TMemoryBeatStore>();
    double previous = 0.0;
    for (const TSynthBeat& b : synth.beats()) {
        TBeat beat(beats->count(), signal.get());
        beat.setValue(TBeat::Time, b.rTime);
        if (previous > 0.0) {
            beat.setValue(TBeat::RR, b.rTime - previous);
            beat.setValue(TBeat::MeanRR, 60.0 / 110.0);
        }
        for (int c = 0; c < Leads; ++c) {
            beat.setLeadValue(c, TBeat::Fiducial, b.rTime);
            beat.setLeadValue(c, TBeat::DetectionFlag, 1.0);
        }
        previous = b.rTime;
        beats->append(beat);
    }

    TStudyRecord record;
    record.setProperty(QStringLiteral("studyType"), QStringLiteral("ECG"));
    record.setProperty(QStringLiteral("studyDateTime"), QStringLiteral("20260314092653"));
    record.setPatientProperty(QStringLiteral("lastName"), QStringLiteral("Bench"));
    record.setPatientProperty(QStringLiteral("firstName"), QStringLiteral("Rex"));
    for (double at : {20.0, 40.0}) {
        TStudyEvent event;
        event.description = QStringLiteral("Event at %1 s").arg(at);
        event.position = at;
        event.duration = 7.0;
        event.print = true;
        record.events.append(event);
    }
    return std::make_unique<TStudy>(record, std::move(signal), std::move(beats));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 10;
    bool average = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--average") == 0)
            average = true;
        else
            runs = std::max(1, std::atoi(argv[i]));
    }

    const std::unique_ptr<TStudy> study = syntheticStudy();
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
