#pragma once

#include <QString>

class TAcqDevice;

// What the acquisition device tells about the recording when a study starts.
// These go to the sample file header, not to the record file.
struct TAcquisitionFields
{
    int channelCount = 0;
    int samplingRate = 0;    // samples per second per channel
    int resolution = 0;      // bits per sample value
    double gainMax = 0.0;    // full-scale range G in mV: the gain range is -G..+G
    QString sampleFormat = QStringLiteral("short");
    QString channelNames;    // lead names in channel order, joined with ","

    // What a device reports of its recording, as a new study records it.
    static TAcquisitionFields fromDevice(TAcqDevice& device);

    bool operator==(const TAcquisitionFields& o) const
    {
        return channelCount == o.channelCount && samplingRate == o.samplingRate
               && resolution == o.resolution && gainMax == o.gainMax
               && sampleFormat == o.sampleFormat && channelNames == o.channelNames;
    }
    bool operator!=(const TAcquisitionFields& o) const { return !(*this == o); }
};
