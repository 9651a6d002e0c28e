// Fuzz target: any bytes as a study's beats file, opened with a channel count
// taken from the input. Opening, counting, reading every beat, the searches and
// an append must never crash or hang; the count must follow from the file size,
// every record must read back the same after being written again, and an
// appended beat must land as the next whole record.

#include "FuzzSeeds.h"
#include "TBeat.h"
#include "TBeatsFile.h"
#include "TException.h"
#include "TFileBeatStore.h"
#include "TRingSignalBuffer.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

bool sameDouble(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)) || (a == 0.0 && b == 0.0);
}

bool sameBeat(const TBeat& a, const TBeat& b)
{
    if (a.number() != b.number() || a.label() != b.label() || a.beatClass() != b.beatClass())
        return false;
    for (int i = 0; i < 2; ++i)
        if (!sameDouble(a.timeValue(i), b.timeValue(i)))
            return false;
    for (int i = 0; i < TBeat::BeatValueCount; ++i)
        if (a.hasValue(i) != b.hasValue(i) || !sameDouble(a.value(i), b.value(i)))
            return false;
    for (int k = 0; k < TBeat::MaxLeads; ++k)
        for (int i = 0; i < TBeat::LeadValueCount; ++i)
            if (a.hasLeadValue(k, i) != b.hasLeadValue(k, i) || !sameDouble(a.leadValue(k, i), b.leadValue(k, i)))
                return false;
    return true;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

void run(const QString& path, const QByteArray& bytes, int channels)
{
    if (!writeFile(path, bytes))
        std::abort();
    TRingSignalBuffer<qint16> samples(64, 64, channels, 500);
    std::unique_ptr<TFileBeatStore> store = TBeatsFile::open(path, &samples);
    const bool readable = bytes.size() >= TBeatsFile::HeaderSize && bytes.startsWith(TBeatsFile::Magic);
    if (bool(store) != readable)
        std::abort();
    if (!store)
        return;
    const int size = TBeatsFile::recordSize(channels);
    const int count = (bytes.size() - TBeatsFile::HeaderSize) / size;
    if (store->count() != count || !store->isWritable())
        std::abort();

    for (int i = 0; i < count; ++i) {
        const TBeat beat = store->beat(i);
        const char* record = bytes.constData() + TBeatsFile::HeaderSize + qint64(i) * size;
        if (beat.number() != i || beat.buffer() != &samples || !sameDouble(beat.time(), TBeatsFile::beatTime(record)))
            std::abort();
        // Written again, a record reads back as the same beat, and is then stable.
        const QByteArray again = TBeatsFile::encode(beat, channels);
        const TBeat back = TBeatsFile::decode(again.constData(), channels, i, &samples);
        if (again.size() != size || !sameBeat(back, beat) || TBeatsFile::encode(back, channels) != again)
            std::abort();
    }

    // Times need not be ordered in a damaged file: the searches still end, in range.
    for (double t : {-1.0, 0.0, 0.5, 1.0, 10.0, 1e9, std::nan("")}) {
        for (int found : {store->nearest(t), store->next(t), store->previous(t), store->beatAt(t, 0.2)})
            if (found < -1 || found >= count || (count > 0 && store->nearest(t) < 0))
                std::abort();
    }

    TBeat added(0, &samples);
    added.setValue(TBeat::Time, 1.5);
    added.setLeadValue(channels - 1, TBeat::Fiducial, 1.5);
    added.setLabel(int(bytes.size()));
    try {
        store->append(added);
    } catch (const TException&) {
        std::abort();
    }
    if (store->count() != count + 1 || store->beat(count).time() != 1.5)
        std::abort();
    store.reset();
    if (QFile(path).size() != TBeatsFile::HeaderSize + qint64(count + 1) * size)
        std::abort();
    store = TBeatsFile::open(path, &samples);
    if (!store || store->count() != count + 1)
        std::abort();
    added.setNumber(count);
    if (!sameBeat(store->beat(count), added))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    const QString path = dir.filePath("input.cxbeats");
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    // The channel count of the study's sample file: from the last byte, so the
    // records stay where the mutations left them.
    const int channels = size > 0 ? 1 + data[size - 1] % 16 : 1;
    run(path, bytes, channels);
    run(path, bytes, 1);
    return 0;
}

std::vector<std::string> velmoraFuzzSeeds()
{
    std::vector<std::string> seeds;
    for (int channels : {1, 3, 7}) {
        QByteArray file = TBeatsFile::Magic + QByteArray(TBeatsFile::HeaderSize - TBeatsFile::Magic.size(), '\0');
        TRingSignalBuffer<qint16> samples(64, 64, channels, 500);
        for (int i = 0; i < 4; ++i) {
            TBeat beat(i, &samples);
            beat.setWindowStart(i - 0.2);
            beat.setWindowLength(0.8);
            beat.setValue(TBeat::Time, i + 0.25);
            beat.setValue(TBeat::RR, 0.75);
            beat.setValue(TBeat::MeanRR, i ? 0.8 : 0.0);
            beat.setLabel(i % 2);
            for (int k = 0; k < channels; ++k) {
                beat.setLeadValue(k, TBeat::LeadRR, 1.0);
                for (int v = TBeat::POnset; v <= TBeat::WaveTime5; ++v)
                    beat.setLeadValue(k, v, i + 0.05 * v);
                beat.setLeadValue(k, TBeat::DetectionFlag, 1.0);
                beat.setLeadValue(k, TBeat::Interval9, 0.04);
            }
            file += TBeatsFile::encode(beat, channels);
        }
        // The last byte picks the channel count the records were written with.
        file += QByteArray(1, char(channels - 1));
        seeds.emplace_back(file.constData(), size_t(file.size()));
    }
    const QByteArray empty = TBeatsFile::Magic + QByteArray(TBeatsFile::HeaderSize - TBeatsFile::Magic.size(), '\0');
    seeds.emplace_back(empty.constData(), size_t(empty.size()));
    return seeds;
}
