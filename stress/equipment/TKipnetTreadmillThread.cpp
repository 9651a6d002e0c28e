#include "TKipnetTreadmillThread.h"

#include "TException.h"
#include "TKipnetFrame.h"

#include <QDebug>

TKipnetTreadmillThread::TKipnetTreadmillThread(const QString& portName, const QString& logPath, QObject* parent)
    : QThread(parent), m_port(portName, BaudRate, TimeoutMs), m_logPath(logPath)
{
}

TKipnetTreadmillThread::~TKipnetTreadmillThread()
{
    requestInterruption();
    wait();
    (void)m_runFinished.load(std::memory_order_acquire);
}

void TKipnetTreadmillThread::log(const QByteArray& text)
{
    if (!m_log.isOpen())
        return;
    m_log.write(text);
    m_log.flush();
}

void TKipnetTreadmillThread::exchange(const QByteArray& frame, const char* command)
{
    log(">> " + frame + "\n");
    TSerialPort& port = m_port.port();
    port.purge();
    QByteArray reply(frame.size(), '\0');
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        // The reply is only waited for, not checked: it must be as long as the frame.
        if (port.write(frame) == frame.size() && port.read(reply.data(), reply.size()) == reply.size())
            return;
        msleep(RetryPauseMs);
    }
    throw TException(QStringLiteral("Kipnet device did not respond (command %1)").arg(QLatin1String(command)));
}

void TKipnetTreadmillThread::update()
{
    // One consistent set of values for the whole update.
    const double speed = m_speed.load();
    const double incline = m_incline.load();
    const double workload = m_workload.load();
    // The belt must be started before the first speed it should run at.
    if ((speed > 0 || workload > 0) && !m_goSent.load()) {
        exchange(TKipnetFrame::go(m_address), "GO");
        m_goSent.store(true);
    }
    if (speed >= 0)
        exchange(TKipnetFrame::speed(speed, m_address), "V");
    if (incline >= 0)
        exchange(TKipnetFrame::incline(incline, m_address), "E");
    if (workload >= 0)
        exchange(TKipnetFrame::workload(workload, m_address), "N");
}

void TKipnetTreadmillThread::cycle()
{
    m_port.ensureOpen();
    // One request per cycle: start before stop before update.
    if (m_startRequested.exchange(false)) {
        // The treadmill starts with the first speed above 0 (GO), not here.
    } else if (m_stopRequested.exchange(false)) {
        exchange(TKipnetFrame::stop(m_address), "ST");
    } else if (m_updateRequested.exchange(false)) {
        update();
    }
}

void TKipnetTreadmillThread::run()
{
    struct FinishedMark
    {
        std::atomic<bool>& finished;
        ~FinishedMark() { finished.store(true, std::memory_order_release); }
    } finishedMark{m_runFinished};
    m_log.setFileName(m_logPath);
    m_log.open(QIODevice::WriteOnly | QIODevice::Append);
    log("Thread start, device port = " + m_port.portName().toLocal8Bit() + "\n");

    bool failed = false;
    while (!isInterruptionRequested()) {
        try {
            cycle();
        } catch (const std::exception& e) {
            qDebug("%s", e.what());
            log(QByteArray(e.what()) + "\n");
            failed = true;
            m_failed.store(true);
            break;
        } catch (...) {
            qDebug("Unexpected error");
            log("Unexpected error\n");
            failed = true;
            m_failed.store(true);
            break;
        }
        msleep(CyclePauseMs);
    }

    // A stop asked for just before the controller was destroyed must still
    // reach a treadmill that answers: the belt must not keep running.
    if (!failed && m_port.isOpen() && m_stopRequested.exchange(false)) {
        try {
            exchange(TKipnetFrame::stop(m_address), "ST");
        } catch (const std::exception& e) {
            qDebug("%s", e.what());
            log(QByteArray(e.what()) + "\n");
        }
    }
    m_port.close();
    log("Thread stop\n");
    log("--------------------\n");
    m_log.close();
}
