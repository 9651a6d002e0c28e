#pragma once

#include "TSerialPort.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

// The portable thermal strip printer on a serial port (a Bluetooth serial port
// in practice), driven with ESC/POS raster commands: ESC @, then the image in
// bands of 100 rows (GS v 0), then ESC d 5.
//
// Every wait is bounded: a printer that takes no byte for stallTimeoutMs (out
// of paper) or whose link drops (out of range) ends the job with an error, and
// cancel() ends it from any thread within a fraction of a second. A job runs on
// one thread; the object may live on a worker thread.
class ESCPPrinter : public QObject
{
    Q_OBJECT

public:
    static constexpr int BandRows = 100;

    struct Pace
    {
        // Pause after each band, so that a printer without flow control keeps up.
        int bandPauseMs = 1700;
        // No byte taken for this long: the printer stopped responding.
        int stallTimeoutMs = 5000;
        // Pause after the last command, before the port closes.
        int finishPauseMs = 1000;

        // The band pause from "Config/StripPrinterBandPause" (milliseconds, 0 to
        // 10000; a printer that keeps up by itself needs none), the rest as above.
        static Pace fromSettings();
    };

    // cancelled, when given, is the flag cancel() sets (shared with whoever may
    // cancel the job from another thread).
    explicit ESCPPrinter(std::shared_ptr<std::atomic<bool>> cancelled = nullptr, QObject* parent = nullptr);
    ~ESCPPrinter() override;

    void setPace(const Pace& pace) { m_pace = pace; }
    const Pace& pace() const { return m_pace; }

    // Opens a serial device: a port the system lists ("rfcomm0", "ttyUSB0") or a
    // path ("/dev/rfcomm0", a simulator's link). False for anything that does not
    // open as a serial device.
    bool open(const QString& portName);
    void close();
    bool isOpen() const { return m_port.isOpen(); }

    // Sends the image, most significant bit first, a set bit (a dark pixel of any
    // image) printing a dot; the last band is padded with blank rows. Emits
    // progress after each band. Throws TException with the text the user sees
    // when the printer stops taking bytes, the link drops or the job is cancelled.
    void printImage(const QImage& image);

    // Any thread: ends the running job at its next step.
    void cancel() { m_cancelled->store(true); }

    static QByteArray initialiseCommand();
    static QByteArray finishCommand();
    // Band header and rows of the band that starts at firstRow.
    static QByteArray band(const QImage& image, int firstRow);
    static int bandCount(const QImage& image);

    static QString stoppedText();
    static QString lostText();
    static QString cancelledText();

signals:
    // The share of the image's rows sent so far, 0 to 100.
    void progress(int percent);

private:
    void send(const QByteArray& bytes);
    void drain();
    void pause(int ms);
    void throwIfCancelled() const;

    TSerialPort m_port;
    std::shared_ptr<std::atomic<bool>> m_cancelled;
    Pace m_pace;
};
