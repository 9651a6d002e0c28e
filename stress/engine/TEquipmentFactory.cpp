#include "TEquipmentFactory.h"

#include "TKipnetTreadmill.h"
#include "TOlmoErgometer.h"

#include <QSettings>

namespace {

QString text(const QSettings& settings, const char* key)
{
    return settings.value(QLatin1String(key), QString()).toString();
}

} // namespace

TExerciseEquipment* TEquipmentFactory::create(int protocolType)
{
    QSettings settings;
    return create(protocolType, settings);
}

TExerciseEquipment* TEquipmentFactory::create(int protocolType, const QSettings& settings)
{
    if (protocolType == TreadmillProtocol) {
        if (text(settings, "Config/TreadmillEquipment") == QLatin1String("kipmachines"))
            return new TKipnetTreadmill(text(settings, "Config/TreadmillPort"));
        return nullptr;
    }
    if (protocolType == ErgometerProtocol) {
        const QString equipment = text(settings, "Config/ErgometerEquipment");
        const QString port = text(settings, "Config/ErgometerPort");
        if (equipment == QLatin1String("olmo"))
            return new TOlmoErgometer(port);
        if (equipment == QLatin1String("kipmachines"))
            return new TKipnetTreadmill(port);
        return nullptr;
    }
    return nullptr;
}
