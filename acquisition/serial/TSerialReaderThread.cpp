#include "TSerialReaderThread.h"

#include "TByteQueue.h"
#include "TRecorderPortMessages.h"
#include "TRecorderStreamDecoder.h"
#include "TSerialPort.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <vector>

namespace {

qint64 monotonicMs()
{
    // Never 0, which marks "no failure".
    return QDeadlineTimer::current().deadline() + 1;
}

} // namespace

TSerialReaderThread::TSerialReaderThread(TByteQueue* queue, const QString& portName, int baudRate, int channelMask,
                                         QObject* parent)
    : TSerialReaderThread(TRecorderProtocol::Format::Default, queue, portName, baudRate, channelMask, parent)
{
}

TSerialReaderThread::TSerialReaderThread(TRecorderProtocol::Format format, TByteQueue* queue,
                                         const QString& portName, int baudRate, int channelMask, QObject* parent)
    : QThread(parent),
      m_format(format),
      m_queue(queue),
      m_portName(portName),
      m_baudRate(baudRate),
      m_channelMask(channelMask),
      m_keepAliveFrames(TRecorderProtocol::keepAliveFrames(format))
{
}

TSerialReaderThread::~TSerialReaderThread()
{
    requestInterruption();
    wait();
}

void TSerialReaderThread::run()
{
    // Nothing may escape the thread.
    try {
        clearFailure();
        m_status.clearSaturation();
        m_framesDecoded.store(0);
        stream();
    } catch (...) {
        fail(TRecorderPortMessages::Unexpected);
    }
}

void TSerialReaderThread::clearFailure()
{
    m_failed.store(false);
    m_errorText.store("");
}

void TSerialReaderThread::fail(const char* text)
{
    m_errorText.store(text);
    m_failedAtMs.store(monotonicMs());
    m_failed.store(true);
}

bool TSerialReaderThread::waitAfterFailure()
{
    const qint64 failedAt = m_failedAtMs.exchange(0);
    if (failedAt == 0)
        return !isInterruptionRequested();
    while (!isInterruptionRequested()) {
        const qint64 left = failedAt + RetryPauseMs - monotonicMs();
        if (left <= 0)
            return true;
        msleep(ulong(qMin<qint64>(left, 20)));
    }
    return false;
}

bool TSerialReaderThread::send(TSerialPort& port, quint8 command)
{
    const char byte = char(command);
    return port.write(&byte, 1) == 1;
}

bool TSerialReaderThread::startStreaming(TSerialPort& port)
{
    using namespace TRecorderProtocol;
    if (!port.purge()) {
        fail("PurgeComm failed");
        return false;
    }
    if (!send(port, Reset)) {
        fail(TRecorderPortMessages::Unexpected);
        return false;
    }
    msleep(ResetGapMs);
    if (!port.purge()) {
        fail("PurgeComm failed");
        return false;
    }
    if (!send(port, Reset) || !send(port, Start)) {
        fail(TRecorderPortMessages::Unexpected);
        return false;
    }
    return true;
}

void TSerialReaderThread::stopStreaming(TSerialPort& port)
{
    using namespace TRecorderProtocol;
    // Leaving anyway: a recorder that does not take the bytes changes nothing.
    send(port, Stop);
    msleep(StopGapMs);
    send(port, Stop);
    port.close();
}

TSerialSetup TSerialReaderThread::portSetup(int baudRate)
{
    using namespace TRecorderProtocol;
    TSerialSetup setup;
    setup.baudRate = baudRate;
    setup.inputBufferSize = DriverBufferSize;
    setup.outputBufferSize = DriverBufferSize;
    setup.readTimeoutMs = ReadTimeoutMs;
    setup.writeTimeoutMs = WriteTimeoutMs;
    setup.lowerModemLines = true;
    return setup;
}

void TSerialReaderThread::stream()
{
    using namespace TRecorderProtocol;
    if (!waitAfterFailure())
        return;

    TSerialPort port;
    const TSerialPort::Error opened = port.open(m_portName, portSetup(m_baudRate));
    if (opened != TSerialPort::Error::None) {
        fail(TRecorderPortMessages::text(opened));
        return;
    }
    if (!startStreaming(port))
        return;

    TRecorderStreamDecoder decoder(m_format, m_channelMask, &m_status);
    std::vector<char> input(4096);
    std::vector<char> output;
    output.reserve(size_t(input.size()) * 2);
    const int keepAliveFrames = m_keepAliveFrames.load();
    int keepAlive = keepAliveFrames;
    QElapsedTimer silence;
    silence.start();
    // Reads wait in short slices, so that an interruption is seen within 0.1 s
    // even while the recorder is silent.
    constexpr int SliceMs = 100;
    while (!isInterruptionRequested()) {
        const int n = port.readSome(input.data(), int(input.size()), SliceMs);
        if (n < 0) {
            port.close();
            fail(TRecorderPortMessages::ReadError);
            return;
        }
        if (n == 0) {
            if (silence.elapsed() >= ReadTimeoutMs) {
                port.close();
                fail(TRecorderPortMessages::ReadError);
                return;
            }
            continue;
        }
        silence.restart();
        const int frames = decoder.decode(input.data(), n, output);
        m_framesDecoded.store(decoder.framesDecoded(), std::memory_order_relaxed);
        if (!output.empty()) {
            m_queue->append(output.data(), int(output.size()));
            output.clear();
        }
        keepAlive -= frames;
        if (keepAlive <= 0) {
            bool sent = send(port, Start);
            if (sent) {
                msleep(KeepAliveGapMs);
                sent = send(port, Start);
            }
            if (!sent) {
                port.close();
                fail(TRecorderPortMessages::Unexpected);
                return;
            }
            keepAlive += keepAliveFrames;
        }
    }
    stopStreaming(port);
}
