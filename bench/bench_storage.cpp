// The study store on whole studies of 7 channels at 500 per second: a new study
// recorded in 51-frame blocks (a beat every 0.75 s), exported to an archive,
// imported into another data folder, opened with the first 10 s of every
// channel read, and read whole page by page; and the record file of a stress test
// written at 5-minute steps of its trends. Each step runs in a process of its
// own, so that its peak resident memory is its own.
//
//   bench_storage [MINUTES ...]    study lengths (default 30 and 120)
//   bench_storage --step STEP MINUTES FOLDER    one step, as the runs above call it
//
// Figures: MB of study files per wall second, and the peak resident memory.

#include "BenchClock.h"
#include "BenchMemory.h"
#include "TBeat.h"
#include "TEcgSynthesizer.h"
#include "TLocalStudyStore.h"
#include "TStudy.h"
#include "TRecordFile.h"
#include "TStudyArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int Channels = 7;
constexpr int Rate = 500;
constexpr int Block = 51;

QString localRoot(const QString& folder) { return folder + QStringLiteral("/local"); }
QString importRoot(const QString& folder) { return folder + QStringLiteral("/imported"); }
QString sharedFolder(const QString& folder) { return folder + QStringLiteral("/shared"); }

double studyMegabytes(const QString& root)
{
    qint64 bytes = 0;
    for (const QFileInfo& f : QDir(root).entryInfoList({"*.cxstudy", "*.cxecg", "*.cxbeats"}, QDir::Files))
        bytes += f.size();
    return bytes / 1e6;
}

int onlyStudy(TLocalStudyStore& store)
{
    const QVector<TStudySummary> studies = store.listStudies();
    return studies.size() == 1 ? studies[0].id : 0;
}

void report(const char* step, double megabytes, double wall, double cpu, const QString& extra = QString())
{
    std::printf("  %-7s %7.1f MB in %7.3f s wall (%6.3f CPU s): %7.1f MB/s, peak resident %5.1f MB%s\n", step,
                megabytes, wall, cpu, wall > 0 ? megabytes / wall : 0.0, BenchMemory::peakResidentMegabytes(),
                qPrintable(extra));
}

int record(double minutes, const QString& folder)
{
    // One minute of synthesized ECG, looped: compresses like a real recording.
    TSynthParams params;
    params.durationSeconds = 60.0;
    const TEcgSynthesizer synth(params);
    std::vector<qint16> minute(size_t(synth.frameCount()) * TEcgSynthesizer::LeadCount);
    synth.render(0, int(synth.frameCount()), minute.data());

    const double wall0 = BenchClock::wallSeconds();
    const double cpu0 = BenchClock::cpuSeconds();
    TLocalStudyStore store(localRoot(folder));
    TQuickPatient patient;
    patient.lastName = QStringLiteral("Bench");
    TStudyRecord source = TStudyRecord::newStudy(TStudyRecord::StressTest, patient, QStringLiteral("Bench"));
    source.acquisition = {Channels, Rate, 16, 300.0, QStringLiteral("short"), QStringLiteral("I,II,III,aVR,aVL,aVF,V5")};
    TStudy* study = store.saveNewStudy(source);

    const qint64 frames = qint64(minutes * 60 * Rate);
    std::vector<std::vector<qint16>> columns(Channels, std::vector<qint16>(Block));
    std::vector<const qint16*> pointers(Channels);
    double nextBeat = 0.3;
    for (qint64 first = 0; first < frames; first += Block) {
        for (int c = 0; c < Channels; ++c) {
            for (int i = 0; i < Block; ++i)
                columns[c][i] = minute[size_t((first + i) % synth.frameCount()) * TEcgSynthesizer::LeadCount + size_t(c)];
            pointers[c] = columns[c].data();
        }
        study->recording()->appendChannels(pointers.data(), Block);
        const double now = double(first + Block) / Rate;
        for (; nextBeat < now; nextBeat += 0.75) {
            TBeat beat(0, study->recording());
            beat.setValue(TBeat::Time, nextBeat);
            beat.setValue(TBeat::RR, 0.75);
            beat.setValue(TBeat::MeanRR, 0.75);
            study->beats()->append(beat);
        }
    }
    store.updateStudy(study->record());
    const int beats = study->beats()->count();
    store.closeStudy(study->id());
    report("record", studyMegabytes(localRoot(folder)), BenchClock::wallSeconds() - wall0,
           BenchClock::cpuSeconds() - cpu0, QStringLiteral(", %1 beats").arg(beats));
    return 0;
}

// The record file of a stress test written as the monitor writes it at each
// stage change: HR, METS and the ST level and slope of 8 leads for every beat
// (one every 0.75 s), timed at 5-minute steps of the test.
int recordWriteStep(double minutes, const QString& folder)
{
    TLocalStudyStore store(localRoot(folder));
    TQuickPatient patient;
    patient.lastName = QStringLiteral("Bench");
    TStudyRecord source = TStudyRecord::newStudy(TStudyRecord::StressTest, patient, QStringLiteral("Bench"));
    source.acquisition = {8, Rate, 16, 300.0, QStringLiteral("short"), QStringLiteral("I,II,III,aVR,aVL,aVF,V1,V5")};
    TStudy* study = store.saveNewStudy(source);
    TStudyResults& results = study->results();
    double time = 0.3;
    std::printf("  stress record file, written at each stage change:\n");
    for (double at = 5.0; at <= minutes + 1e-9; at += 5.0) {
        for (; time < at * 60.0; time += 0.75) {
            const double phase = time / 60.0;
            // Rounded as the recorder rounds its trend points.
            const auto r = [](double v, double scale) { return std::round(v * scale) / scale; };
            results.trend(QStringLiteral("BPMTrend"))->append(time, r(80.0 + 60.0 * std::sin(phase) + time * 1e-4, 100.0));
            results.trend(QStringLiteral("METSTrend"))->append(time, 1.0 + phase / 3.0);
            for (int lead = 0; lead < 8; ++lead) {
                results.trend(TStudyResults::stLevelTrendName(lead))->append(time, r(-0.05 * std::cos(phase + lead), 10000.0));
                results.trend(TStudyResults::stSlopeTrendName(lead))->append(time, r(0.7 * std::sin(phase * lead), 10000.0));
            }
        }
        const double wall0 = BenchClock::wallSeconds();
        const double cpu0 = BenchClock::cpuSeconds();
        store.updateStudy(study->record());
        const double wall = BenchClock::wallSeconds() - wall0;
        const QFileInfo file(TRecordFile::path(localRoot(folder), study->record().baseFilename()));
        std::printf("    at %3.0f min: %7.1f ms wall (%6.1f CPU ms), file %6.0f kB\n", at, wall * 1e3,
                    (BenchClock::cpuSeconds() - cpu0) * 1e3, file.size() / 1e3);
    }
    store.closeStudy(study->id());
    return 0;
}

int exportStep(const QString& folder)
{
    TLocalStudyStore store(localRoot(folder));
    QDir().mkpath(sharedFolder(folder));
    const double wall0 = BenchClock::wallSeconds();
    const double cpu0 = BenchClock::cpuSeconds();
    store.exportStudy(onlyStudy(store), sharedFolder(folder));
    const double wall = BenchClock::wallSeconds() - wall0;
    const QFileInfoList archives = QDir(sharedFolder(folder)).entryInfoList({"*.cxz"});
    const double archiveMb = archives.isEmpty() ? 0.0 : archives[0].size() / 1e6;
    report("export", studyMegabytes(localRoot(folder)), wall, BenchClock::cpuSeconds() - cpu0,
           QStringLiteral(", archive %1 MB").arg(archiveMb, 0, 'f', 1));
    return archives.isEmpty() ? 1 : 0;
}

int importStep(const QString& folder)
{
    TLocalStudyStore store(importRoot(folder));
    const QFileInfoList archives = QDir(sharedFolder(folder)).entryInfoList({"*.cxz"});
    if (archives.isEmpty())
        return 1;
    const double wall0 = BenchClock::wallSeconds();
    const double cpu0 = BenchClock::cpuSeconds();
    store.importStudy(archives[0].filePath());
    report("import", studyMegabytes(importRoot(folder)), BenchClock::wallSeconds() - wall0,
           BenchClock::cpuSeconds() - cpu0);
    return 0;
}

int openStep(const QString& folder)
{
    TLocalStudyStore store(localRoot(folder));
    const int id = onlyStudy(store);
    std::vector<double> values(10 * Rate);
    const double wall0 = BenchClock::wallSeconds();
    const double cpu0 = BenchClock::cpuSeconds();
    TStudy* study = store.openStudy(id);
    double sum = 0.0;
    for (int c = 0; c < Channels; ++c) {
        study->recording()->samples(c, 0, int(values.size()), values.data());
        sum += values[values.size() / 2];
    }
    const double wall = BenchClock::wallSeconds() - wall0;
    std::printf("  open    study of %d frames and %d beats opened, first 10 s of %d channels read in %.1f ms "
                "(%.2f CPU ms), peak resident %.1f MB (check %g)\n",
                study->recording()->length(), study->beats()->count(), Channels, wall * 1e3,
                (BenchClock::cpuSeconds() - cpu0) * 1e3, BenchMemory::peakResidentMegabytes(), sum);
    return 0;
}

int readStep(const QString& folder)
{
    TLocalStudyStore store(localRoot(folder));
    const double wall0 = BenchClock::wallSeconds();
    const double cpu0 = BenchClock::cpuSeconds();
    TStudy* study = store.openStudy(onlyStudy(store));
    TSignalBuffer* recording = study->recording();
    std::vector<double> page(4096);
    double sum = 0.0;
    for (int start = 0; start < recording->length(); start += int(page.size())) {
        const int n = std::min(int(page.size()), recording->length() - start);
        for (int c = 0; c < Channels; ++c) {
            recording->samples(c, start, n, page.data());
            sum += page[0];
        }
    }
    report("read", recording->length() * 2.0 * Channels / 1e6, BenchClock::wallSeconds() - wall0,
           BenchClock::cpuSeconds() - cpu0, QStringLiteral(" (check %1)").arg(sum));
    return 0;
}

int step(const QString& name, double minutes, const QString& folder)
{
    try {
        if (name == QLatin1String("record"))
            return record(minutes, folder);
        if (name == QLatin1String("record-write"))
            return recordWriteStep(minutes, folder);
        if (name == QLatin1String("export"))
            return exportStep(folder);
        if (name == QLatin1String("import"))
            return importStep(folder);
        if (name == QLatin1String("open"))
            return openStep(folder);
        if (name == QLatin1String("read"))
            return readStep(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_storage %s: %s\n", qPrintable(name), e.what());
        return 1;
    }
    std::fprintf(stderr, "bench_storage: unknown step %s\n", qPrintable(name));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("--step"))
        return step(args[2], args[3].toDouble(), args[4]);

    QList<double> lengths;
    for (int i = 1; i < args.size(); ++i) {
        bool ok = false;
        const double minutes = args[i].toDouble(&ok);
        if (!ok || minutes <= 0) {
            std::fprintf(stderr, "usage: bench_storage [MINUTES ...]\n");
            return 2;
        }
        lengths << minutes;
    }
    if (lengths.isEmpty())
        lengths = {30.0, 120.0};

    for (double minutes : lengths) {
        QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/bench-storage-XXXXXX"));
        std::printf("study of %.0f min, %d channels at %d/s (%.1f MB of samples):\n", minutes, Channels, Rate,
                    minutes * 60 * Rate * Channels * 2 / 1e6);
        std::fflush(stdout);
        for (const char* name : {"record", "export", "import", "open", "read", "record-write"}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(app.applicationFilePath(),
                        {QStringLiteral("--step"), QString::fromLatin1(name), QString::number(minutes), folder.path()});
            if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
                std::fprintf(stderr, "bench_storage: step %s failed\n", name);
                return 1;
            }
        }
    }
    return 0;
}
