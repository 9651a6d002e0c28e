#include "TEquipmentPort.h"

#include "TException.h"

TEquipmentPort::TEquipmentPort(const QString& portName, int baudRate, int timeoutMs) : m_portName(portName)
{
    m_setup.baudRate = baudRate;
    m_setup.inputBufferSize = QueueSize;
    m_setup.outputBufferSize = QueueSize;
    m_setup.readTimeoutMs = timeoutMs;
    m_setup.writeTimeoutMs = timeoutMs;
}

void TEquipmentPort::ensureOpen()
{
    if (m_port.isOpen())
        return;
    const TSerialPort::Error error = m_port.open(m_portName, m_setup);
    if (error != TSerialPort::Error::None)
        throw TException(errorText(error));
}

const char* TEquipmentPort::errorText(TSerialPort::Error error)
{
    switch (error) {
    case TSerialPort::Error::None:
        return "";
    case TSerialPort::Error::NotFound:
        return "Port not found";
    case TSerialPort::Error::InvalidPort:
        return "Invalid port";
    case TSerialPort::Error::Busy:
        return "Port already in use";
    case TSerialPort::Error::OpenFailed:
        return "Connect failed";
    case TSerialPort::Error::BufferSizes:
        return "SetupComm failed";
    case TSerialPort::Error::GetLine:
        return "GetCommState failed";
    case TSerialPort::Error::SetLine:
        return "SetCommState failed";
    case TSerialPort::Error::GetTimeouts:
        return "GetCommTimeouts failed";
    case TSerialPort::Error::SetTimeouts:
        return "SetCommTimeouts failed";
    case TSerialPort::Error::Purge:
        return "PurgeComm failed";
    }
    return "Connect failed";
}
