// Fuzz target: the sample file header reader over any bytes, as a whole header
// area and as the JSON text after the magic. It must never crash or hang;
// whatever reads as a header must be in the ranges the signal buffer accepts, and
// must come back the same after being written and read again.

#include "FuzzSeeds.h"
#include "TSampleFile.h"
#include "TSignalBuffer.h"

#include <QJsonObject>

#include <cstdint>
#include <cstdlib>

namespace {

void run(const QByteArray& bytes)
{
    const std::optional<TAcquisitionFields> fields = TSampleFile::parseHeader(bytes);
    if (!fields)
        return;
    if (fields->channelCount < 1 || fields->channelCount > TSignalBuffer::MaxChannels || fields->samplingRate < 1
        || fields->resolution < 1 || fields->sampleFormat.isEmpty())
        std::abort();
    // Written again (with the symmetric gain range the fields hold) it reads the same.
    if (fields->gainMax <= 0.0)
        return;
    const QByteArray area = TSampleFile::headerArea(*fields, QJsonObject(), QJsonObject());
    const std::optional<TAcquisitionFields> again = TSampleFile::parseHeader(area);
    if (area.size() != TSampleFile::HeaderSize || !again || again->channelCount != fields->channelCount
        || again->samplingRate != fields->samplingRate || again->resolution != fields->resolution
        || again->gainMax != fields->gainMax)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    run(bytes);
    run(TSampleFile::Magic + bytes);
    return 0;
}

std::vector<std::string> velmoraFuzzSeeds()
{
    TAcquisitionFields f;
    f.channelCount = 7;
    f.samplingRate = 500;
    f.resolution = 16;
    f.gainMax = 300.0;
    f.channelNames = "I,II,III,aVR,aVL,aVF,V5";
    const QByteArray area =
        TSampleFile::headerArea(f, QJsonObject{{"id", 3}}, QJsonObject{{"lastName", "Muñoz"}});
    const QByteArray json = area.mid(6, area.indexOf('\0') - 6);
    const QByteArray small =
        R"({"ecg":{"sampleFormat":"short","samplingRate":250,"resolution":12,"gainMin":-5,"gainMax":5,"channels":["II"]}})";
    std::vector<std::string> seeds;
    for (const QByteArray& s : {area, json, small})
        seeds.emplace_back(s.constData(), size_t(s.size()));
    return seeds;
}
