// The review display's filter chain over a 30-minute 12-lead recording at 500
// per second: the time to compute what one screen shows (10 s of every lead)
// with all three filters on, cold (just rebuilt, nothing cached) and warm (the
// same screen again), at screens spread over the recording, in CPU time.
//
//   bench_pagedchain [MINUTES] [SCREENS]

#include "BenchClock.h"
#include "TEcgSynthesizer.h"
#include "TPagedFilterChain.h"
#include "TRingSignalBuffer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Reads one screen of every lead, as a display would; returns a checksum so the
// work cannot be optimised away.
double readScreen(TSignalBuffer* signal, int start, int count, std::vector<double>& values)
{
    double sum = 0.0;
    for (int c = 0; c < signal->channelCount(); ++c) {
        signal->samples(c, start, count, values.data());
        for (int i = 0; i < count; ++i)
            sum += values[size_t(i)];
    }
    return sum;
}

} // namespace

int main(int argc, char** argv)
{
    const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const int screens = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const int rate = 500;
    const int leads = 12;
    const int screenSamples = 10 * rate;

    TSynthParams params;
    params.seed = 11;
    params.durationSeconds = minutes * 60.0;
    params.samplingRate = rate;
    params.heartRateStart = 80;
    params.heartRateEnd = 170;
    const TEcgSynthesizer synth(params);

    // The whole recording in memory (a stored study would be read through the
    // file-backed buffer's pages instead).
    const int frames = int(synth.frameCount());
    TIntSignalBuffer recording(4096, frames, leads, rate);
    {
        const int chunk = 5000;
        std::vector<qint16> all(size_t(chunk) * TEcgSynthesizer::LeadCount);
        std::vector<qint16> twelve(size_t(chunk) * leads);
        for (int f = 0; f < frames; f += chunk) {
            const int n = std::min(chunk, frames - f);
            synth.render(f, n, all.data());
            for (int i = 0; i < n; ++i)
                for (int c = 0; c < leads; ++c)
                    twelve[size_t(i * leads + c)] = all[size_t(i * TEcgSynthesizer::LeadCount + c)];
            recording.append(twelve.data(), n * leads * 2);
        }
    }

    std::vector<double> values(static_cast<size_t>(screenSamples));
    std::vector<double> cold;
    std::vector<double> warm;
    std::vector<double> rebuild;
    double checksum = 0.0;
    TPagedFilterChain chain(&recording);
    for (int s = 0; s < screens; ++s) {
        // Screens spread evenly, each starting at an arbitrary place within a page.
        const int start = int((double(s) + 0.37) / screens * (frames - screenSamples));
        const double t0 = BenchClock::cpuSeconds();
        chain.rebuild(true, true, true);
        const double t1 = BenchClock::cpuSeconds();
        checksum += readScreen(chain.output(), start, screenSamples, values);
        const double t2 = BenchClock::cpuSeconds();
        checksum += readScreen(chain.output(), start, screenSamples, values);
        const double t3 = BenchClock::cpuSeconds();
        rebuild.push_back(t1 - t0);
        cold.push_back(t2 - t1);
        warm.push_back(t3 - t2);
    }

    auto report = [](const char* what, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        double sum = 0.0;
        for (double x : v)
            sum += x;
        std::printf("  %-8s mean %7.2f ms, median %7.2f ms, worst %7.2f ms\n", what, 1e3 * sum / v.size(),
                    1e3 * v[v.size() / 2], 1e3 * v.back());
    };
    std::printf("paged chain: %d min of %d-lead signal at %d/s, notch, lowpass and baseline on (%d stages); "
                "%d screens of 10 s of every lead\n",
                minutes, leads, rate, chain.stageCount(), screens);
    report("rebuild", rebuild);
    report("cold", cold);
    report("warm", warm);
    std::printf("  (checksum %.0f)\n", checksum);
    return 0;
}
