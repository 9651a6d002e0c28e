#include "TTreadmillSimulator.h"

namespace {

// Kipnet checksum: the tens and units digits of the byte sum modulo 256.
QByteArray checksum(const QByteArray& body)
{
    int sum = 0;
    for (char c : body)
        sum += quint8(c);
    sum %= 256;
    return QByteArray() + char('0' + (sum / 10) % 10) + char('0' + sum % 10);
}

} // namespace

TTreadmillSimulator::TTreadmillSimulator(const QString& linkPath) : TSimulatedDevice(linkPath) {}

TTreadmillSimulator::~TTreadmillSimulator()
{
    stop();
}

QVector<TTreadmillSimulator::Frame> TTreadmillSimulator::frames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QVector<Frame> frames;
    frames.reserve(int(m_frames.size()));
    for (const Frame& f : m_frames)
        frames.append({QByteArray(f.bytes.constData(), f.bytes.size()), f.atMs, f.answered});
    return frames;
}

QByteArray TTreadmillSimulator::replyFor(const QByteArray& frame)
{
    // ';', the address, "OK", zeros, ':' -- as long as the frame.
    QByteArray reply = frame.left(2);
    reply.append("OK");
    while (reply.size() < frame.size() - 1)
        reply.append('0');
    reply.append(':');
    return reply.left(frame.size());
}

QString TTreadmillSimulator::describe(const QByteArray& frame)
{
    if (frame.size() < 7 || frame[0] != ';' || !frame.endsWith(':'))
        return QStringLiteral("not a frame");
    const QByteArray body = frame.mid(1, frame.size() - 4);
    const bool checksumOk = checksum(body) == frame.mid(frame.size() - 3, 2);
    const QByteArray command = body.mid(1);
    QString text;
    if (command == "GO") {
        text = QStringLiteral("GO (belt start)");
    } else if (command == "ST") {
        text = QStringLiteral("ST (belt stop)");
    } else if (command.size() == 5) {
        const int value = command.mid(1).toInt();
        switch (command[0]) {
        case 'V': text = QStringLiteral("speed %1 km/h").arg(value / 10.0, 0, 'f', 1); break;
        case 'E': text = QStringLiteral("incline %1 %").arg(value / 10.0, 0, 'f', 1); break;
        case 'N': text = QStringLiteral("workload %1 W").arg(value); break;
        default: text = QStringLiteral("unknown command"); break;
        }
    } else {
        text = QStringLiteral("unknown command");
    }
    if (!checksumOk)
        text += QStringLiteral(" (bad checksum)");
    return text;
}

void TTreadmillSimulator::received(const char* data, int count)
{
    for (int k = 0; k < count; ++k) {
        const char c = data[k];
        if (c == ';') {
            m_partial = QByteArray(1, c); // a new frame; a torn one is forgotten
        } else if (!m_partial.isEmpty()) {
            m_partial.append(c);
            if (c == ':') {
                frameReceived(m_partial);
                m_partial.clear();
            } else if (m_partial.size() > 64) {
                m_partial.clear();
            }
        }
    }
}

void TTreadmillSimulator::frameReceived(const QByteArray& frame)
{
    int silent = m_silentFrames.load();
    const bool answer = silent == 0;
    if (silent > 0)
        m_silentFrames.store(silent - 1);
    if (answer) {
        const QByteArray body = frame.mid(1, frame.size() - 4);
        const QByteArray command = body.mid(1);
        if (command == "GO")
            m_running.store(true);
        else if (command == "ST")
            m_running.store(false);
        else if (command.startsWith('V'))
            m_speedTenths.store(command.mid(1).toInt());
        else if (command.startsWith('E'))
            m_inclineTenths.store(command.mid(1).toInt());
        const QByteArray reply = replyFor(frame);
        sendAll(reply.constData(), reply.size());
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frames.push_back({QByteArray(frame.constData(), frame.size()), elapsedMs(), answer});
}
