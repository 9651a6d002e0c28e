#pragma once

#include "TSampleConversion.h"
#include "TSignalBuffer.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

// TSignalBuffer variant that keeps the most recent ringCapacity samples of every
// channel in memory. T is qint16 (codes) or double (signals that need fractions).
template <typename T>
class TRingSignalBuffer : public TSignalBuffer
{
    static_assert(std::is_same<T, qint16>::value || std::is_same<T, double>::value, "qint16 or double");

public:
    TRingSignalBuffer(int pageSize, int ringCapacity, int channelCount, int samplingRate)
        : TSignalBuffer(pageSize, channelCount, samplingRate, std::is_same<T, qint16>::value ? 16 : 64),
          m_capacity(std::max(1, ringCapacity)),
          m_rings(size_t(this->channelCount()) * size_t(m_capacity), T(0))
    {
    }

    ~TRingSignalBuffer() override { freeAllPages(); }

    int ringCapacity() const { return m_capacity; }
    // First index still held.
    int firstRetained() const { return std::max(0, length() - m_capacity); }

    TSampleType sampleType() const override
    {
        return std::is_same<T, qint16>::value ? TSampleType::Int16 : TSampleType::Double;
    }

    int sample(int channel, int index) const override
    {
        if (channel < 0 || channel >= channelCount() || index < 0 || index >= length() || index < firstRetained())
            return 0;
        return int(ring(channel)[index % m_capacity]);
    }

    // Value with its fraction; 0.0 where sample() gives 0.
    double value(int channel, int index) const
    {
        if (channel < 0 || channel >= channelCount() || index < 0 || index >= length() || index < firstRetained())
            return 0.0;
        return double(ring(channel)[index % m_capacity]);
    }

    void samples(int channel, int start, int count, double* out) const override
    {
        copyRange(channel, start, count, out);
    }

    // Like samples, into the variant's own type.
    void copyValues(int channel, int start, int count, T* out) const { copyRange(channel, start, count, out); }

    void* loadPage(int channel, int page) override
    {
        if (channel < 0 || channel >= channelCount() || page < 0 || page >= pageCount())
            return nullptr;
        T* data = new T[size_t(pageSize())];
        const int start = page * pageSize();
        if (start < firstRetained())
            std::fill(data, data + pageSize(), T(0));
        else
            copyRange(channel, start, pageSize(), data);
        return data;
    }

    void freePage(void* page) override { delete[] static_cast<T*>(page); }

    void append(const void* data, int bytes) override
    {
        const int channels = channelCount();
        if (channels > 0 && bytes > 0 && data) {
            const int frames = bytes / int(sizeof(T) * size_t(channels));
            const unsigned char* p = static_cast<const unsigned char*>(data);
            for (int f = 0; f < frames; ++f) {
                for (int c = 0; c < channels; ++c) {
                    T v;
                    std::memcpy(&v, p, sizeof(T));
                    p += sizeof(T);
                    ring(c)[m_writePosition] = v;
                }
                advanceWritePosition(1);
            }
            advanceLength(frames);
        }
        TSignalBuffer::append(data, bytes);
    }

    void appendChannels(const qint16* const* channels, int count) override
    {
        storeColumns(channels, count, [](qint16 v) { return T(v); });
        TSignalBuffer::appendChannels(channels, count);
    }

    void appendDoubles(const double* const* channels, int count) override
    {
        if constexpr (std::is_same<T, qint16>::value)
            storeColumns(channels, count, [](double v) { return T(saturatingCode(v)); });
        else
            storeColumns(channels, count, [](double v) { return T(v); });
        TSignalBuffer::appendDoubles(channels, count);
    }

private:
    T* ring(int channel) { return m_rings.data() + size_t(channel) * size_t(m_capacity); }
    const T* ring(int channel) const { return m_rings.data() + size_t(channel) * size_t(m_capacity); }

    void advanceWritePosition(int n)
    {
        m_writePosition += n;
        if (m_writePosition >= m_capacity)
            m_writePosition %= m_capacity;
    }

    template <typename Source, typename Convert>
    void storeColumns(const Source* const* channels, int count, Convert convert)
    {
        if (count <= 0 || !channels)
            return;
        const int n = channelCount();
        // Values older than one ring lap would be overwritten at once: skip them.
        const int skip = std::max(0, count - m_capacity);
        if (skip > 0)
            advanceWritePosition(skip % m_capacity);
        for (int c = 0; c < n; ++c) {
            T* r = ring(c);
            int position = m_writePosition;
            for (int i = skip; i < count; ++i) {
                r[position] = convert(channels[c][i]);
                if (++position == m_capacity)
                    position = 0;
            }
        }
        advanceWritePosition(count - skip);
        advanceLength(count);
    }

    template <typename Out>
    void copyRange(int channel, int start, int count, Out* out) const
    {
        if (count <= 0)
            return;
        if (channel < 0 || channel >= channelCount()) {
            std::fill(out, out + count, Out(0));
            return;
        }
        const int low = firstRetained();
        const int high = length();
        const T* r = ring(channel);
        int i = 0;
        // Leading positions before the retained window.
        for (; i < count && start + i < low; ++i)
            out[i] = Out(0);
        while (i < count && start + i < high) {
            const int index = start + i;
            const int position = index % m_capacity;
            const int run = std::min({count - i, high - index, m_capacity - position});
            for (int k = 0; k < run; ++k)
                out[i + k] = Out(r[position + k]);
            i += run;
        }
        for (; i < count; ++i)
            out[i] = Out(0);
    }

    int m_capacity;
    std::vector<T> m_rings;
    int m_writePosition = 0;
};

using TIntSignalBuffer = TRingSignalBuffer<qint16>;
using TDoubleSignalBuffer = TRingSignalBuffer<double>;
