#pragma once

#include "TFrameSynchronizer.h"
#include "TRecorderFrame.h"
#include "TRecorderProtocol.h"

#include <QList>
#include <vector>

class TRecorderStatus;

// Turns the recorder's byte stream into delivered frames: finds the frames,
// derives the augmented leads, updates the status (battery, electrodes and, in
// the default protocol, saturation), zeroes the leads of electrodes without
// contact and packs the selected leads as little-endian 16-bit codes. In the HR
// protocol it delivers the mean of each pair of frames, all 14 leads.
//
// Any byte sequence is safe input: garbage only costs frames.
class TRecorderStreamDecoder
{
public:
    TRecorderStreamDecoder(TRecorderProtocol::Format format, int channelMask, TRecorderStatus* status);

    // Decodes count bytes and appends the delivered frames to out; returns how
    // many recorder frames they completed (what the keep-alive counts).
    int decode(const char* data, int count, std::vector<char>& out);
    // Forgets a partial frame and a pending first frame of a pair.
    void restart();

    TRecorderProtocol::Format format() const { return m_format; }
    const QList<int>& leads() const { return m_leads; }
    int deliveredFrameBytes() const { return m_leads.size() * 2; }
    quint64 framesDecoded() const { return m_framesDecoded; }
    quint64 droppedFrames() const { return m_sync.droppedFrames(); }

private:
    void frameCompleted(std::vector<char>& out);
    void deliver(const qint16* leads, std::vector<char>& out) const;

    TRecorderProtocol::Format m_format;
    QList<int> m_leads;
    TRecorderStatus* m_status;
    TFrameSynchronizer m_sync;
    quint64 m_framesDecoded = 0;
    bool m_havePairFirst = false;
    TRecorderFrame m_pairFirst;
};
