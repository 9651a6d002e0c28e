// filter-response: measures the magnitude responses of the built filters by
// sending sines through them, independently of the coefficients: every FIR table
// through a streaming stage (beside its required values), the stages of the
// paged chain at 500 and 1000 per second, the FFT baseline filter, and the whole
// streaming chain at 500 per second with all filters on.
//
//   filter-response

#include "TFftBaselineFilter.h"
#include "TFilterDesigns.h"
#include "TFirDesignCatalogue.h"
#include "TFirStreamFilter.h"
#include "TPagedFilterChain.h"
#include "TRingSignalBuffer.h"
#include "TStreamingFilterChain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Amplitude = 8000.0;

void appendSine(TSignalBuffer& buffer, double hz, int length)
{
    std::vector<double> values(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        values[size_t(i)] = Amplitude * std::sin(2.0 * Pi * hz * i / buffer.samplingRate());
    const double* column = values.data();
    buffer.appendDoubles(&column, length);
}

std::unique_ptr<TIntSignalBuffer> sineBuffer(int rate, double hz, int length)
{
    auto buffer = std::make_unique<TIntSignalBuffer>(4096, length, 1, rate);
    appendSine(*buffer, hz, length);
    return buffer;
}

// Amplitude of the sine at hz over [start, start + count), fitted by least
// squares with a constant.
double amplitudeOf(const TSignalBuffer& signal, double hz, int start, int count)
{
    std::vector<double> y(static_cast<size_t>(count));
    signal.samples(0, start, count, y.data());
    double m[3][3] = {};
    double r[3] = {};
    const int rate = signal.samplingRate();
    for (int i = 0; i < count; ++i) {
        const double w = 2.0 * Pi * hz * (start + i) / rate;
        const double basis[3] = {std::sin(w), std::cos(w), 1.0};
        for (int p = 0; p < 3; ++p) {
            r[p] += basis[p] * y[size_t(i)];
            for (int q = 0; q < 3; ++q)
                m[p][q] += basis[p] * basis[q];
        }
    }
    for (int p = 0; p < 3; ++p)
        for (int q = p + 1; q < 3; ++q) {
            const double f = m[q][p] / m[p][p];
            for (int k = p; k < 3; ++k)
                m[q][k] -= f * m[p][k];
            r[q] -= f * r[p];
        }
    double x[3];
    for (int p = 2; p >= 0; --p) {
        double s = r[p];
        for (int k = p + 1; k < 3; ++k)
            s -= m[p][k] * x[k];
        x[p] = s / m[p][p];
    }
    return std::hypot(x[0], x[1]) / Amplitude;
}

// Samples enough for the slowest filters to settle and for 8 periods to be measured.
int measureLength(int rate, double hz)
{
    return std::max(4 * rate, int(std::ceil(8.0 * rate / hz)));
}

void firTables()
{
    std::printf("FIR tables, each through a streaming stage (required / measured):\n");
    std::vector<TFirTableId> ids = TFirTables::all();
    for (const TFirDesignTarget& target : TFirDesignCatalogue::targets()) {
        const TFirTable* table = nullptr;
        for (TFirTableId id : ids)
            if (std::strcmp(TFirTables::table(id).name, target.name) == 0)
                table = &TFirTables::table(id);
        if (!table)
            continue;
        std::printf("  %-18s", target.name);
        std::vector<TResponsePoint> points = target.points;
        if (target.start.shape == TFirShape::Bandstop)
            points.insert(points.begin(), TResponsePoint{target.start.centreHz, 0.0, 1.0});
        for (const TResponsePoint& p : points) {
            const int rate = table->samplingRate;
            const int count = measureLength(rate, p.hz);
            auto source = sineBuffer(rate, p.hz, table->taps + count + table->taps);
            TFirStreamFilter filter(table->values(), table->delay());
            filter.setSource(source.get(), 0);
            filter.process();
            std::printf("  %g Hz %.3f/%.4f", p.hz, p.value, amplitudeOf(*filter.output(), p.hz, table->taps, count));
        }
        std::printf("\n");
    }
}

// Gain of one stage (1 or later) of a paged chain, its output over its input, in
// the middle of a long sine.
void pagedStage(const char* name, int rate, bool notch, bool lowpass, bool baseline, int stage,
                const std::vector<double>& frequencies)
{
    std::printf("  %-28s", name);
    for (double hz : frequencies) {
        const int length = 12 * 4096;
        auto source = sineBuffer(rate, hz, length);
        TPagedFilterChain chain(source.get());
        chain.rebuild(notch, lowpass, baseline);
        const int start = 5 * 4096;
        const int count = std::min(6 * 4096 - 10, measureLength(rate, hz));
        const TSignalBuffer* in = chain.stage(stage - 1);
        const double gain =
            amplitudeOf(*chain.stage(stage), hz, start, count) / amplitudeOf(*in, hz, start, count);
        std::printf("  %g Hz %.4f", hz, gain);
    }
    std::printf("\n");
}

void pagedChain()
{
    std::printf("Paged chain stages, forward and backward (measured, stage output / input):\n");
    pagedStage("input highpass IIR, 500", 500, false, false, false, 1, {0.1, 0.25, 0.5, 1.0, 5.0});
    pagedStage("notch IIR, 500", 500, true, false, false, 2, {40.0, 45.0, 48.0, 50.0, 52.0, 55.0, 60.0});
    pagedStage("notch IIR, 1000", 1000, true, false, false, 1, {40.0, 45.0, 48.0, 50.0, 52.0, 55.0, 60.0});
    pagedStage("lowpass 40hz FIR, 500", 500, false, true, false, 2, {25.0, 40.0, 60.0, 100.0});
    pagedStage("baseline IIR, 500", 500, false, false, true, 2, {0.3, 0.5, 0.75, 1.0, 2.0});
    pagedStage("baseline IIR, 1000", 1000, false, false, true, 1, {0.3, 0.5, 0.65, 1.0, 2.0});
}

void fftBaseline()
{
    std::printf("FFT baseline filter, 500 per second (measured):\n ");
    for (double hz : {0.1, 0.3, 0.5, 0.75, 1.0, 2.0, 10.0}) {
        const int count = measureLength(500, hz);
        auto source = sineBuffer(500, hz, count + 3000);
        TFftBaselineFilter filter;
        filter.setSource(source.get(), 0);
        filter.process();
        std::printf("  %g Hz %.4f", hz, amplitudeOf(*filter.output(), hz, 1024, count));
    }
    std::printf("\n");
}

void streamingChain()
{
    std::printf("Streaming chain, 500 per second, all filters on (50hz, 40hz, fir; measured):\n ");
    for (double hz : {0.3, 0.5, 1.0, 5.0, 25.0, 40.0, 45.0, 50.0, 55.0, 60.0, 100.0}) {
        const int count = measureLength(500, hz);
        TIntSignalBuffer source(4096, count + 4000, 1, 500);
        TStreamingFilterChain chain(&source);
        chain.rebuild(true, true, true);
        appendSine(source, hz, count + 4000);
        chain.process();
        std::printf("  %g Hz %.4f", hz, amplitudeOf(*chain.output(), hz, 2000, count));
    }
    std::printf("\n");
}

} // namespace

int main()
{
    firTables();
    pagedChain();
    fftBaseline();
    streamingChain();
    return 0;
}
