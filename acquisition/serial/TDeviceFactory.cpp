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

TDeviceSettings TDeviceSettings::fromSettings(const QSettings& settings)
{
    TDeviceSettings s;
    s.mode = settings.value(QLatin1String(TSettingsKeys::AcqMode), QString()).toString();
    s.bluetoothPort = settings.value(QLatin1String(TSettingsKeys::AcqBluetoothPort), QString()).toString();
    s.hrProtocol = settings.value(QLatin1String(TSettingsKeys::HRProtocol), false).toBool();
    s.signalGain = settings.value(QLatin1String(TSettingsKeys::SignalGain), 0.0).toDouble();
    return s;
}

std::unique_ptr<TAcqDevice> TDeviceFactory::create(const QSettings& settings)
{
    return create(TDeviceSettings::fromSettings(settings));
}

std::unique_ptr<TAcqDevice> TDeviceFactory::create(const TDeviceSettings& settings)
{
    const QString& mode = settings.mode;
    const double gain = settings.signalGain;
    const bool hrProtocol = settings.hrProtocol;

    if (mode == QLatin1String(TSettingsKeys::AcqModeDemo))
        return std::make_unique<TDemoAcqDevice>(QString::fromLatin1(TDemoAcqDevice::DefaultFileName), 14, 500, 2, 16,
                                                300.0, 0, ChannelMask);

    std::unique_ptr<TSerialAcqDevice> device;
    if (mode == QLatin1String(TSettingsKeys::AcqModeBluetooth)) {
        const QString& port = settings.bluetoothPort;
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
