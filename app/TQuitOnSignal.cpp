#include "TQuitOnSignal.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int pipeEnds[2] = {-1, -1};
}

TQuitOnSignal::TQuitOnSignal(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeEnds) != 0)
        return;
    m_notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TQuitOnSignal::onSignal);
    struct sigaction action {};
    action.sa_handler = &TQuitOnSignal::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

TQuitOnSignal::~TQuitOnSignal()
{
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
}

void TQuitOnSignal::handle(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
}

void TQuitOnSignal::onSignal()
{
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(pipeEnds[1], &byte, 1);
    // A recording window ends its recording as on Save; then the loop ends.
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}
