#include "TPseudoTerminal.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

TPseudoTerminal::TPseudoTerminal(const QString& linkPath) : m_linkPath(linkPath) {}

TPseudoTerminal::~TPseudoTerminal()
{
    close();
}

bool TPseudoTerminal::open(QString* error)
{
    close();
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        setError(error, systemError("posix_openpt"));
        return false;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        setError(error, systemError("pseudo-terminal"));
        ::close(master);
        return false;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        setError(error, systemError("open slave"));
        ::close(master);
        return false;
    }
    // Raw from the start: no echo of the device's bytes back to it, no line
    // editing before the program has set the line up itself.
    struct termios tio;
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tcsetattr(slave, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    m_master = master;
    m_slave = slave;
    m_slavePath = QString::fromLocal8Bit(name);
    if (!pointLink(error)) {
        close();
        return false;
    }
    return true;
}

bool TPseudoTerminal::pointLink(QString* error)
{
    if (m_linkPath.isEmpty())
        return true;
    // A new link under a temporary name, renamed over the old one: the port
    // path is never missing for someone who looks at the wrong moment.
    const QByteArray link = QFile::encodeName(m_linkPath);
    const QByteArray temporary = link + ".new";
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(m_slavePath).constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), link.constData()) != 0) {
        setError(error, systemError("symlink"));
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

void TPseudoTerminal::close()
{
    if (m_master < 0)
        return;
    if (!m_linkPath.isEmpty()) {
        // Only our own link: never a file someone else put there since.
        char target[256];
        const ssize_t n = ::readlink(QFile::encodeName(m_linkPath).constData(), target, sizeof target - 1);
        if (n > 0) {
            target[n] = '\0';
            if (QString::fromLocal8Bit(target) == m_slavePath)
                ::unlink(QFile::encodeName(m_linkPath).constData());
        }
    }
    ::close(m_slave);
    ::close(m_master);
    m_master = m_slave = -1;
    m_slavePath.clear();
}

int TPseudoTerminal::read(char* buffer, int count, int timeoutMs)
{
    if (m_master < 0)
        return -1;
    struct pollfd p = {m_master, POLLIN, 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready < 0)
        return errno == EINTR ? 0 : -1;
    if (ready == 0)
        return 0;
    const ssize_t n = ::read(m_master, buffer, size_t(count));
    if (n > 0)
        return int(n);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return 0;
    // EIO: no slave end open; we hold one, so this is a real failure.
    return -1;
}

int TPseudoTerminal::writeSome(const char* data, int count)
{
    if (m_master < 0)
        return -1;
    if (count <= 0)
        return 0;
    const ssize_t n = ::write(m_master, data, size_t(count));
    if (n >= 0)
        return int(n);
    return errno == EAGAIN || errno == EINTR ? 0 : -1;
}

bool TPseudoTerminal::waitWritable(int timeoutMs)
{
    if (m_master < 0)
        return false;
    struct pollfd p = {m_master, POLLOUT, 0};
    return ::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLOUT);
}

TPseudoTerminal::Ready TPseudoTerminal::wait(bool forWriting, bool forReading, int timeoutMs)
{
    Ready ready;
    if (m_master < 0)
        return ready;
    struct pollfd p = {m_master, short((forReading ? POLLIN : 0) | (forWriting ? POLLOUT : 0)), 0};
    if (::poll(&p, 1, timeoutMs) > 0) {
        ready.readable = p.revents & POLLIN;
        ready.writable = p.revents & POLLOUT;
    }
    return ready;
}
