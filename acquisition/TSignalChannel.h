#pragma once

#include <QByteArray>
#include <optional>

class TSignalBuffer;

// A run of samples [first, end) found by TSignalChannel::findOutOfRange.
struct TSampleRun
{
    int first = 0;
    int end = 0;
};

// One channel of a TSignalBuffer: its lead name and the whole-channel reductions
// the displays and the analysis need.
class TSignalChannel
{
public:
    TSignalChannel(int index, TSignalBuffer* buffer);
    virtual ~TSignalChannel();

    // Minimum and maximum per output point over n samples from start, for drawing a
    // long stretch in few pixels. Adjacent points share their boundary sample so the
    // drawn columns join. With wrap set, an index at or past the buffer's length reads
    // one span (n samples) earlier: a sweeping display shows the previous sweep to the
    // right of its cursor.
    virtual void envelope(int start, int n, int* minimum, int* maximum, int outputOffset, int points,
                          bool wrap) const;

    int index() const { return m_index; }
    TSignalBuffer* buffer() const { return m_buffer; }
    const QByteArray& name() const { return m_name; }
    void setName(const QByteArray& name) { m_name = name; }

    // Integer mean of the samples in [start, start + count); 0 for an empty range.
    int mean(int start, int count) const;
    // First run of samples outside [low, high] within [start, end).
    std::optional<TSampleRun> findOutOfRange(int start, int end, int low, int high) const;

private:
    int m_index;
    TSignalBuffer* m_buffer;
    QByteArray m_name;
};
