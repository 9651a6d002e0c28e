#include "TSimulatorConsole.h"

#include <QByteArray>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<bool> quitFlag{false};

extern "C" void onQuitSignal(int)
{
    quitFlag.store(true);
}

} // namespace

TSimulatorConsole::TSimulatorConsole()
{
    std::signal(SIGINT, onQuitSignal);
    std::signal(SIGTERM, onQuitSignal);
    std::signal(SIGPIPE, SIG_IGN);
}

bool TSimulatorConsole::quitRequested() const
{
    return quitFlag.load();
}

void TSimulatorConsole::requestQuit()
{
    quitFlag.store(true);
}

bool TSimulatorConsole::readLine(QString* line, int timeoutMs)
{
    for (;;) {
        const int end = m_buffer.indexOf('\n');
        if (end >= 0) {
            *line = QString::fromLocal8Bit(m_buffer.left(end)).trimmed();
            m_buffer.remove(0, end + 1);
            return true;
        }
        if (!m_inputOpen) {
            // Started without a terminal (in the background): just wait.
            std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
            return false;
        }
        struct pollfd p = {STDIN_FILENO, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
        char chunk[512];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            m_inputOpen = false;
            if (!m_buffer.isEmpty()) {
                *line = QString::fromLocal8Bit(m_buffer).trimmed();
                m_buffer.clear();
                return true;
            }
            return false;
        }
        m_buffer.append(chunk, int(n));
        if (m_buffer.size() > 65536)
            m_buffer.clear(); // no line is that long
    }
}

void TSimulatorConsole::print(const QString& line)
{
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

void TSimulatorConsole::printError(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}
