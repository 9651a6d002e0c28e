// Render times of the signal displays on a full-HD canvas: the live monitor
// display (12 leads at 25 mm/s, refreshed every 0.1 s of signal as the windows do),
// a 10-second browse window scrolled through a recording, and a trend plot of 3000
// points. Prints CPU milliseconds per render and, for the live display, seconds of
// signal per CPU second.

#include "BenchClock.h"
#include "PlotPointList.h"
#include "QPlotGraphic.h"
#include "QSignalBrowseDisplay.h"
#include "QSignalMonitorDisplay.h"
#include "StoredAverageBeats.h"
#include "TBeatStore.h"
#include "TEcgSynthesizer.h"
#include "TLeadTable.h"
#include "TRingSignalBuffer.h"

#include <QApplication>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int Leads = TEcgSynthesizer::LeadCount;
constexpr int Rate = 500;

QImage canvas(int dotsPerMetre)
{
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    return image;
}

std::unique_ptr<TIntSignalBuffer> newSignal(const TEcgSynthesizer& synth, int capacity)
{
    auto buffer = std::make_unique<TIntSignalBuffer>(4096, capacity, Leads, Rate);
    buffer->setResolution(16);
    buffer->setGain(-synth.params().gainMv, synth.params().gainMv);
    for (int i = 0; i < Leads; ++i)
        buffer->channel(i)->setName(TLeadTable::leadName(i));
    return buffer;
}

template <typename Display>
void twelveLeads(Display& display)
{
    display.setLeadVisible(TLeadTable::CM5, false);
    display.setLeadVisible(TLeadTable::CR5, false);
}

StoredAverageBeats templates(double millivoltsPerUnit)
{
    StoredAverageBeats beats(400, Rate, millivoltsPerUnit);
    std::vector<double> beat(400);
    for (int i = 0; i < 400; ++i)
        beat[size_t(i)] = 200.0 * std::exp(-0.5 * std::pow((i - 150) / 6.0, 2.0));
    for (int lead = 0; lead < Leads; ++lead) {
        beats.setAverageBeat(lead, beat);
        beats.setReferenceBeat(lead, beat);
    }
    return beats;
}

void benchMonitor(const TEcgSynthesizer& synth, int seconds, bool inset)
{
    auto signal = newSignal(synth, 60 * Rate);
    StoredAverageBeats beats = templates(signal->valueStep());
    QSignalMonitorDisplay display;
    twelveLeads(display);
    display.setSignal(signal.get());
    if (inset) {
        display.setAverageBeatSource(&beats);
        display.setShowAverageBeat(true);
    }
    // 96 dpi: 1920 px are 508 mm, 20.3 s at 25 mm/s.
    QImage image = canvas(3780);
    const int block = Rate / 10;
    std::vector<qint16> frames(size_t(block) * Leads);
    double renderSeconds = 0.0;
    int renders = 0;
    for (qint64 f = 0; f < qint64(seconds) * Rate; f += block) {
        synth.render(f % synth.frameCount(), block, frames.data());
        signal->append(frames.data(), int(frames.size() * 2));
        const double start = BenchClock::cpuSeconds();
        display.render(image);
        renderSeconds += BenchClock::cpuSeconds() - start;
        ++renders;
    }
    std::printf("monitor display, 1920x1080 at 96 dpi (%d mm), 12 leads, 25 mm/s%s:\n", image.widthMM(),
                inset ? ", average-beat inset" : "");
    std::printf("  %d refreshes every 0.1 s of signal: %.2f ms per refresh, %.0f s of signal per CPU second\n",
                renders, 1000.0 * renderSeconds / renders, seconds / renderSeconds);
}

void benchMonitorWidget(const TEcgSynthesizer& synth, int seconds)
{
    // The widget itself, shown: refresh renders its canvas and repaints the screen.
    auto signal = newSignal(synth, 60 * Rate);
    QSignalMonitorDisplay display;
    display.resize(1920, 1080);
    display.show();
    twelveLeads(display);
    display.setSignal(signal.get());
    const int block = Rate / 10;
    std::vector<qint16> frames(size_t(block) * Leads);
    double refreshSeconds = 0.0;
    int refreshes = 0;
    for (qint64 f = 0; f < qint64(seconds) * Rate; f += block) {
        synth.render(f % synth.frameCount(), block, frames.data());
        signal->append(frames.data(), int(frames.size() * 2));
        const double start = BenchClock::cpuSeconds();
        display.refresh();
        refreshSeconds += BenchClock::cpuSeconds() - start;
        ++refreshes;
    }
    std::printf("monitor display widget 1920x1080 (%d mm), refresh with synchronous repaint:\n",
                display.canvas().widthMM());
    std::printf("  %.2f ms per refresh\n", 1000.0 * refreshSeconds / refreshes);
}

void benchBrowse(const TEcgSynthesizer& synth, int windows)
{
    const int seconds = 300;
    auto signal = newSignal(synth, seconds * Rate);
    std::vector<qint16> frames(size_t(seconds) * Rate * Leads);
    synth.render(0, seconds * Rate, frames.data());
    signal->append(frames.data(), int(frames.size() * 2));
    TMemoryBeatStore beats;
    double previous = -1.0;
    for (const TSynthBeat& b : synth.beats()) {
        if (b.rTime >= seconds)
            break;
        TBeat beat(beats.count());
        beat.setValue(TBeat::Time, b.rTime);
        if (previous >= 0.0)
            beat.setValue(TBeat::RR, b.rTime - previous);
        previous = b.rTime;
        beats.append(beat);
    }
    QSignalBrowseDisplay display;
    twelveLeads(display);
    display.setSignal(signal.get());
    display.setBeatList(&beats);
    display.setSelectedBeat(10);
    // 1920 px over 250 mm: a 10-second window at 25 mm/s.
    QImage image = canvas(7680);
    double renderSeconds = 0.0;
    for (int i = 0; i < windows; ++i) {
        display.setStartTime(std::fmod(i * 2.7, seconds - 10.0));
        const double start = BenchClock::cpuSeconds();
        display.render(image);
        renderSeconds += BenchClock::cpuSeconds() - start;
    }
    std::printf("browse display, 1920x1080, 10 s window (%d mm at 25 mm/s), 12 leads, beat ticks:\n",
                image.widthMM());
    std::printf("  %d windows: %.2f ms per render\n", windows, 1000.0 * renderSeconds / windows);
}

void benchPlot(int renders)
{
    PlotPointList series;
    for (int i = 0; i < 3000; ++i)
        series.append(i * 0.4, 120.0 + 50.0 * std::sin(i / 300.0) + (i % 7));
    QImage image(900, 200, QImage::Format_ARGB32_Premultiplied);
    for (int type : {QPlotGraphic::Line, QPlotGraphic::Points}) {
        QPlotGraphic plot;
        plot.setSource(&series);
        plot.setPlotType(type);
        plot.setXFormat(QStringLiteral("mm:ss"));
        plot.autoRange();
        plot.setSelectedValue(600.0);
        const double start = BenchClock::cpuSeconds();
        for (int i = 0; i < renders; ++i)
            plot.render(image);
        const double elapsed = BenchClock::cpuSeconds() - start;
        std::printf("trend plot, 900x200, 3000 points, %s: %.2f ms per render\n",
                    type == QPlotGraphic::Line ? "line" : "points", 1000.0 * elapsed / renders);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;

    TSynthParams params;
    params.seed = 11;
    params.durationSeconds = 300.0;
    params.heartRateStart = 90.0;
    params.heartRateEnd = 180.0;
    const TEcgSynthesizer synth(params);

    benchMonitor(synth, seconds, false);
    benchMonitor(synth, seconds, true);
    benchMonitorWidget(synth, seconds);
    benchBrowse(synth, seconds * 2);
    benchPlot(seconds * 2);
    return 0;
}
