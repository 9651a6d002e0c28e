#pragma once

#include "TSerialAcqDevice.h"

// The ECG recorder on a serial port, HR protocol: all 14 leads, each the mean
// of two recorder frames, at 500 per second. It reports no saturation.
class THRSerialAcqDevice : public TSerialAcqDevice
{
public:
    // On a given port (the Bluetooth link).
    THRSerialAcqDevice(const QString& portName, int baudRate);
    // On the port found by the USB search; throws TException("Device not found").
    THRSerialAcqDevice();

    bool isChannelSaturated(int) override { return false; }
};
