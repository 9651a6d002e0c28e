#include "TOlmoErgometerThread.h"

#include "TException.h"
#include "TOlmoReplyReader.h"

TOlmoErgometerThread::TOlmoErgometerThread(const QString& portName, QObject* parent)
    : QThread(parent), m_port(portName, BaudRate, TimeoutMs)
{
}

TOlmoErgometerThread::~TOlmoErgometerThread()
{
    requestInterruption();
    wait();
    (void)m_runFinished.load(std::memory_order_acquire);
}

bool TOlmoErgometerThread::pause(int ms)
{
    // Short slices, so that closing the window never waits long for the worker.
    constexpr int SliceMs = 20;
    for (int slept = 0; slept < ms; slept += SliceMs) {
        if (isInterruptionRequested())
            return false;
        msleep(ulong(qMin(SliceMs, ms - slept)));
    }
    return !isInterruptionRequested();
}

void TOlmoErgometerThread::send(const QByteArray& text)
{
    if (m_port.port().write(text) != text.size())
        throw PortLost();
}

void TOlmoErgometerThread::readLines(int count)
{
    // The replies only pace the exchange; their content is not used.
    TSerialPort& port = m_port.port();
    TOlmoReplyReader reader;
    for (int k = 0; k < count; ++k) {
        const TOlmoReplyReader::Result result =
            reader.read([&port](char* c) { return port.readSome(c, 1, TimeoutMs); });
        m_answering.store(result == TOlmoReplyReader::Result::Line || result == TOlmoReplyReader::Result::TooLong);
    }
}

void TOlmoErgometerThread::initialise()
{
    send("r");
    // The ergometer needs 7 s after its reset.
    for (int step = 0; step < StartupSteps; ++step)
        if (!pause(StartupStepMs))
            return;
    send("c");
    readLines(3);
    m_initialisationPending.store(false);
}

void TOlmoErgometerThread::update()
{
    const int target = m_target.load();
    const int commanded = m_commanded.load();
    if (commanded == 0 && target > 0) {
        send("p");
        readLines(1);
        msleep(StepPauseMs);
        send("d");
        readLines(1);
        msleep(StepPauseMs);
        send(QByteArray::number(target) + '\n');
        readLines(2);
        msleep(StepPauseMs);
        send("a");
        readLines(1);
        m_commanded.store(target);
    } else if (commanded > 0 && target > 0) {
        send("i");
        readLines(1);
        msleep(StepPauseMs);
        // The change, negative when the load goes down.
        send(QByteArray::number(qint64(target) - commanded) + '\n');
        readLines(2);
        m_commanded.store(target);
    } else if (commanded > 0 && target == 0) {
        send("e");
        readLines(2);
        m_commanded.store(0);
    }
}

void TOlmoErgometerThread::cycle()
{
    if (m_initialisationPending.load()) {
        initialise();
        if (isInterruptionRequested())
            return;
    }
    // One request per cycle: start before stop before update.
    if (m_startRequested.exchange(false)) {
        try {
            send("a");
            readLines(1);
        } catch (const PortLost&) {
            m_startRequested.store(true);
            throw;
        }
    } else if (m_stopRequested.exchange(false)) {
        try {
            send("r");
        } catch (const PortLost&) {
            m_stopRequested.store(true);
            throw;
        }
    } else if (m_updateRequested.exchange(false)) {
        try {
            update();
        } catch (const PortLost&) {
            m_updateRequested.store(true);
            throw;
        }
    }
}

void TOlmoErgometerThread::run()
{
    struct FinishedMark
    {
        std::atomic<bool>& finished;
        ~FinishedMark() { finished.store(true, std::memory_order_release); }
    } finishedMark{m_runFinished};
    while (!isInterruptionRequested()) {
        // Port failures are silent: the port is tried again after a pause.
        try {
            m_port.ensureOpen();
            cycle();
        } catch (...) {
            m_answering.store(false);
            m_port.close();
            pause(PortRetryMs);
            continue;
        }
        pause(CyclePauseMs);
    }
    if (m_port.isOpen()) {
        const char reset = 'r';
        m_port.port().write(&reset, 1);
    }
    m_port.close();
}
