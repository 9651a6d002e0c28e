#include "TSerialPort.h"

#include "TSerialBaudRate.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The POSIX speed constant of a baud rate, or 0 when the table lacks it.
speed_t standardSpeed(int baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 500000: return B500000;
    case 576000: return B576000;
    case 921600: return B921600;
    case 1000000: return B1000000;
    default: return 0;
    }
}

int remainingMs(const QElapsedTimer& timer, int totalMs)
{
    const qint64 left = qint64(totalMs) - timer.elapsed();
    return left > 0 ? int(left) : 0;
}

} // namespace

TSerialPort::~TSerialPort()
{
    close();
}

QString TSerialPort::devicePath(const QString& portName)
{
    if (portName.contains(QLatin1Char('/')))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

TSerialPort::Error TSerialPort::open(const QString& portName, const TSerialSetup& setup)
{
    close();
    m_setup = setup;
    m_path = devicePath(portName);
    if (portName.isEmpty())
        return Error::NotFound;
    const Error opened = openDevice(QFile::encodeName(m_path));
    if (opened != Error::None)
        return opened;
    Error failed = Error::None;
    if (!setBufferSizes(setup.inputBufferSize, setup.outputBufferSize))
        failed = Error::BufferSizes;
    else if (!readLineSettings())
        failed = Error::GetLine;
    else if (!applyLineSettings())
        failed = Error::SetLine;
    // The time-outs are kept here and applied by poll(): an open port always has
    // them, and only a negative one is refused.
    else if (!isOpen())
        failed = Error::GetTimeouts;
    else if (setup.readTimeoutMs < 0 || setup.writeTimeoutMs < 0)
        failed = Error::SetTimeouts;
    else if (!purge())
        failed = Error::Purge;
    if (failed != Error::None)
        close();
    return failed;
}

TSerialPort::Error TSerialPort::openDevice(const QByteArray& path)
{
    // Non-blocking: opening must not wait for a carrier, and reads and writes
    // wait in poll() with their time-outs instead.
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        switch (errno) {
        case ENOENT:
        case ENOTDIR:
        case ENXIO:
        case ENODEV:
            return Error::NotFound;
        case EISDIR:
            return Error::InvalidPort;
        case EBUSY:
            return Error::Busy;
        default:
            return Error::OpenFailed;
        }
    }
    if (!isatty(fd)) {
        ::close(fd);
        return Error::InvalidPort;
    }
    // The advisory lock makes a second opener fail even when it runs as root,
    // which TIOCEXCL alone does not stop.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        ::close(fd);
        return lockError == EWOULDBLOCK ? Error::Busy : Error::OpenFailed;
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return Error::OpenFailed;
    }
    m_fd = fd;
    return Error::None;
}

bool TSerialPort::setBufferSizes(int input, int output)
{
    // The tty layer's queues are fixed in size; a port exists to be asked.
    return isOpen() && input > 0 && output > 0;
}

bool TSerialPort::readLineSettings()
{
    struct termios tio;
    return isOpen() && tcgetattr(m_fd, &tio) == 0;
}

bool TSerialPort::applyLineSettings()
{
    struct termios tio;
    if (tcgetattr(m_fd, &tio) != 0)
        return false;
    // Raw bytes: no line editing, no translation, no echo, no software flow control.
    tio.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
                             INPCK);
    tio.c_oflag &= ~tcflag_t(OPOST);
    tio.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    // One byte at least, no inter-byte timer: reads on the non-blocking
    // descriptor then say EAGAIN when nothing is there, and time-outs are poll's.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = standardSpeed(m_setup.baudRate);
    if (speed != 0 && (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0))
        return false;
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return false;
    if (speed == 0 && !TSerialBaudRate::setCustom(m_fd, m_setup.baudRate))
        return false;
    // tcsetattr succeeds when any part of the change was taken: check that the
    // speed the driver settled on is close enough for the line to work.
    const int actual = TSerialBaudRate::read(m_fd);
    if (actual > 0 && std::abs(actual - m_setup.baudRate) > m_setup.baudRate / 50)
        return false;
    if (m_setup.lowerModemLines)
        lowerModemLines();
    return true;
}

bool TSerialPort::lowerModemLines()
{
    // Pseudo-terminals and some adapters have no modem lines: nothing to lower.
    int lines = TIOCM_DTR | TIOCM_RTS;
    return ioctl(m_fd, TIOCMBIC, &lines) == 0;
}

void TSerialPort::close()
{
    if (m_fd >= 0) {
        // The exclusive flag outlives this descriptor while another one (such as a
        // simulator's) keeps the terminal open: clear it for the next opener.
        ioctl(m_fd, TIOCNXCL);
        flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}

bool TSerialPort::purge()
{
    return isOpen() && tcflush(m_fd, TCIOFLUSH) == 0;
}

int TSerialPort::readSome(char* buffer, int count, int timeoutMs)
{
    if (!isOpen())
        return -1;
    if (count <= 0)
        return 0;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        struct pollfd p = {m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, remainingMs(timer, timeoutMs));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (ready == 0)
            return 0;
        if (p.revents & POLLIN) {
            const ssize_t n = ::read(m_fd, buffer, size_t(count));
            if (n > 0)
                return int(n);
            // With VMIN 1 a terminal without data says EAGAIN; 0 is the end
            // of a line that hung up.
            if (n == 0 || (errno != EAGAIN && errno != EINTR))
                return -1;
        } else if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            return -1; // the device is gone
        }
        if (remainingMs(timer, timeoutMs) == 0)
            return 0;
    }
}

int TSerialPort::read(char* buffer, int count)
{
    if (!isOpen())
        return -1;
    QElapsedTimer timer;
    timer.start();
    int done = 0;
    while (done < count) {
        const int left = remainingMs(timer, m_setup.readTimeoutMs);
        const int n = readSome(buffer + done, count - done, left);
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int TSerialPort::queuedOutput() const
{
    int queued = 0;
    if (!isOpen() || ::ioctl(m_fd, TIOCOUTQ, &queued) != 0)
        return -1;
    return queued;
}

int TSerialPort::write(const char* data, int count)
{
    if (!isOpen())
        return -1;
    QElapsedTimer timer;
    timer.start();
    int done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, data + done, size_t(count - done));
        if (n > 0) {
            done += int(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return done > 0 ? done : -1;
        const int left = remainingMs(timer, m_setup.writeTimeoutMs);
        if (left == 0)
            break;
        struct pollfd p = {m_fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, left);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
            break;
    }
    return done;
}
