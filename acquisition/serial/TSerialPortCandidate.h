#pragma once

#include <QString>
#include <QtGlobal>

// What the system tells about one serial port, as the recorder search needs it.
struct TSerialPortCandidate
{
    QString portName; // a name or a path the serial port opens
    QString description;
    bool hasVendorId = false;
    quint16 vendorId = 0;
    bool hasProductId = false;
    quint16 productId = 0;
};
