#include "TRecorderStreamDecoder.h"

#include "TLeadTable.h"
#include "TRecorderStatus.h"

namespace {

TFrameSynchronizer makeSynchronizer(TRecorderProtocol::Format format)
{
    using TRecorderProtocol::PacketMarker;
    if (format == TRecorderProtocol::Format::HR)
        return TFrameSynchronizer(TRecorderProtocol::HRFrameSize,
                                  {{0, PacketMarker}, {11, PacketMarker}, {22, PacketMarker}});
    return TFrameSynchronizer(TRecorderProtocol::DefaultFrameSize, {{0, 0x01},
                                                                    {1, PacketMarker},
                                                                    {12, 0x02},
                                                                    {13, PacketMarker},
                                                                    {24, 0x03},
                                                                    {25, PacketMarker}});
}

} // namespace

TRecorderStreamDecoder::TRecorderStreamDecoder(TRecorderProtocol::Format format, int channelMask,
                                               TRecorderStatus* status)
    : m_format(format),
      m_leads(TLeadTable::selectedLeads(format == TRecorderProtocol::Format::HR ? TLeadTable::AllLeadsMask
                                                                                : channelMask)),
      m_status(status),
      m_sync(makeSynchronizer(format))
{
}

void TRecorderStreamDecoder::restart()
{
    m_sync.reset();
    m_havePairFirst = false;
}

int TRecorderStreamDecoder::decode(const char* data, int count, std::vector<char>& out)
{
    int frames = 0;
    for (int k = 0; k < count; ++k) {
        if (m_sync.push(quint8(data[k]))) {
            frameCompleted(out);
            ++frames;
        }
    }
    return frames;
}

void TRecorderStreamDecoder::frameCompleted(std::vector<char>& out)
{
    ++m_framesDecoded;
    TRecorderFrame frame = TRecorderFrame::decode(m_format, m_sync.frame());
    const TElectrodes::OffFlags off =
        TElectrodes::fromStatusBytes(frame.status[0], frame.status[1], frame.status[2], frame.status[3]);
    if (m_status) {
        m_status->setBatteryVolts(frame.batteryVolts());
        // Saturation is judged on the leads as measured, before the leads of lost
        // electrodes are zeroed.
        if (m_format == TRecorderProtocol::Format::Default)
            m_status->countSaturation(frame.leads.data());
        m_status->setElectrodes(off);
    }
    TElectrodes::zeroDependentLeads(off, frame.leads.data());

    if (m_format == TRecorderProtocol::Format::Default) {
        deliver(frame.leads.data(), out);
        return;
    }
    if (!m_havePairFirst) {
        m_pairFirst = frame;
        m_havePairFirst = true;
        return;
    }
    m_havePairFirst = false;
    qint16 mean[14];
    for (int lead = 0; lead < 14; ++lead)
        mean[lead] = qint16((int(m_pairFirst.leads[size_t(lead)]) + int(frame.leads[size_t(lead)])) >> 1);
    deliver(mean, out);
}

void TRecorderStreamDecoder::deliver(const qint16* leads, std::vector<char>& out) const
{
    for (int lead : m_leads) {
        const quint16 code = quint16(leads[lead]);
        out.push_back(char(code & 0xFF));
        out.push_back(char(code >> 8));
    }
}
