#pragma once

// Signals and measurements shared by the filter tests.

#include "TRingSignalBuffer.h"

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace TestSignals {

constexpr double Pi = 3.14159265358979323846;

// A ring buffer large enough for everything the test appends.
inline std::unique_ptr<TIntSignalBuffer> intBuffer(int channels, int rate, int capacity = 1 << 20, int pageSize = 4096)
{
    return std::make_unique<TIntSignalBuffer>(pageSize, capacity, channels, rate);
}

// Appends count samples of value(channel, index) to every channel, from the
// buffer's current length on, in blocks of `block` frames.
inline void appendSignal(TSignalBuffer& buffer, int count, const std::function<double(int, int)>& value,
                         int block = 4096)
{
    const int channels = buffer.channelCount();
    std::vector<std::vector<double>> columns(static_cast<size_t>(channels));
    std::vector<const double*> pointers(static_cast<size_t>(channels));
    for (int done = 0; done < count; done += block) {
        const int n = std::min(block, count - done);
        const int first = buffer.length();
        for (int c = 0; c < channels; ++c) {
            columns[size_t(c)].resize(size_t(n));
            for (int i = 0; i < n; ++i)
                columns[size_t(c)][size_t(i)] = value(c, first + i);
            pointers[size_t(c)] = columns[size_t(c)].data();
        }
        buffer.appendDoubles(pointers.data(), n);
    }
}

inline std::function<double(int, int)> sine(double amplitude, double hz, int rate, double phase = 0.0)
{
    return [=](int, int i) { return amplitude * std::sin(2.0 * Pi * hz * i / rate + phase); };
}

// Values [start, start + count) of one channel.
inline std::vector<double> read(const TSignalBuffer& buffer, int channel, int start, int count)
{
    std::vector<double> v(static_cast<size_t>(std::max(0, count)));
    if (count > 0)
        buffer.samples(channel, start, count, v.data());
    return v;
}

// Amplitude of the sine at hz in y (sample 0 at index 0), fitted by least squares
// together with a constant.
inline double sineAmplitude(const std::vector<double>& y, double hz, int rate)
{
    // Normal equations for y ~ a sin + b cos + c.
    double m[3][3] = {};
    double r[3] = {};
    for (size_t i = 0; i < y.size(); ++i) {
        const double w = 2.0 * Pi * hz * double(i) / rate;
        const double basis[3] = {std::sin(w), std::cos(w), 1.0};
        for (int p = 0; p < 3; ++p) {
            r[p] += basis[p] * y[i];
            for (int q = 0; q < 3; ++q)
                m[p][q] += basis[p] * basis[q];
        }
    }
    // Gaussian elimination; the system is well conditioned over whole periods.
    for (int p = 0; p < 3; ++p) {
        for (int q = p + 1; q < 3; ++q) {
            const double f = m[q][p] / m[p][p];
            for (int k = p; k < 3; ++k)
                m[q][k] -= f * m[p][k];
            r[q] -= f * r[p];
        }
    }
    double x[3];
    for (int p = 2; p >= 0; --p) {
        double s = r[p];
        for (int k = p + 1; k < 3; ++k)
            s -= m[p][k] * x[k];
        x[p] = s / m[p][p];
    }
    return std::hypot(x[0], x[1]);
}

// Magnitude of the frequency response of FIR taps at hz.
inline double firMagnitude(const double* taps, int count, int rate, double hz)
{
    double re = 0.0;
    double im = 0.0;
    for (int n = 0; n < count; ++n) {
        const double w = 2.0 * Pi * hz * n / rate;
        re += taps[n] * std::cos(w);
        im += taps[n] * std::sin(w);
    }
    return std::sqrt(re * re + im * im);
}

inline double largestAbsolute(const std::vector<double>& v, size_t from = 0, size_t to = size_t(-1))
{
    double m = 0.0;
    for (size_t i = from; i < std::min(to, v.size()); ++i)
        m = std::max(m, std::fabs(v[i]));
    return m;
}

} // namespace TestSignals
