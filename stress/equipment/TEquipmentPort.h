#pragma once

#include "TSerialPort.h"

#include <QString>

// The serial port of an exercise machine, opened on demand by the controller's
// worker at the top of every cycle: 256-byte queues, 8 data bits, no parity,
// one stop bit, and the same total time-out for reads and writes.
class TEquipmentPort
{
public:
    static constexpr int QueueSize = 256;

    TEquipmentPort(const QString& portName, int baudRate, int timeoutMs);

    // Does nothing while open; otherwise opens and sets up the port, or throws
    // TException with the text of the failing step ("Port not found", ...).
    void ensureOpen();
    bool isOpen() const { return m_port.isOpen(); }
    void close() { m_port.close(); }
    TSerialPort& port() { return m_port; }
    QString portName() const { return m_portName; }

    static const char* errorText(TSerialPort::Error error);

private:
    QString m_portName;
    TSerialSetup m_setup;
    TSerialPort m_port;
};
