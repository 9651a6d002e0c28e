#include "TWfdbRecord.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>
#include <cmath>

namespace {

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

} // namespace

bool TWfdbRecord::read(const QString& recordPath, QString* error)
{
    m_signals.clear();
    m_samples.clear();
    if (!readHeader(recordPath + QStringLiteral(".hea"), error))
        return false;
    return readSignals(QFileInfo(recordPath).absolutePath(), error);
}

bool TWfdbRecord::readHeaderOnly(const QString& recordPath, QString* error)
{
    m_signals.clear();
    m_samples.clear();
    return readHeader(recordPath + QStringLiteral(".hea"), error);
}

double TWfdbRecord::railMillivolts(int s) const
{
    const TWfdbSignal& sig = m_signals[s];
    const double half = std::ldexp(1.0, std::clamp(sig.resolution, 2, 32) - 1);
    const double low = (sig.adcZero - half - sig.baseline) / sig.gain;
    const double high = (sig.adcZero + half - 1.0 - sig.baseline) / sig.gain;
    return std::min(std::fabs(low), std::fabs(high));
}

bool TWfdbRecord::readHeader(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(error, QStringLiteral("cannot open %1").arg(path));
    QTextStream in(&file);
    QStringList lines;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            lines.append(line);
    }
    if (lines.isEmpty())
        return fail(error, QStringLiteral("%1: empty header").arg(path));
    const QStringList record = lines[0].split(QRegularExpression(QStringLiteral("\\s+")));
    if (record.size() < 2)
        return fail(error, QStringLiteral("%1: bad record line").arg(path));
    m_name = record[0];
    if (m_name.contains(QLatin1Char('/')))
        return fail(error, QStringLiteral("%1: multi-segment records are not read").arg(path));
    bool ok = false;
    const int declared = record[1].toInt(&ok);
    if (!ok || declared <= 0 || declared > 64)
        return fail(error, QStringLiteral("%1: bad signal count").arg(path));
    if (record.size() > 2) {
        m_rate = record[2].section(QLatin1Char('/'), 0, 0).section(QLatin1Char('('), 0, 0).toDouble(&ok);
        if (!ok || m_rate <= 0)
            return fail(error, QStringLiteral("%1: bad sampling frequency").arg(path));
    }
    m_sampleCount = record.size() > 3 ? record[3].toLongLong() : 0;
    if (lines.size() < 1 + declared)
        return fail(error, QStringLiteral("%1: missing signal lines").arg(path));
    for (int s = 0; s < declared; ++s) {
        const QStringList f = lines[1 + s].split(QRegularExpression(QStringLiteral("\\s+")));
        if (f.size() < 2)
            return fail(error, QStringLiteral("%1: bad signal line %2").arg(path).arg(s + 1));
        TWfdbSignal sig;
        sig.fileName = f[0];
        sig.format = f[1].section(QLatin1Char('x'), 0, 0).section(QLatin1Char(':'), 0, 0).toInt();
        if (f.size() > 2) {
            // "gain(baseline)/units"; a gain of 0 means the default of 200.
            const QString g = f[2].section(QLatin1Char('/'), 0, 0);
            sig.gain = g.section(QLatin1Char('('), 0, 0).toDouble();
            if (sig.gain <= 0)
                sig.gain = 200.0;
            if (g.contains(QLatin1Char('(')))
                sig.baseline = g.section(QLatin1Char('('), 1).section(QLatin1Char(')'), 0, 0).toInt();
        }
        sig.resolution = sig.format == 16 ? 16 : 12;
        if (f.size() > 3) {
            bool bitsOk = false;
            const int bits = f[3].toInt(&bitsOk);
            if (bitsOk && bits > 1 && bits <= 32)
                sig.resolution = bits;
        }
        if (f.size() > 4)
            sig.adcZero = f[4].toInt();
        if (!f.value(2).contains(QLatin1Char('(')))
            sig.baseline = sig.adcZero;
        if (f.size() > 5)
            sig.initialValue = f[5].toInt();
        if (f.size() > 8)
            sig.description = f.mid(8).join(QLatin1Char(' '));
        if (sig.format != 212 && sig.format != 16)
            return fail(error, QStringLiteral("%1: signal format %2 is not read").arg(path).arg(sig.format));
        if (s > 0 && (sig.fileName != m_signals[0].fileName || sig.format != m_signals[0].format))
            return fail(error, QStringLiteral("%1: signals in several files or formats are not read").arg(path));
        m_signals.append(sig);
    }
    return true;
}

bool TWfdbRecord::readSignals(const QString& folder, QString* error)
{
    const QString path = folder + QLatin1Char('/') + m_signals[0].fileName;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("cannot open %1").arg(path));
    const QByteArray bytes = file.readAll();
    const int n = m_signals.size();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    qint64 values = 0;
    if (m_signals[0].format == 16) {
        values = bytes.size() / 2;
        m_samples.resize(int(values));
        for (qint64 i = 0; i < values; ++i)
            m_samples[int(i)] = qint16(quint16(p[2 * i]) | quint16(p[2 * i + 1]) << 8);
    } else {
        // Two 12-bit two's complement values in three bytes: the first in byte 0 and
        // the low nibble of byte 1, the second in byte 2 and the high nibble of byte 1.
        values = bytes.size() / 3 * 2;
        m_samples.resize(int(values));
        for (qint64 k = 0; k + 1 < values; k += 2) {
            const unsigned char* b = p + k / 2 * 3;
            int first = b[0] | (b[1] & 0x0f) << 8;
            int second = b[2] | (b[1] & 0xf0) << 4;
            if (first > 2047)
                first -= 4096;
            if (second > 2047)
                second -= 4096;
            m_samples[int(k)] = first;
            m_samples[int(k + 1)] = second;
        }
    }
    const qint64 frames = values / n;
    if (m_sampleCount <= 0 || m_sampleCount > frames)
        m_sampleCount = frames;
    m_samples.resize(int(m_sampleCount * n));
    if (m_sampleCount == 0)
        return fail(error, QStringLiteral("%1: no samples").arg(path));
    return true;
}
