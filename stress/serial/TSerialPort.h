#pragma once

#include "TSerialSetup.h"

#include <QByteArray>
#include <QString>

// A serial port opened read-write and exclusively, with total time-outs on
// reads and writes. The devices that use it map its errors to their own texts.
//
// A port name that contains "/" is a path; any other name ("ttyUSB0",
// "rfcomm0") is a device under /dev.
//
// One thread at a time uses a port; it is not copyable.
class TSerialPort
{
public:
    enum class Error
    {
        None,
        NotFound,     // no such device
        InvalidPort,  // not a terminal
        Busy,         // opened or locked by another
        OpenFailed,   // any other reason the device did not open
        BufferSizes,  // driver queue sizes rejected
        GetLine,      // line settings unreadable
        SetLine,      // line settings (or the baud rate) rejected
        GetTimeouts,  // time-outs unreadable
        SetTimeouts,  // time-outs rejected
        Purge         // queues could not be cleared
    };

    TSerialPort() = default;
    ~TSerialPort();
    TSerialPort(const TSerialPort&) = delete;
    TSerialPort& operator=(const TSerialPort&) = delete;

    static QString devicePath(const QString& portName);

    // Opens an existing device and sets it up; any failing step closes it again.
    Error open(const QString& portName, const TSerialSetup& setup);
    bool isOpen() const { return m_fd >= 0; }
    void close();
    QString path() const { return m_path; }
    const TSerialSetup& setup() const { return m_setup; }

    // Discards what was received and not read, and what was written and not sent.
    bool purge();

    // Reads exactly count bytes unless the read time-out passes or the line
    // hangs up first; returns the bytes read, -1 when the port is not open.
    int read(char* buffer, int count);
    // Returns as soon as some bytes are there: up to count bytes, 0 when
    // nothing came within timeoutMs, -1 on hang-up or error.
    int readSome(char* buffer, int count, int timeoutMs);
    // Writes all count bytes unless the write time-out passes first; returns the
    // bytes written, -1 when the port is not open or failed.
    int write(const char* data, int count);
    int write(const QByteArray& data) { return write(data.constData(), data.size()); }
    // Bytes written and not yet sent by the driver; -1 when the port is not open
    // or the driver cannot tell.
    int queuedOutput() const;

private:
    Error openDevice(const QByteArray& path);
    bool setBufferSizes(int input, int output);
    bool readLineSettings();
    bool applyLineSettings();
    bool lowerModemLines();

    int m_fd = -1;
    QString m_path;
    TSerialSetup m_setup;
};
