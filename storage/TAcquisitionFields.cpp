#include "TAcquisitionFields.h"

#include "TAcqDevice.h"

#include <QStringList>

TAcquisitionFields TAcquisitionFields::fromDevice(TAcqDevice& device)
{
    TAcquisitionFields fields;
    fields.channelCount = device.channelCount();
    fields.samplingRate = device.samplingRate();
    fields.resolution = device.resolution();
    fields.gainMax = device.gainMax();
    QStringList names;
    for (int c = 0; c < fields.channelCount; ++c)
        names << QString::fromLatin1(device.channelName(c));
    fields.channelNames = names.join(QLatin1Char(','));
    return fields;
}
