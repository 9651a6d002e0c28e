#include "TRecorderSimulator.h"

#include "TRecorderFrameEncoder.h"
#include "TRecorderSignalSource.h"

#include <QStringList>
#include <cmath>

namespace {

const char* const electrodeNames[9] = {"LA", "LL", "RA", "V1", "V2", "V3", "V4", "V5", "V6"};
// The leads the recorder measures; aVR, aVL and aVF are derived by the host.
const char* const leadNames[14] = {"I",  "II", "III", "aVR", "aVL", "aVF", "V1",
                                   "V2", "V3", "V4",  "V5",  "V6",  "CM5", "CR5"};

int electrodeIndex(const QString& name)
{
    for (int e = 0; e < 9; ++e)
        if (name.compare(QLatin1String(electrodeNames[e]), Qt::CaseInsensitive) == 0)
            return e;
    return -1;
}

int measuredLeadIndex(const QString& name)
{
    for (int lead = 0; lead < 14; ++lead)
        if (lead < 3 || lead > 5)
            if (name.compare(QLatin1String(leadNames[lead]), Qt::CaseInsensitive) == 0)
                return lead;
    return -1;
}

qint16 rescaled(qint16 code, double factor)
{
    const double v = std::round(code * factor);
    return qint16(qBound(-32768.0, v, 32767.0));
}

} // namespace

TRecorderSimulator::TRecorderSimulator(Protocol protocol, std::unique_ptr<TRecorderSignalSource> source,
                                       const QString& linkPath)
    : TSimulatedDevice(linkPath), m_protocol(protocol), m_source(std::move(source))
{
    for (auto& off : m_electrodeOff)
        off.store(false);
    for (auto& saturated : m_saturated)
        saturated.store(false);
}

TRecorderSimulator::~TRecorderSimulator()
{
    stop();
}

bool TRecorderSimulator::setElectrodeOff(const QString& electrode, bool off)
{
    const int e = electrodeIndex(electrode);
    if (e < 0)
        return false;
    m_electrodeOff[size_t(e)].store(off);
    return true;
}

bool TRecorderSimulator::setLeadSaturated(const QString& lead, bool saturated)
{
    const int index = measuredLeadIndex(lead);
    if (index < 0)
        return false;
    m_saturated[size_t(index)].store(saturated);
    return true;
}

void TRecorderSimulator::setBatteryByte(int value)
{
    m_battery.store(qBound(0, value, 255));
}

void TRecorderSimulator::setStartOffset(int bytes)
{
    m_startOffset.store(qBound(0, bytes, frameSize() - 1));
}

void TRecorderSimulator::injectGarbage(int bytes)
{
    m_garbage.fetch_add(qMax(0, bytes));
}

void TRecorderSimulator::silenceFor(int ms)
{
    m_silentUntilMs.store(ms > 0 ? elapsedMs() + ms : -1);
}

void TRecorderSimulator::setIdentifyReply(const QByteArray& reply)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_identifyReply = QByteArray(reply.constData(), reply.size());
}

QVector<TRecorderSimulator::Command> TRecorderSimulator::commands() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return QVector<Command>(m_commands.begin(), m_commands.end());
}

void TRecorderSimulator::pluggedIn()
{
    // Powered anew: idle until told to start.
    m_streaming.store(false);
    m_pending.clear();
}

void TRecorderSimulator::received(const char* data, int count)
{
    for (int k = 0; k < count; ++k)
        command(quint8(data[k]));
}

void TRecorderSimulator::command(quint8 byte)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const qint64 us = elapsedUs();
        m_commands.push_back({byte, us / 1000, us, m_framesSent.load()});
    }
    switch (byte) {
    case 0x01: // reset
    case 0x02: // stop
        m_streaming.store(false);
        m_pending.clear();
        break;
    case 0x09: // start, or keep-alive while streaming
        if (!m_streaming.load()) {
            m_streamStartMs = elapsedMs();
            m_framesMade = 0;
            m_framesSent.store(0);
            m_skipBytes = m_startOffset.load();
            m_pending.clear();
            m_streaming.store(true);
        }
        break;
    case 0x0B: { // identify
        QByteArray reply;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            reply = QByteArray(m_identifyReply.constData(), m_identifyReply.size());
        }
        sendAll(reply.constData(), reply.size());
        break;
    }
    default:
        break; // a real recorder ignores what it does not know
    }
}

QByteArray TRecorderSimulator::nextFrame()
{
    qint16 leads[14];
    m_source->frame(m_framesMade++, frameRate(), leads);
    if (m_source->gainMv() != gainMv()) {
        const double factor = m_source->gainMv() / gainMv();
        for (qint16& code : leads)
            code = rescaled(code, factor);
    }
    for (int lead = 0; lead < 14; ++lead)
        if (m_saturated[size_t(lead)].load())
            leads[lead] = 32767;
    TRecorderFrameEncoder::Electrodes off;
    for (int e = 0; e < 9; ++e)
        off[size_t(e)] = m_electrodeOff[size_t(e)].load();
    const quint8 battery = quint8(m_battery.load());
    QByteArray frame = m_protocol == Protocol::HR ? TRecorderFrameEncoder::hrFrame(leads, off, battery)
                                                  : TRecorderFrameEncoder::defaultFrame(leads, off, battery);
    if (m_skipBytes > 0) {
        frame.remove(0, m_skipBytes);
        m_skipBytes = 0;
    }
    int garbage = m_garbage.exchange(0);
    if (garbage > 0) {
        QByteArray noise(garbage, '\0');
        for (char& c : noise)
            c = char(m_random() & 0xFF);
        frame.prepend(noise);
    }
    return frame;
}

void TRecorderSimulator::sendPaced(const QByteArray& bytes)
{
    // A real recorder does not wait for the host: what the port does not take
    // is lost, as in an overflowing receive queue.
    const int n = send(bytes.constData(), bytes.size());
    if (n < bytes.size())
        m_bytesDropped.fetch_add(bytes.size() - n);
}

int TRecorderSimulator::tick()
{
    if (!m_streaming.load())
        return 20;
    const qint64 now = elapsedMs();
    const qint64 silentUntil = m_silentUntilMs.load();
    const bool silent = silentUntil >= 0 && now < silentUntil;

    if (!m_paced.load()) {
        constexpr int Batch = 64;
        if (m_pending.isEmpty()) {
            for (int k = 0; k < Batch; ++k)
                m_pending.append(nextFrame());
        }
        const int n = send(m_pending.constData(), m_pending.size());
        m_pending.remove(0, n);
        // Frames count as sent once the port has taken their last byte.
        if (m_pending.isEmpty())
            m_framesSent.fetch_add(Batch);
        return 20; // or sooner, once the port takes more
    }

    const qint64 due = (now - m_streamStartMs) * frameRate() / 1000;
    // After a stall, the frames of more than a second ago are not made up for.
    if (due - m_framesMade > frameRate())
        m_framesMade = due - frameRate();
    QByteArray burst;
    qint64 frames = 0;
    while (m_framesMade < due) {
        burst.append(nextFrame());
        ++frames;
    }
    if (!burst.isEmpty() && !silent) {
        sendPaced(burst);
        m_framesSent.fetch_add(frames);
    }
    // The next frame is due within 2 ms.
    return 2;
}

bool TRecorderSimulator::wantsToSend() const
{
    return m_streaming.load() && !m_paced.load();
}

QString TRecorderSimulator::commandHelp()
{
    return QStringLiteral(
        "  off ELECTRODE        electrode loses contact (LA, LL, RA, V1..V6)\n"
        "  on ELECTRODE         electrode back in contact\n"
        "  saturate LEAD        a measured lead (I, II, III, V1..V6, CM5, CR5) held at 32767\n"
        "  unsaturate LEAD      the lead back to the signal\n"
        "  battery BYTE         battery byte 0..255 (voltage = byte x 0.013 V)\n"
        "  offset BYTES         the next stream starts this far into its first frame\n"
        "  garbage BYTES        random bytes before the next frame\n"
        "  silence SECONDS      send nothing for that long (0 ends it)\n"
        "  unplug SECONDS       close the port, plug in again after that long (0: until 'plug')\n"
        "  plug                 plug in again\n"
        "  fast on|off          stream as fast as the port takes, or at the real rate\n");
}

bool TRecorderSimulator::applyCommand(const QString& line, QString* error)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (words.isEmpty())
        return true;
    const QString verb = words[0].toLower();
    const QString argument = words.value(1);
    bool isNumber = false;
    const double number = argument.toDouble(&isNumber);
    if (words.size() > 2)
        return fail(QStringLiteral("too many words: %1").arg(line));
    if (verb == QLatin1String("plug"))
        return plugIn() || fail(QStringLiteral("could not plug in"));
    if (argument.isEmpty())
        return fail(QStringLiteral("%1 needs a value").arg(verb));
    if (verb == QLatin1String("off") || verb == QLatin1String("on"))
        return setElectrodeOff(argument, verb == QLatin1String("off")) ||
               fail(QStringLiteral("unknown electrode: %1").arg(argument));
    if (verb == QLatin1String("saturate") || verb == QLatin1String("unsaturate"))
        return setLeadSaturated(argument, verb == QLatin1String("saturate")) ||
               fail(QStringLiteral("not a measured lead: %1").arg(argument));
    if (verb == QLatin1String("fast")) {
        if (argument != QLatin1String("on") && argument != QLatin1String("off"))
            return fail(QStringLiteral("fast takes on or off"));
        setPaced(argument == QLatin1String("off"));
        return true;
    }
    if (!isNumber || number < 0 || !std::isfinite(number))
        return fail(QStringLiteral("%1 needs a number >= 0, not '%2'").arg(verb, argument));
    if (verb == QLatin1String("battery")) {
        if (number > 255)
            return fail(QStringLiteral("the battery byte is 0..255"));
        setBatteryByte(int(number));
    } else if (verb == QLatin1String("offset")) {
        if (number >= frameSize())
            return fail(QStringLiteral("the offset is below the frame size %1").arg(frameSize()));
        setStartOffset(int(number));
    } else if (verb == QLatin1String("garbage")) {
        injectGarbage(int(qMin(number, 1e6)));
    } else if (verb == QLatin1String("silence")) {
        silenceFor(int(qMin(number, 86400.0) * 1000));
    } else if (verb == QLatin1String("unplug")) {
        if (number > 0)
            unplugFor(int(qMin(number, 86400.0) * 1000));
        else if (!unplug())
            return fail(QStringLiteral("could not unplug"));
    } else {
        return fail(QStringLiteral("unknown command: %1").arg(verb));
    }
    return true;
}
