#include "TDeviceFactory.h"

#include "TDemoAcqDevice.h"
#include "THRSerialAcqDevice.h"
#include "TSerialAcqDevice.h"
#include "TSettingsKeys.h"

#include <QSettings>

std::unique_ptr<TAcqDevice> TDeviceFactory::create()
{
    const QSettings settings;
    return create(settings);
}

std::unique_ptr<TAcqDevice> TDeviceFactory::create(const QSettings& settings)
{
    const QString mode = settings.value(QLatin1String(TSettingsKeys::AcqMode), QString()).toString();
    const double gain = settings.value(QLatin1String(TSettingsKeys::SignalGain), 0.0).toDouble();
    const bool hrProtocol = settings.value(QLatin1String(TSettingsKeys::HRProtocol), false).toBool();

    if (mode == QLatin1String(TSettingsKeys::AcqModeDemo))
        return std::make_unique<TDemoAcqDevice>(QString::fromLatin1(TDemoAcqDevice::DefaultFileName), 14, 500, 2, 16,
                                                300.0, 0, ChannelMask);

    std::unique_ptr<TSerialAcqDevice> device;
    if (mode == QLatin1String(TSettingsKeys::AcqModeBluetooth)) {
        const QString port = settings.value(QLatin1String(TSettingsKeys::AcqBluetoothPort), QString()).toString();
        if (hrProtocol)
            device = std::make_unique<THRSerialAcqDevice>(port, HRBaudRate);
        else
            device = std::make_unique<TSerialAcqDevice>(port, DefaultBaudRate, ChannelMask);
    } else {
        if (hrProtocol)
            device = std::make_unique<THRSerialAcqDevice>();
        else
            device = std::make_unique<TSerialAcqDevice>(ChannelMask);
    }
    if (gain > 0.0)
        device->setGain(gain);
    return device;
}
