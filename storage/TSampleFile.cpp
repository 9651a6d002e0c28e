#include "TSampleFile.h"

#include "TException.h"
#include "TFileSignalBuffer.h"
#include "TSignalBuffer.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStringList>

#include <cmath>

const QByteArray TSampleFile::Magic = QByteArrayLiteral("CXECG1");
const QString TSampleFile::Extension = QStringLiteral("cxecg");

namespace {

// The JSON text lives between the magic and the end of the header area; it is
// never allowed to run into the first frame.
constexpr int MaxJsonSize = TSampleFile::HeaderSize - 6;
// Lead names are a few characters; a longer one is cut so that "ecg" always fits.
constexpr int MaxChannelNameBytes = 64;
constexpr int MaxSamplingRate = 100000;
constexpr int MaxResolution = 32;

struct THeader
{
    TAcquisitionFields fields;
    double gainMin = 0.0;
    double gainMax = 0.0;
    QStringList channels;
};

QStringList channelList(const TAcquisitionFields& fields)
{
    QStringList names = fields.channelNames.isEmpty() ? QStringList() : fields.channelNames.split(QLatin1Char(','));
    QStringList out;
    for (int i = 0; i < fields.channelCount; ++i) {
        QString name = i < names.size() ? names[i] : QString();
        while (name.toUtf8().size() > MaxChannelNameBytes)
            name.chop(1);
        out.append(name);
    }
    return out;
}

QJsonObject ecgObject(const TAcquisitionFields& fields)
{
    QJsonObject ecg;
    ecg.insert(QStringLiteral("sampleFormat"), fields.sampleFormat.isEmpty() ? QStringLiteral("short") : fields.sampleFormat);
    ecg.insert(QStringLiteral("samplingRate"), fields.samplingRate);
    ecg.insert(QStringLiteral("resolution"), fields.resolution);
    ecg.insert(QStringLiteral("gainMin"), -fields.gainMax);
    ecg.insert(QStringLiteral("gainMax"), fields.gainMax);
    ecg.insert(QStringLiteral("channels"), QJsonArray::fromStringList(channelList(fields)));
    return ecg;
}

QByteArray compact(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// Removes the member of study or patient whose text is longest; false when both
// are empty.
bool dropLargestMember(QJsonObject& study, QJsonObject& patient)
{
    QJsonObject* owner = nullptr;
    QString key;
    int largest = -1;
    for (QJsonObject* o : {&study, &patient}) {
        for (auto it = o->constBegin(); it != o->constEnd(); ++it) {
            QJsonObject single;
            single.insert(it.key(), it.value());
            const int size = compact(single).size();
            if (size > largest) {
                largest = size;
                owner = o;
                key = it.key();
            }
        }
    }
    if (!owner)
        return false;
    owner->remove(key);
    return true;
}

std::optional<THeader> parse(const QByteArray& area)
{
    if (area.size() < TSampleFile::Magic.size() || !area.startsWith(TSampleFile::Magic))
        return std::nullopt;
    QByteArray text = area.mid(TSampleFile::Magic.size(), MaxJsonSize);
    const int zero = text.indexOf('\0');
    if (zero >= 0)
        text.truncate(zero);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject() || doc.object().isEmpty())
        return std::nullopt;
    const QJsonValue ecgValue = doc.object().value(QStringLiteral("ecg"));
    if (!ecgValue.isObject() || ecgValue.toObject().isEmpty())
        return std::nullopt;
    const QJsonObject ecg = ecgValue.toObject();

    // Whole numbers only: a rate of 499.5 or a resolution of 1e12 is not a header
    // this program wrote, and would make indices and value steps wrong.
    auto wholeNumber = [&ecg](const char* key, int low, int high) -> std::optional<int> {
        const QJsonValue v = ecg.value(QLatin1String(key));
        if (!v.isDouble())
            return std::nullopt;
        const double d = v.toDouble();
        if (!(d >= low && d <= high) || d != std::floor(d))
            return std::nullopt;
        return int(d);
    };
    const std::optional<int> rate = wholeNumber("samplingRate", 1, MaxSamplingRate);
    const std::optional<int> resolution = wholeNumber("resolution", 1, MaxResolution);
    if (!rate || !resolution)
        return std::nullopt;
    // The frames are 16-bit codes; any other format would be read as wrong values.
    const QString format = ecg.value(QStringLiteral("sampleFormat")).toString();
    if (format != QLatin1String("short"))
        return std::nullopt;
    const QJsonValue gainMin = ecg.value(QStringLiteral("gainMin"));
    const QJsonValue gainMax = ecg.value(QStringLiteral("gainMax"));
    if (!gainMin.isDouble() || !gainMax.isDouble())
        return std::nullopt;
    const double low = gainMin.toDouble();
    const double high = gainMax.toDouble();
    if (!std::isfinite(low) || !std::isfinite(high) || !(low < high) || !std::isfinite(high - low))
        return std::nullopt;
    const QJsonValue channelsValue = ecg.value(QStringLiteral("channels"));
    if (!channelsValue.isArray())
        return std::nullopt;
    const QJsonArray channels = channelsValue.toArray();
    if (channels.isEmpty() || channels.size() > TSignalBuffer::MaxChannels)
        return std::nullopt;

    THeader h;
    for (const QJsonValue& name : channels) {
        if (!name.isString())
            return std::nullopt;
        h.channels.append(name.toString());
    }
    h.gainMin = low;
    h.gainMax = high;
    h.fields.channelCount = channels.size();
    h.fields.samplingRate = *rate;
    h.fields.resolution = *resolution;
    h.fields.gainMax = high;
    h.fields.sampleFormat = format;
    h.fields.channelNames = h.channels.join(QLatin1Char(','));
    return h;
}

std::optional<THeader> readArea(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.read(TSampleFile::HeaderSize));
}

} // namespace

QString TSampleFile::path(const QString& folder, const QString& baseFilename)
{
    return QStringLiteral("%1/%2.%3").arg(folder, baseFilename, Extension);
}

QByteArray TSampleFile::headerArea(const TAcquisitionFields& fields, const QJsonObject& study,
                                   const QJsonObject& patient)
{
    QJsonObject s = study;
    QJsonObject p = patient;
    const QJsonObject ecg = ecgObject(fields);
    QByteArray json;
    for (;;) {
        QJsonObject root;
        root.insert(QStringLiteral("study"), s);
        root.insert(QStringLiteral("patient"), p);
        root.insert(QStringLiteral("ecg"), ecg);
        json = compact(root);
        if (json.size() <= MaxJsonSize)
            break;
        if (!dropLargestMember(s, p)) {
            QJsonObject root;
            root.insert(QStringLiteral("ecg"), ecg);
            json = compact(root);
            break;
        }
    }
    QByteArray area = Magic + json;
    area.append(QByteArray(HeaderSize - area.size(), '\0'));
    return area;
}

std::optional<TAcquisitionFields> TSampleFile::parseHeader(const QByteArray& area)
{
    const std::optional<THeader> h = parse(area);
    if (!h)
        return std::nullopt;
    return h->fields;
}

std::optional<TAcquisitionFields> TSampleFile::readHeader(const QString& path)
{
    const std::optional<THeader> h = readArea(path);
    if (!h)
        return std::nullopt;
    return h->fields;
}

void TSampleFile::create(const QString& path, const TAcquisitionFields& fields, const QJsonObject& study,
                         const QJsonObject& patient)
{
    const QByteArray area = headerArea(fields, study, patient);
    // A file whose header could not be read back would lose the recording.
    if (!parse(area))
        throw TException(QCoreApplication::translate("TSampleFile", "Cannot create sample file"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw TException(QCoreApplication::translate("TSampleFile", "Cannot create sample file"));
    if (file.write(area) != qint64(area.size())) {
        file.cancelWriting();
        throw TException(QCoreApplication::translate("TSampleFile", "Write error"));
    }
    if (!file.commit())
        throw TException(QCoreApplication::translate("TSampleFile", "Write error"));
}

void TSampleFile::writeHeader(const QString& path, const TAcquisitionFields& fields, const QJsonObject& study,
                              const QJsonObject& patient)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadWrite))
        throw TException(QCoreApplication::translate("TSampleFile", "Cannot create sample file"));
    // Frames already written keep the shape they were written with: a header that
    // told another channel count, rate or gain would make them read as other
    // values.
    if (file.size() > HeaderSize) {
        const std::optional<THeader> old = parse(file.read(HeaderSize));
        if (old) {
            const TAcquisitionFields& f = old->fields;
            if (f.channelCount != fields.channelCount || f.samplingRate != fields.samplingRate
                || f.resolution != fields.resolution || old->gainMax != fields.gainMax
                || old->gainMin != -fields.gainMax)
                throw TException(QCoreApplication::translate("TSampleFile", "Write error"));
        }
    }
    const QByteArray area = headerArea(fields, study, patient);
    if (!parse(area))
        throw TException(QCoreApplication::translate("TSampleFile", "Write error"));
    if (!file.seek(0) || file.write(area) != qint64(area.size()) || !file.flush())
        throw TException(QCoreApplication::translate("TSampleFile", "Write error"));
}

std::unique_ptr<TFileSignalBuffer> TSampleFile::open(const QString& path, TAcquisitionFields* fields)
{
    const std::optional<THeader> h = readArea(path);
    if (!h)
        return nullptr;
    std::unique_ptr<TFileSignalBuffer> buffer =
        TFileSignalBuffer::open(path, h->fields.channelCount, h->fields.samplingRate, HeaderSize);
    if (!buffer)
        return nullptr;
    buffer->setGain(h->gainMin, h->gainMax);
    buffer->setResolution(h->fields.resolution);
    for (int i = 0; i < h->channels.size(); ++i)
        buffer->channel(i)->setName(h->channels[i].toUtf8());
    if (fields)
        *fields = h->fields;
    return buffer;
}
