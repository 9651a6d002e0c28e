#include "TBeatsFile.h"

#include "TBeat.h"
#include "TException.h"
#include "TFileBeatStore.h"
#include "TSignalBuffer.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <limits>

const QByteArray TBeatsFile::Magic = QByteArrayLiteral("CXBEATS1");
const QString TBeatsFile::Extension = QStringLiteral("cxbeats");

namespace {

// Offsets inside a record and a lead block.
constexpr int TimeOffset = 0;
constexpr int BeatValueOffset = 16;
constexpr int LabelOffset = 48;
constexpr int LeadValue0Offset = 0;
constexpr int LeadTimesOffset = 8;   // lead values 1..5
constexpr int Flag7Offset = 48;
constexpr int Flag6Offset = 50;
constexpr int Flag8Offset = 52;
constexpr int IntervalsOffset = 56;  // lead values 9..11

// The value an absent per-beat value holds, and is written as.
constexpr double AbsentBeatValue = -1.0;

// Truncated toward zero; NaN gives 0 and values beyond the range saturate, so
// that a damaged or extreme value never makes the conversion undefined.
template <typename Int>
Int truncated(double value)
{
    if (!(value == value))
        return 0;
    if (value >= double(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    if (value <= double(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    return Int(std::trunc(value));
}

void putDouble(char* at, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian(bits, at);
}

double getDouble(const char* at)
{
    const quint64 bits = qFromLittleEndian<quint64>(at);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool validChannelCount(int channelCount)
{
    return channelCount >= 1 && channelCount <= TBeatsFile::MaxChannels;
}

} // namespace

QString TBeatsFile::path(const QString& folder, const QString& baseFilename)
{
    return QStringLiteral("%1/%2.%3").arg(folder, baseFilename, Extension);
}

QByteArray TBeatsFile::encode(const TBeat& beat, int channelCount)
{
    if (!validChannelCount(channelCount))
        return QByteArray();
    char r[BeatPartSize + LeadBlockSize * MaxChannels] = {};
    putDouble(r + TimeOffset, beat.timeValue(0));
    putDouble(r + TimeOffset + 8, beat.timeValue(1));
    for (int i = 0; i < TBeat::BeatValueCount; ++i)
        putDouble(r + BeatValueOffset + 8 * i, beat.hasValue(i) ? beat.value(i) : AbsentBeatValue);
    qToLittleEndian<qint32>(beat.label(), r + LabelOffset);

    for (int k = 0; k < channelCount; ++k) {
        char* lead = r + BeatPartSize + LeadBlockSize * k;
        auto value = [&beat, k](int index) { return beat.hasLeadValue(k, index) ? beat.leadValue(k, index) : 0.0; };
        // An absent lead value 0 is written as the value a new beat holds (-1).
        const double rr = beat.hasLeadValue(k, TBeat::LeadRR) ? beat.leadValue(k, TBeat::LeadRR) : -1.0;
        qToLittleEndian<qint32>(truncated<qint32>(rr), lead + LeadValue0Offset);
        for (int i = 0; i < 5; ++i)
            putDouble(lead + LeadTimesOffset + 8 * i, value(TBeat::POnset + i));
        qToLittleEndian<qint16>(truncated<qint16>(value(TBeat::Flag7)), lead + Flag7Offset);
        qToLittleEndian<qint16>(truncated<qint16>(value(TBeat::DetectionFlag)), lead + Flag6Offset);
        qToLittleEndian<qint16>(truncated<qint16>(value(TBeat::Flag8)), lead + Flag8Offset);
        for (int i = 0; i < 3; ++i)
            putDouble(lead + IntervalsOffset + 8 * i, value(TBeat::Interval9 + i));
    }
    return QByteArray(r, recordSize(channelCount));
}

// The file keeps values, not presence flags; they come back as follows:
// - per-beat values 0..3 are present unless they hold -1.0, the value of a new
//   beat (so a present -1.0 reads back absent);
// - lead value 0 (the lead's RR, stored in whole seconds) is present when it is
//   positive: an RR under one second is stored as 0 and reads back absent, since
//   its value is no longer known;
// - lead values 1..5 and 9..11 (times and intervals) are present when non-zero;
//   a time of 0.0 means "not found";
// - lead flags 6..8 are present when non-zero (a flag of 0 reads back absent).
// The window times have no flags. The beat class is not stored: it keeps the
// value of a new beat; what must survive of a beat's class in the file is kept
// in its label by the recording engine. Leads beyond the buffer's channel count
// are left absent.
TBeat TBeatsFile::decode(const char* record, int channelCount, int number, const TSignalBuffer* buffer)
{
    TBeat beat(number, buffer);
    if (!record || !validChannelCount(channelCount))
        return beat;
    beat.setTimeValue(0, getDouble(record + TimeOffset));
    beat.setTimeValue(1, getDouble(record + TimeOffset + 8));
    for (int i = 0; i < TBeat::BeatValueCount; ++i) {
        const double v = getDouble(record + BeatValueOffset + 8 * i);
        if (v != AbsentBeatValue)
            beat.setValue(i, v);
    }
    beat.setLabel(qFromLittleEndian<qint32>(record + LabelOffset));

    for (int k = 0; k < channelCount; ++k) {
        const char* lead = record + BeatPartSize + LeadBlockSize * k;
        auto setIfNonZero = [&beat, k](int index, double v) {
            if (v != 0.0)
                beat.setLeadValue(k, index, v);
        };
        const qint32 rr = qFromLittleEndian<qint32>(lead + LeadValue0Offset);
        if (rr > 0)
            beat.setLeadValue(k, TBeat::LeadRR, double(rr));
        for (int i = 0; i < 5; ++i)
            setIfNonZero(TBeat::POnset + i, getDouble(lead + LeadTimesOffset + 8 * i));
        setIfNonZero(TBeat::Flag7, qFromLittleEndian<qint16>(lead + Flag7Offset));
        setIfNonZero(TBeat::DetectionFlag, qFromLittleEndian<qint16>(lead + Flag6Offset));
        setIfNonZero(TBeat::Flag8, qFromLittleEndian<qint16>(lead + Flag8Offset));
        for (int i = 0; i < 3; ++i)
            setIfNonZero(TBeat::Interval9 + i, getDouble(lead + IntervalsOffset + 8 * i));
    }
    return beat;
}

double TBeatsFile::beatTime(const char* record)
{
    return getDouble(record + BeatValueOffset + 8 * TBeat::Time);
}

void TBeatsFile::create(const QString& path, int channelCount)
{
    if (!validChannelCount(channelCount))
        throw TException(QCoreApplication::translate("TBeatsFile", "Cannot create beats file"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw TException(QCoreApplication::translate("TBeatsFile", "Cannot create beats file"));
    QByteArray header = Magic;
    header.append(QByteArray(HeaderSize - header.size(), '\0'));
    if (file.write(header) != qint64(header.size())) {
        file.cancelWriting();
        throw TException(QCoreApplication::translate("TBeatsFile", "Write error"));
    }
    if (!file.commit())
        throw TException(QCoreApplication::translate("TBeatsFile", "Write error"));
}

std::unique_ptr<TFileBeatStore> TBeatsFile::open(const QString& path, const TSignalBuffer* samples)
{
    if (!samples || !validChannelCount(samples->channelCount()))
        return nullptr;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() < HeaderSize || file.read(Magic.size()) != Magic)
            return nullptr;
    }
    return TFileBeatStore::open(path, samples->channelCount(), samples);
}
