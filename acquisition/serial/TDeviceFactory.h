#pragma once

#include <QString>

#include <memory>

class QSettings;
class TAcqDevice;

// What the acquisition settings say about the device: the mode ("demo",
// "bluetooth-com", anything else for the recorder on USB), the Bluetooth
// port, the recorder's protocol and its full-scale range (0: the device's own).
struct TDeviceSettings
{
    QString mode;
    QString bluetoothPort;
    bool hrProtocol = false;
    double signalGain = 0.0;

    // Keys missing from the store give the values above.
    static TDeviceSettings fromSettings(const QSettings& settings);
};

// Turns the acquisition settings into a device: the demo replay, the recorder
// on a Bluetooth serial port, or the recorder found on USB, each in its default
// or HR protocol.
class TDeviceFactory
{
public:
    // The channels the launcher asks of the recorder: I, II, III, aVR, aVL, aVF, V5.
    static constexpr int ChannelMask = 1087;
    static constexpr int DefaultBaudRate = 230400;
    static constexpr int HRBaudRate = 570000;

    // A new device that the caller owns. Throws TException with the device's
    // text when it cannot be created ("Device not found", "Cannot open file").
    static std::unique_ptr<TAcqDevice> create(const TDeviceSettings& settings);
    static std::unique_ptr<TAcqDevice> create(const QSettings& settings);
    // The same from the application's settings store.
    static std::unique_ptr<TAcqDevice> create();
};
