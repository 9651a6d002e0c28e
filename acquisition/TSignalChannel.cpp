#include "TSignalChannel.h"

#include "TSignalBuffer.h"

#include <algorithm>

TSignalChannel::TSignalChannel(int index, TSignalBuffer* buffer) : m_index(index), m_buffer(buffer)
{
}

TSignalChannel::~TSignalChannel() = default;

void TSignalChannel::envelope(int start, int n, int* minimum, int* maximum, int outputOffset, int points,
                              bool wrap) const
{
    if (n <= 0 || points <= 0 || n < points)
        return;
    const int length = m_buffer->length();
    auto valueAt = [&](int i) {
        if (wrap && i >= length)
            i -= n;
        return m_buffer->sample(m_index, i);
    };

    const int perPoint = n / points;
    const int remainder = n % points;
    const int stride = (perPoint - 1) / 16 + 1;
    int error = 0;
    int position = start;
    int last = valueAt(start);
    for (int k = 0; k < points; ++k) {
        int count = perPoint;
        error += remainder;
        if (error >= points) {
            error -= points;
            ++count;
        }
        int low = last;
        int high = last;
        for (int j = 0; j < count; j += stride) {
            const int v = valueAt(position + j);
            low = std::min(low, v);
            high = std::max(high, v);
        }
        last = valueAt(position + count - 1);
        low = std::min(low, last);
        high = std::max(high, last);
        minimum[outputOffset + k] = low;
        maximum[outputOffset + k] = high;
        position += count;
    }
}

int TSignalChannel::mean(int start, int count) const
{
    if (count <= 0)
        return 0;
    // Read in blocks: one page lookup per block, not per sample.
    constexpr int Block = 1024;
    double values[Block];
    qint64 sum = 0;
    for (int done = 0; done < count; done += Block) {
        const int n = std::min(Block, count - done);
        m_buffer->samples(m_index, start + done, n, values);
        for (int i = 0; i < n; ++i)
            sum += qint64(values[i]);
    }
    return int(sum / count);
}

std::optional<TSampleRun> TSignalChannel::findOutOfRange(int start, int end, int low, int high) const
{
    for (int i = start; i < end; ++i) {
        const int v = m_buffer->sample(m_index, i);
        if (v < low || v > high) {
            int j = i + 1;
            while (j < end) {
                const int w = m_buffer->sample(m_index, j);
                if (w >= low && w <= high)
                    break;
                ++j;
            }
            return TSampleRun{i, j};
        }
    }
    return std::nullopt;
}
