// Appends 14-channel blocks of 51 frames to an integer ring buffer, as the
// acquisition driver does, and reads every page back, as the displays and
// filters do. Prints samples per CPU second as a multiple of the live rate.

#include "BenchClock.h"
#include "TRingSignalBuffer.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    const int channels = 14;
    const int rate = 500;
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 3600;
    const int blockFrames = 51;
    const qint64 frames = qint64(seconds) * rate;

    std::vector<qint16> block(size_t(blockFrames * channels));
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = qint16((i * 37) % 2000 - 1000);

    // A ring large enough to keep the whole run, so every page can be read back.
    TIntSignalBuffer buffer(4096, int(frames) + blockFrames, channels, rate);
    const double appendStart = BenchClock::cpuSeconds();
    for (qint64 f = 0; f < frames; f += blockFrames)
        buffer.append(block.data(), int(block.size() * 2));
    const double appendSeconds = BenchClock::cpuSeconds() - appendStart;

    const double readStart = BenchClock::cpuSeconds();
    qint64 checksum = 0;
    for (int page = 0; page < buffer.pageCount(); ++page) {
        for (int c = 0; c < channels; ++c) {
            const qint16* values = buffer.getInt16Page(c, page);
            for (int i = 0; i < buffer.pageSize(); ++i)
                checksum += values[i];
            buffer.releasePage(c, page);
        }
        if (page % 64 == 63)
            buffer.releaseUnusedPages();
    }
    const double readSeconds = BenchClock::cpuSeconds() - readStart;

    const double samples = double(buffer.length()) * channels;
    const double liveRate = double(rate) * channels;
    std::printf("signal buffer: %d s of %d-channel signal at %d/s in %d-frame blocks\n", seconds, channels, rate,
                blockFrames);
    std::printf("  append: %.3f CPU s, %.0f samples per CPU second = %.0fx live\n", appendSeconds,
                samples / appendSeconds, samples / appendSeconds / liveRate);
    std::printf("  pages : %.3f CPU s, %.0f samples per CPU second = %.0fx live (checksum %lld)\n", readSeconds,
                samples / readSeconds, samples / readSeconds / liveRate, static_cast<long long>(checksum));
    return 0;
}
