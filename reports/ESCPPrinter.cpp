#include "ESCPPrinter.h"

#include "TException.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QThread>

#include <algorithm>
#include <cstring>

namespace {

// Bytes per write: small enough that a stall or a cancel is seen at once.
constexpr int ChunkBytes = 512;
// How long one write may wait for room before the job looks again.
constexpr int WriteSliceMs = 100;

TSerialSetup printerSetup()
{
    TSerialSetup setup;
    setup.baudRate = 115200; // a Bluetooth serial port ignores it; a cabled printer takes it
    setup.readTimeoutMs = 100;
    setup.writeTimeoutMs = WriteSliceMs;
    return setup;
}

// The image as one bit per pixel, a set bit for a dark pixel.
QImage inkBits(const QImage& image)
{
    if (image.format() == QImage::Format_Mono && image.colorCount() == 2 &&
        qGray(image.color(1)) < qGray(image.color(0)))
        return image;
    QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    QImage bits(grey.size(), QImage::Format_Mono);
    bits.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    bits.fill(0);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* in = grey.constScanLine(y);
        uchar* out = bits.scanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            if (in[x] < 128)
                out[x >> 3] |= uchar(0x80 >> (x & 7));
    }
    return bits;
}

} // namespace

ESCPPrinter::Pace ESCPPrinter::Pace::fromSettings()
{
    Pace pace;
    bool ok = false;
    const int ms = QSettings().value(QStringLiteral("Config/StripPrinterBandPause"), pace.bandPauseMs).toInt(&ok);
    if (ok && ms >= 0 && ms <= 10000)
        pace.bandPauseMs = ms;
    return pace;
}

ESCPPrinter::ESCPPrinter(std::shared_ptr<std::atomic<bool>> cancelled, QObject* parent)
    : QObject(parent), m_cancelled(cancelled ? std::move(cancelled) : std::make_shared<std::atomic<bool>>(false))
{
}

ESCPPrinter::~ESCPPrinter() = default;

QString ESCPPrinter::stoppedText()
{
    return QCoreApplication::translate("ESCPPrinter",
                                       "The printer stopped responding (please check it has paper and is turned on)");
}

QString ESCPPrinter::lostText()
{
    return QCoreApplication::translate(
        "ESCPPrinter", "The connection to the printer was lost (please check it is turned on and within range)");
}

QString ESCPPrinter::cancelledText()
{
    return QCoreApplication::translate("ESCPPrinter", "Printing was cancelled.");
}

bool ESCPPrinter::open(const QString& portName)
{
    return m_port.open(portName.trimmed(), printerSetup()) == TSerialPort::Error::None;
}

void ESCPPrinter::close()
{
    m_port.close();
}

QByteArray ESCPPrinter::initialiseCommand()
{
    return QByteArray("\x1b\x40", 2);
}

QByteArray ESCPPrinter::finishCommand()
{
    return QByteArray("\x1b\x64\x05", 3);
}

int ESCPPrinter::bandCount(const QImage& image)
{
    return (image.height() + BandRows - 1) / BandRows;
}

QByteArray ESCPPrinter::band(const QImage& image, int firstRow)
{
    const QImage bits = inkBits(image);
    const int bytesPerRow = (bits.width() + 7) / 8;
    QByteArray out;
    out.reserve(8 + bytesPerRow * BandRows);
    const char header[8] = {0x1d, 0x76, 0x30, 0x00, char(bytesPerRow & 0xff), char((bytesPerRow >> 8) & 0xff),
                            char(BandRows & 0xff), char((BandRows >> 8) & 0xff)};
    out.append(header, 8);
    const int lastBit = bits.width() % 8;
    for (int y = firstRow; y < firstRow + BandRows; ++y) {
        if (y < 0 || y >= bits.height()) {
            out.append(bytesPerRow, '\0'); // the last band is padded with blank rows
            continue;
        }
        QByteArray row(reinterpret_cast<const char*>(bits.constScanLine(y)), bytesPerRow);
        if (lastBit != 0) // bits past the image's width are not the image's
            row[bytesPerRow - 1] = char(uchar(row[bytesPerRow - 1]) & uchar(0xff << (8 - lastBit)));
        out.append(row);
    }
    return out;
}

void ESCPPrinter::throwIfCancelled() const
{
    if (m_cancelled->load())
        throw TException(cancelledText());
}

void ESCPPrinter::send(const QByteArray& bytes)
{
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    int done = 0;
    while (done < bytes.size()) {
        throwIfCancelled();
        const int n = m_port.write(bytes.constData() + done, std::min(ChunkBytes, bytes.size() - done));
        if (n < 0)
            throw TException(lostText());
        if (n > 0) {
            done += n;
            sinceProgress.restart();
        } else if (sinceProgress.elapsed() >= m_pace.stallTimeoutMs) {
            throw TException(stoppedText());
        }
    }
    drain();
}

// Waits until the driver has sent what was written, as long as it makes headway.
void ESCPPrinter::drain()
{
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    int queued = m_port.queuedOutput();
    while (queued > 0) {
        throwIfCancelled();
        if (sinceProgress.elapsed() >= m_pace.stallTimeoutMs)
            throw TException(stoppedText());
        QThread::msleep(10);
        const int now = m_port.queuedOutput();
        if (now < 0)
            throw TException(lostText());
        if (now < queued)
            sinceProgress.restart();
        queued = now;
    }
}

void ESCPPrinter::pause(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        throwIfCancelled();
        QThread::msleep(quint64(std::clamp<qint64>(ms - timer.elapsed(), 1, 50)));
    }
}

void ESCPPrinter::printImage(const QImage& image)
{
    if (!isOpen())
        throw TException(lostText());
    const QImage bits = inkBits(image);
    const int height = std::max(1, bits.height());
    send(initialiseCommand());
    for (int first = 0; first < bits.height(); first += BandRows) {
        send(band(bits, first));
        emit progress(std::min(100, int(qint64(first + BandRows) * 100 / height)));
        pause(m_pace.bandPauseMs);
    }
    send(finishCommand());
    pause(m_pace.finishPauseMs);
}
