#pragma once

#include "TSerialPortCandidate.h"

#include <QList>
#include <QString>

// Finds the USB serial port of the ECG recorder among the system's ports: by
// the description the recorder gives itself, else by its USB identifiers.
class TRecorderPortFinder
{
public:
    static constexpr quint16 UsbVendorId = 1240;
    static constexpr quint16 UsbProductId = 223;

    // The serial ports the system reports, with their device paths.
    static QList<TSerialPortCandidate> availablePorts();
    // The recorder's port among candidates, or an empty name.
    static QString choose(const QList<TSerialPortCandidate>& candidates);
    // The recorder's port; throws TException("Device not found") when none qualifies.
    static QString findUsbPort();
};
