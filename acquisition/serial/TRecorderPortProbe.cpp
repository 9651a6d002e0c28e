#include "TRecorderPortProbe.h"

#include "TRecorderProtocol.h"
#include "TSerialPort.h"

#include <QElapsedTimer>

bool TRecorderPortProbe::isRecorderReply(const QByteArray& reply)
{
    const QString text = QString::fromLatin1(reply).trimmed().toLower();
    return text.contains(QLatin1String("ergo")) || text.contains(QLatin1String("ecg"));
}

bool TRecorderPortProbe::probe(const QString& portName, int replyTimeoutMs)
{
    TSerialSetup setup;
    setup.baudRate = TRecorderProtocol::DefaultBaudRate;
    setup.inputBufferSize = TRecorderProtocol::DriverBufferSize;
    setup.outputBufferSize = TRecorderProtocol::DriverBufferSize;
    setup.readTimeoutMs = replyTimeoutMs;
    setup.writeTimeoutMs = TRecorderProtocol::WriteTimeoutMs;
    setup.lowerModemLines = true;
    TSerialPort port;
    if (port.open(portName, setup) != TSerialPort::Error::None)
        return false;
    const char identify = char(TRecorderProtocol::Identify);
    if (port.write(&identify, 1) != 1)
        return false;
    // The reply may be shorter than 7 bytes: once it has begun, a short pause
    // ends it, so a short answer is not held up for the whole time-out.
    QByteArray reply;
    char buffer[ReplyBytes];
    QElapsedTimer timer;
    timer.start();
    while (reply.size() < ReplyBytes) {
        const int wait = reply.isEmpty() ? int(qMax<qint64>(0, replyTimeoutMs - timer.elapsed())) : ReplyGapMs;
        const int n = port.readSome(buffer, ReplyBytes - reply.size(), wait);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        reply.append(buffer, n);
    }
    return isRecorderReply(reply);
}
