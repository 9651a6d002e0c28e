#pragma once

#include "TSerialPort.h"

// The recorder link's texts for a port that failed to open or set up.
namespace TRecorderPortMessages {

constexpr const char* OpenFailed = "No se pudo abrir el puerto (CreateFile)";
constexpr const char* ReadError = "Device read error";
constexpr const char* Unexpected = "Unexpected error";
constexpr const char* DeviceNotFound = "Device not found";

// A text that lives as long as the program (the reader hands it out unlocked).
const char* text(TSerialPort::Error error);

} // namespace TRecorderPortMessages
