// The recording engine's data path: synthesized 14-lead signal at 500 per
// second in 51-frame blocks, as the driver hands them over, through analysis,
// display filters and the copy into a study's recording.
//
//   bench_engine throughput [MINUTES]   seconds of signal per CPU second (default 10 min)
//   bench_engine memory [MINUTES]       resident memory after the first minute and at the end (default 60)
//   bench_engine latency [SECONDS]      block arrival at the driver to the listeners' update, demo device, live
//   bench_engine finder [SECONDS]       a finished recording's beats found again, first second to last (default 10)
//
// The study is one of a study store, its recording and beats written to its
// files as they come: in a temporary folder (in the working directory), or in
// the data folder DIR with --folder DIR; --folder memory holds it in memory.

#include "BenchClock.h"
#include "BenchMemory.h"
#include "TAcqDevice.h"
#include "TBeat.h"
#include "TBeatStore.h"
#include "TDemoAcqDevice.h"
#include "TEcgSynthesizer.h"
#include "TLeadTable.h"
#include "TProtocol.h"
#include "TQtAcqDriver.h"
#include "TRecorderListener.h"
#include "TRecordingBeatFinder.h"
#include "TRingSignalBuffer.h"
#include "TStudy.h"
#include "TStudyRecorder.h"
#include "BenchStudy.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr int Rate = 500;
constexpr int BlockFrames = 51;

using BenchMemory::residentMegabytes;

// A device that only describes the synthesized signal: the benchmark hands
// the blocks to the engine itself, as the driver's slot does.
class ShapeDevice : public TAcqDevice
{
public:
    void start() override {}
    bool isOk() override { return true; }
    int status() override { return 0; }
    int bytesAvailable() override { return 0; }
    int read(char*, int) override { return 0; }
    int nextPacemakerPulse() override { return 0; }
    void reset() override {}
    bool isChannelSaturated(int) override { return false; }
    bool isElectrodeOff(const char*) override { return false; }
    void stop() override {}
    const char* errorString() override { return ""; }
    double batteryLevel() override { return 0.0; }
    int channelCount() override { return TEcgSynthesizer::LeadCount; }
    const char* channelName(int channel) override { return TLeadTable::leadName(channel); }
    int samplingRate() override { return Rate; }
    int sampleSize() override { return 2; }
    int resolution() override { return 16; }
    double gainMin() override { return -300.0; }
    double gainMax() override { return 300.0; }
};

// The demo device, noting when the driver's worker takes each block.
class TimedDevice : public TAcqDevice
{
public:
    explicit TimedDevice(TAcqDevice* inner) : m_inner(inner) {}
    void start() override { m_inner->start(); }
    bool isOk() override { return m_inner->isOk(); }
    int status() override { return m_inner->status(); }
    int bytesAvailable() override { return m_inner->bytesAvailable(); }
    int read(char* buffer, int count) override
    {
        const int n = m_inner->read(buffer, count);
        if (n > 0) {
            std::lock_guard<std::mutex> lock(m_mutex);
            arrivals.push_back(std::chrono::steady_clock::now());
        }
        return n;
    }
    int nextPacemakerPulse() override { return m_inner->nextPacemakerPulse(); }
    void reset() override { m_inner->reset(); }
    bool isChannelSaturated(int c) override { return m_inner->isChannelSaturated(c); }
    bool isElectrodeOff(const char* e) override { return m_inner->isElectrodeOff(e); }
    void stop() override { m_inner->stop(); }
    const char* errorString() override { return m_inner->errorString(); }
    double batteryLevel() override { return m_inner->batteryLevel(); }
    int channelCount() override { return m_inner->channelCount(); }
    const char* channelName(int c) override { return m_inner->channelName(c); }
    int samplingRate() override { return m_inner->samplingRate(); }
    int sampleSize() override { return m_inner->sampleSize(); }
    int resolution() override { return m_inner->resolution(); }
    double gainMin() override { return m_inner->gainMin(); }
    double gainMax() override { return m_inner->gainMax(); }

    std::vector<std::chrono::steady_clock::time_point> takeArrivals()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return arrivals;
    }

private:
    TAcqDevice* m_inner;
    std::mutex m_mutex;
    std::vector<std::chrono::steady_clock::time_point> arrivals;
};

class UpdateClock : public TRecorderListener
{
public:
    void update(TStudyRecorder*) override { updates.push_back(std::chrono::steady_clock::now()); }
    void beat(TStudyRecorder*, const TBeat&, const TBeatRecord*, int) override { ++beats; }
    void started(TStudyRecorder*) override {}
    void stageChanged(TStudyRecorder*) override {}
    void stopped(TStudyRecorder*) override {}
    void message(TStudyRecorder*, const QString& text) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    std::vector<std::chrono::steady_clock::time_point> updates;
    int beats = 0;
};

TProtocol longProtocol()
{
    TProtocol p;
    p.setName("Bench");
    p.setType(TProtocol::Treadmill);
    for (int i = 0; i < 7; ++i)
        p.appendStage(TProtocolStage::Exercise, 180, 2.7 + i, 10 + i);
    p.appendStage(TProtocolStage::Recovery, 36000, 1.0, 0);
    return p;
}

TSynthParams benchParams(double seconds)
{
    TSynthParams params;
    params.seed = 5;
    params.durationSeconds = seconds;
    params.heartRateStart = 90;
    params.heartRateEnd = 170;
    params.rampStartSeconds = 0;
    params.rampEndSeconds = -1;
    return params;
}

// Plays seconds of synthesized signal into the engine; afterMinute runs after
// each minute of signal.
void play(TStudyRecorder& recorder, const TEcgSynthesizer& synth, const std::vector<qint16>* prerendered,
          const std::function<void(int)>& afterMinute = {})
{
    const int channels = TEcgSynthesizer::LeadCount;
    std::vector<qint16> block(size_t(BlockFrames) * channels);
    TIntSignalBuffer* raw = recorder.rawSignal();
    qint64 nextMinute = qint64(Rate) * 60;
    for (qint64 first = 0; first + BlockFrames <= synth.frameCount(); first += BlockFrames) {
        const qint16* data;
        if (prerendered) {
            data = prerendered->data() + first * channels;
        } else {
            synth.render(first, BlockFrames, block.data());
            data = block.data();
        }
        raw->append(data, BlockFrames * channels * int(sizeof(qint16)));
        recorder.onData(recorder.driver());
        if (first + BlockFrames >= nextMinute) {
            if (afterMinute)
                afterMinute(int(nextMinute / (Rate * 60)));
            nextMinute += qint64(Rate) * 60;
        }
    }
}

int throughput(double minutes, const QString& folder)
{
    const TEcgSynthesizer synth(benchParams(minutes * 60));
    std::vector<qint16> signal(size_t(synth.frameCount()) * TEcgSynthesizer::LeadCount);
    synth.render(0, int(synth.frameCount()), signal.data());
    ShapeDevice device;
    BenchStudy study(folder, device);
    const TProtocol protocol = longProtocol();
    TStudyRecorder recorder(&device, study.study(), &protocol, nullptr);
    recorder.setFilters(true, true, true);
    UpdateClock clock;
    recorder.addListener(&clock);
    // The analysis runs once acquisition has been started through the engine.
    recorder.startAcquisition();
    recorder.stopAcquisition();
    recorder.start(QStringLiteral("20261207120000"));
    const double cpu0 = BenchClock::cpuSeconds();
    const double wall0 = BenchClock::wallSeconds();
    play(recorder, synth, &signal);
    recorder.stop();
    const double cpu = BenchClock::cpuSeconds() - cpu0;
    const double wall = BenchClock::wallSeconds() - wall0;
    const double seconds = recorder.recordingTime();
    std::printf("engine throughput: %.0f s of 14-lead 500/s signal in 51-frame blocks, recording %s\n", seconds,
                qPrintable(study.where()));
    std::printf("  %.2f CPU s (%.2f wall s): %.0f s of signal per CPU second = %.0fx live\n", cpu, wall,
                seconds / cpu, seconds / cpu);
    std::printf("  %d beats, %d stored, %d samples recorded, heart rate at the end %.0f/min\n", clock.beats,
                study.study()->beats()->count(), study.study()->recording()->length(), recorder.heartRate());
    return 0;
}

int memory(double minutes, const QString& folder)
{
    const TEcgSynthesizer synth(benchParams(minutes * 60));
    ShapeDevice device;
    BenchStudy study(folder, device);
    const TProtocol protocol = longProtocol();
    TStudyRecorder recorder(&device, study.study(), &protocol, nullptr);
    recorder.setFilters(true, true, true);
    recorder.startAcquisition();
    recorder.stopAcquisition();
    recorder.start(QStringLiteral("20261207120000"));
    double afterFirst = 0.0;
    const double atStart = residentMegabytes();
    play(recorder, synth, nullptr, [&](int minute) {
        const double rss = residentMegabytes();
        if (minute == 1)
            afterFirst = rss;
        if (minute == 1 || minute % 10 == 0)
            std::printf("  minute %3d: resident %.1f MB\n", minute, rss);
    });
    recorder.stop();
    const double atEnd = residentMegabytes();
    std::printf("engine memory: %.0f min recorded, recording %s\n", recorder.recordingTime() / 60,
                qPrintable(study.where()));
    std::printf("  resident before %.1f MB, after the first minute %.1f MB, at the end %.1f MB: growth %.1f MB\n",
                atStart, afterFirst, atEnd, atEnd - afterFirst);
    std::printf("  %d beats stored, %d samples recorded\n", study.study()->beats()->count(),
                study.study()->recording()->length());
    return 0;
}

int latency(double seconds)
{
    TDemoAcqDevice demo;
    TimedDevice device(&demo);
    TStudy study(TStudyRecord(), std::make_unique<TIntSignalBuffer>(4096, 1 << 22, device.channelCount(), Rate),
                 std::make_unique<TMemoryBeatStore>());
    const TProtocol protocol = longProtocol();
    TStudyRecorder recorder(&device, &study, &protocol, nullptr);
    recorder.setFilters(true, true, true);
    UpdateClock clock;
    recorder.addListener(&clock);
    recorder.startAcquisition();
    recorder.start(QStringLiteral("20261207120000"));
    // The event loop waits for the blocks as a window's does.
    QTimer::singleShot(int(seconds * 1000), QCoreApplication::instance(), &QCoreApplication::quit);
    const double cpu0 = BenchClock::cpuSeconds();
    QCoreApplication::exec();
    const double cpu = BenchClock::cpuSeconds() - cpu0;
    recorder.stopAcquisition();
    QCoreApplication::processEvents();
    const auto arrivals = device.takeArrivals();
    const size_t n = std::min(arrivals.size(), clock.updates.size());
    std::vector<double> ms;
    for (size_t i = 0; i < n; ++i)
        ms.push_back(std::chrono::duration<double, std::milli>(clock.updates[i] - arrivals[i]).count());
    if (ms.empty()) {
        std::printf("engine latency: no blocks\n");
        return 1;
    }
    std::sort(ms.begin(), ms.end());
    const auto at = [&ms](double q) { return ms[std::min(ms.size() - 1, size_t(q * double(ms.size())))]; };
    std::printf("engine latency: demo device at the live rate, %.0f s, %zu blocks (%zu taken by the worker)\n",
                seconds, n, arrivals.size());
    std::printf("  block taken by the driver's worker to the listeners' update: median %.2f ms, 99th percentile "
                "%.2f ms, largest %.2f ms\n",
                at(0.5), at(0.99), ms.back());
    std::printf("  process CPU %.2f s for %.0f s of live signal (%.1f %% of one core)\n", cpu, seconds,
                100.0 * cpu / seconds);
    return 0;
}

// What Stop adds to a resting ECG: its recording, read from the study's sample
// file, run through the analysis again from its first second to its last.
int finder(double seconds, const QString& folder)
{
    TSynthParams params = benchParams(seconds);
    params.heartRateEnd = params.heartRateStart;
    const TEcgSynthesizer synth(params);
    ShapeDevice device;
    BenchStudy study(folder, device);
    {
        TStudyRecorder recorder(&device, study.study(), nullptr, nullptr);
        recorder.startAcquisition();
        recorder.stopAcquisition();
        recorder.start(QStringLiteral("20261207120000"));
        play(recorder, synth, nullptr);
        recorder.stop();
    }
    TSignalBuffer* recording = study.study()->recording();
    const double before = residentMegabytes();
    const double cpu0 = BenchClock::cpuSeconds();
    const double wall0 = BenchClock::wallSeconds();
    TRecordingBeatFinder finder(*recording);
    int beats = 0;
    int regular = 0;
    finder.find([&](const TBeat& beat) {
        ++beats;
        regular += beat.value(TBeat::MeanRR) > 0.0;
    });
    const double cpu = BenchClock::cpuSeconds() - cpu0;
    const double wall = BenchClock::wallSeconds() - wall0;
    const double length = recording->durationSeconds();
    std::printf("recording beat finder: %.0f s of 14-lead 500/s recording %s\n", length, qPrintable(study.where()));
    std::printf("  %.3f CPU s (%.3f wall s): %.0f s of recording per CPU second\n", cpu, wall, length / cpu);
    std::printf("  %d beats found (%d with their mean RR), %d stored live; resident %.1f MB before, %.1f MB after\n",
                beats, regular, study.study()->beats()->count(), before, residentMegabytes());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString folder;
    const int f = args.indexOf(QStringLiteral("--folder"));
    if (f >= 0 && f + 1 < args.size()) {
        folder = args[f + 1];
        args.erase(args.begin() + f, args.begin() + f + 2);
    }
    const QString mode = args.value(0, QStringLiteral("throughput"));
    bool ok = false;
    double amount = args.value(1).toDouble(&ok);
    if (mode == QLatin1String("throughput"))
        return throughput(ok && amount > 0 ? amount : 10.0, folder);
    if (mode == QLatin1String("memory"))
        return memory(ok && amount > 0 ? amount : 60.0, folder);
    if (mode == QLatin1String("latency"))
        return latency(ok && amount > 0 ? amount : 60.0);
    if (mode == QLatin1String("finder"))
        return finder(ok && amount > 0 ? amount : 10.0, folder);
    std::fprintf(stderr, "usage: bench_engine [throughput [MINUTES] | memory [MINUTES] | latency [SECONDS] | "
                         "finder [SECONDS]] "
                         "[--folder DIR]\n");
    return 2;
}
