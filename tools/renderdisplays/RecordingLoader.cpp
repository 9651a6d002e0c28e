#include "RecordingLoader.h"

#include "TEcgSynthesizer.h"
#include "TLeadTable.h"
#include "TRingSignalBuffer.h"

#include <QFile>
#include <QtEndian>
#include <vector>

namespace RecordingLoader {

namespace {

constexpr int Leads = 14;
constexpr int Rate = 500;

std::unique_ptr<TIntSignalBuffer> newBuffer(int frames, double gainMv)
{
    auto buffer = std::make_unique<TIntSignalBuffer>(4096, std::max(1, frames), Leads, Rate);
    buffer->setResolution(16);
    buffer->setGain(-gainMv, gainMv);
    for (int i = 0; i < Leads; ++i)
        buffer->channel(i)->setName(QByteArray(TLeadTable::leadName(i)));
    return buffer;
}

} // namespace

std::unique_ptr<TIntSignalBuffer> fromFile(const QString& path, double firstSecond, double seconds, double gainMv,
                                           QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open %1").arg(path);
        return nullptr;
    }
    const int frameBytes = 2 * Leads;
    const qint64 first = qint64(firstSecond * Rate);
    const int frames = int(seconds * Rate);
    if (!file.seek(first * frameBytes)) {
        *error = QStringLiteral("%1 is shorter than %2 s").arg(path).arg(firstSecond);
        return nullptr;
    }
    const QByteArray data = file.read(qint64(frames) * frameBytes);
    const int read = data.size() / frameBytes;
    if (read < frames) {
        *error = QStringLiteral("%1 holds less than %2 s from %3 s").arg(path).arg(seconds).arg(firstSecond);
        return nullptr;
    }
    std::vector<qint16> codes(size_t(read) * Leads);
    for (size_t i = 0; i < codes.size(); ++i)
        codes[i] = qFromLittleEndian<qint16>(data.constData() + 2 * i);
    auto buffer = newBuffer(read, gainMv);
    buffer->append(codes.data(), int(codes.size() * 2));
    return buffer;
}

std::unique_ptr<TIntSignalBuffer> fromSynthesizer(const TEcgSynthesizer& synth, double firstSecond, double seconds)
{
    const int frames = int(seconds * Rate);
    auto buffer = newBuffer(frames, synth.params().gainMv);
    std::vector<qint16> codes(size_t(frames) * Leads);
    synth.render(qint64(firstSecond * Rate), frames, codes.data());
    buffer->append(codes.data(), int(codes.size() * 2));
    return buffer;
}

} // namespace RecordingLoader
