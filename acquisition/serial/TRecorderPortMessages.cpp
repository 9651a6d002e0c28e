#include "TRecorderPortMessages.h"

namespace TRecorderPortMessages {

const char* text(TSerialPort::Error error)
{
    switch (error) {
    case TSerialPort::Error::None:
        return "";
    case TSerialPort::Error::NotFound:
    case TSerialPort::Error::InvalidPort:
    case TSerialPort::Error::Busy:
    case TSerialPort::Error::OpenFailed:
        return OpenFailed;
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
    return Unexpected;
}

} // namespace TRecorderPortMessages
