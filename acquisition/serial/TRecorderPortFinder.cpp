#include "TRecorderPortFinder.h"

#include "TException.h"
#include "TRecorderPortMessages.h"

#include <QSerialPortInfo>

QList<TSerialPortCandidate> TRecorderPortFinder::availablePorts()
{
    QList<TSerialPortCandidate> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        TSerialPortCandidate port;
        port.portName = info.systemLocation();
        port.description = info.description();
        port.hasVendorId = info.hasVendorIdentifier();
        port.vendorId = info.vendorIdentifier();
        port.hasProductId = info.hasProductIdentifier();
        port.productId = info.productIdentifier();
        ports.append(port);
    }
    return ports;
}

QString TRecorderPortFinder::choose(const QList<TSerialPortCandidate>& candidates)
{
    for (const TSerialPortCandidate& port : candidates) {
        // Drivers report the name with underscores for spaces.
        const QString description = port.description.toUpper().replace(QLatin1Char('_'), QLatin1Char(' '));
        if (description.startsWith(QLatin1String("CARDIVEX ECG")) ||
            description.startsWith(QLatin1String("CARDIVEX ERGO")))
            return port.portName;
    }
    for (const TSerialPortCandidate& port : candidates)
        if (port.hasVendorId && port.vendorId == UsbVendorId && port.hasProductId && port.productId == UsbProductId)
            return port.portName;
    return QString();
}

QString TRecorderPortFinder::findUsbPort()
{
    const QString port = choose(availablePorts());
    if (port.isEmpty())
        throw TException(TRecorderPortMessages::DeviceNotFound);
    return port;
}
