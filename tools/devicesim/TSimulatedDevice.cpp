#include "TSimulatedDevice.h"

#include <vector>

TSimulatedDevice::TSimulatedDevice(const QString& linkPath)
    : m_pty(linkPath), m_epoch(std::chrono::steady_clock::now())
{
}

TSimulatedDevice::~TSimulatedDevice()
{
    stop();
}

qint64 TSimulatedDevice::elapsedMs() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_epoch)
        .count();
}

qint64 TSimulatedDevice::elapsedUs() const
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_epoch)
        .count();
}

bool TSimulatedDevice::start(QString* error)
{
    if (isRunning())
        return true;
    if (!m_pty.open(error))
        return false;
    publishPaths();
    m_quit.store(false);
    m_wantPlugged.store(true);
    m_plugged.store(true);
    m_thread = std::thread([this] { run(); });
    return true;
}

void TSimulatedDevice::stop()
{
    if (!m_thread.joinable())
        return;
    m_quit.store(true);
    m_thread.join();
    m_pty.close();
    m_plugged.store(false);
    publishPaths();
}

void TSimulatedDevice::publishPaths()
{
    // Deep copies: the paths are read by other threads.
    const QString port = m_pty.portPath();
    const QString slave = m_pty.slavePath();
    std::lock_guard<std::mutex> lock(m_pathMutex);
    m_portPath = QString(port.constData(), port.size());
    m_slavePath = QString(slave.constData(), slave.size());
}

QString TSimulatedDevice::portPath() const
{
    std::lock_guard<std::mutex> lock(m_pathMutex);
    return QString(m_portPath.constData(), m_portPath.size());
}

QString TSimulatedDevice::slavePath() const
{
    std::lock_guard<std::mutex> lock(m_pathMutex);
    return QString(m_slavePath.constData(), m_slavePath.size());
}

bool TSimulatedDevice::waitForPlugged(bool plugged, int timeoutMs) const
{
    const qint64 until = elapsedMs() + timeoutMs;
    while (m_plugged.load() != plugged) {
        if (elapsedMs() > until || !m_thread.joinable())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool TSimulatedDevice::unplug(int timeoutMs)
{
    m_replugAtMs.store(-1);
    m_wantPlugged.store(false);
    return waitForPlugged(false, timeoutMs);
}

bool TSimulatedDevice::plugIn(int timeoutMs)
{
    m_replugAtMs.store(-1);
    m_wantPlugged.store(true);
    return waitForPlugged(true, timeoutMs);
}

void TSimulatedDevice::unplugFor(int ms)
{
    m_wantPlugged.store(false);
    m_replugAtMs.store(elapsedMs() + ms);
}

void TSimulatedDevice::followPlugRequest()
{
    const qint64 replugAt = m_replugAtMs.load();
    if (replugAt >= 0 && elapsedMs() >= replugAt) {
        m_replugAtMs.store(-1);
        m_wantPlugged.store(true);
    }
    const bool want = m_wantPlugged.load();
    if (want == m_plugged.load())
        return;
    if (want) {
        if (!m_pty.open())
            return; // tried again on the next turn
        publishPaths();
        pluggedIn();
    } else {
        m_pty.close();
        publishPaths();
        unplugged();
    }
    m_plugged.store(want);
}

int TSimulatedDevice::send(const char* data, int count)
{
    const int n = m_pty.writeSome(data, count);
    return n > 0 ? n : 0;
}

bool TSimulatedDevice::sendAll(const char* data, int count, int timeoutMs)
{
    const qint64 until = elapsedMs() + timeoutMs;
    int done = 0;
    while (done < count) {
        const int n = m_pty.writeSome(data + done, count - done);
        if (n < 0)
            return false;
        done += n;
        if (done < count) {
            const qint64 left = until - elapsedMs();
            if (left <= 0)
                return false;
            m_pty.waitWritable(int(qMin<qint64>(left, 50)));
        }
    }
    return true;
}

void TSimulatedDevice::run()
{
    std::vector<char> buffer(4096);
    while (!m_quit.load()) {
        followPlugRequest();
        if (!m_pty.isOpen()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        const int wait = qBound(0, tick(), 20);
        const int wanted = qBound(0, bytesWanted(), int(buffer.size()));
        // Input is taken as soon as it comes, so its times are the program's.
        const TPseudoTerminal::Ready ready = m_pty.wait(wantsToSend(), wanted > 0, wait);
        if (!ready.readable)
            continue;
        const int n = m_pty.read(buffer.data(), wanted, 0);
        if (n > 0)
            received(buffer.data(), n);
        else if (n < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
