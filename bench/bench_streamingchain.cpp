// The live filter chain as the recorder runs it: a synthesized 14-lead ECG at
// 500 per second appended in 51-frame blocks, the streaming chain with all three
// filters on processing after every block. Prints seconds of signal filtered per
// CPU second (the multiple of live speed on one core).
//
//   bench_streamingchain [SECONDS] [fir|fft]

#include "BenchClock.h"
#include "TEcgSynthesizer.h"
#include "TRingSignalBuffer.h"
#include "TStreamingFilterChain.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 120;
    const char* baseline = argc > 2 ? argv[2] : "fir";
    const int rate = 500;
    const int channels = TEcgSynthesizer::LeadCount;
    const int blockFrames = 51;

    TSynthParams params;
    params.seed = 7;
    params.durationSeconds = seconds;
    params.samplingRate = rate;
    params.heartRateStart = 90;
    params.heartRateEnd = 160;
    const TEcgSynthesizer synth(params);

    TIntSignalBuffer raw(4096, 20 * 4096, channels, rate);
    TStreamingFilterChain chain(&raw);
    chain.setBaselineType(baseline);
    chain.rebuild(true, true, true);

    std::vector<qint16> block(size_t(blockFrames * channels));
    double filterCpu = 0.0;
    const qint64 frames = synth.frameCount();
    for (qint64 f = 0; f < frames; f += blockFrames) {
        const int n = int(std::min<qint64>(blockFrames, frames - f));
        synth.render(f, n, block.data());
        const double start = BenchClock::cpuSeconds();
        raw.append(block.data(), n * channels * 2);
        chain.process();
        filterCpu += BenchClock::cpuSeconds() - start;
    }

    const double signalSeconds = double(raw.length()) / rate;
    std::printf("streaming chain: %.0f s of %d-lead signal at %d/s in %d-frame blocks, notch 50hz, lowpass 40hz, "
                "baseline %s (%d stages)\n",
                signalSeconds, channels, rate, blockFrames, baseline, chain.stageCount());
    std::printf("  append + process: %.3f CPU s = %.0f s of signal per CPU second (%.0fx live)\n", filterCpu,
                signalSeconds / filterCpu, signalSeconds / filterCpu);
    std::printf("  output: %d samples per lead (lag %d)\n", chain.output()->length(),
                raw.length() - chain.output()->length());
    return 0;
}
