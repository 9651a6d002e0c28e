#pragma once

#include <QtGlobal>
#include <utility>
#include <vector>

// Finds fixed-length frames in a byte stream by their marker bytes. A partial
// frame whose markers do not match is dropped, and the search goes on from the
// byte after its first one: a marker-like byte inside the signal never hides
// the real start of the next frame, so a stream that begins in the middle of a
// frame loses only that frame.
class TFrameSynchronizer
{
public:
    using Marker = std::pair<int, quint8>; // offset in the frame, expected byte

    // markers[0] is the frame's first byte (offset 0).
    TFrameSynchronizer(int frameSize, std::vector<Marker> markers);

    // Takes one byte; true when it completed a frame, which frame() then holds
    // until the next push.
    bool push(quint8 byte);
    const quint8* frame() const { return m_bytes.data(); }
    int frameSize() const { return m_frameSize; }
    // Forgets a partial frame.
    void reset() { m_length = 0; }
    // Partial frames (begun by a frame start) dropped so far.
    quint64 droppedFrames() const { return m_dropped; }

private:
    bool isValidPrefix(int from, int length) const;
    void resynchronize();

    int m_frameSize;
    std::vector<Marker> m_markers;
    std::vector<qint8> m_expected; // per offset: -1 any byte, else the marker's index
    std::vector<quint8> m_bytes;
    int m_length = 0;
    quint64 m_dropped = 0;
};
