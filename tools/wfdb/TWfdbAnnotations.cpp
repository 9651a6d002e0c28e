#include "TWfdbAnnotations.h"

#include <QFile>

namespace {

enum PseudoCode { Skip = 59, Num = 60, Sub = 61, Chn = 62, Aux = 63 };

} // namespace

bool TWfdbAnnotations::read(const QString& path, QString* error)
{
    m_annotations.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    const QByteArray bytes = file.readAll();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qint64 words = bytes.size() / 2;
    auto word = [&](qint64 i) { return int(p[2 * i] | p[2 * i + 1] << 8); };

    qint64 time = 0;
    int number = 0, subtype = 0, channel = 0;
    for (qint64 i = 0; i < words;) {
        const int w = word(i++);
        const int code = w >> 10;
        const int value = w & 0x3ff;
        if (code == 0 && value == 0)
            break; // end of file
        switch (code) {
        case Skip:
            if (i + 1 < words) {
                // A 32-bit interval follows, high word first.
                const qint32 interval = qint32(quint32(word(i)) << 16 | quint32(word(i + 1)));
                time += interval;
                i += 2;
            } else {
                i = words;
            }
            break;
        case Num:
            number = value;
            break;
        case Sub:
            subtype = value;
            break;
        case Chn:
            channel = value;
            break;
        case Aux:
            i += (value + 1) / 2; // text padded to whole words
            break;
        default: {
            time += value;
            TWfdbAnnotation a;
            a.sample = time;
            a.code = code;
            a.subtype = subtype;
            a.channel = channel;
            a.number = number;
            m_annotations.append(a);
            subtype = 0;
            break;
        }
        }
    }
    return true;
}

bool TWfdbAnnotations::isBeat(int code)
{
    // Normal, bundle branch block, aberrated, ventricular, fusion, nodal and
    // supraventricular premature and escape, paced and unclassifiable beats (1..13),
    // unspecified bundle branch block (25), learning (30), atrial and
    // supraventricular escape (34, 35), paced fusion (38) and R-on-T (41). A
    // non-conducted P wave (37) has no QRS and is not a beat.
    switch (code) {
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9: case 10:
    case 11: case 12: case 13: case 25: case 30: case 34: case 35: case 38: case 41:
        return true;
    default:
        return false;
    }
}

QVector<qint64> TWfdbAnnotations::beatSamples() const
{
    QVector<qint64> beats;
    for (const TWfdbAnnotation& a : m_annotations)
        if (isBeat(a.code))
            beats.append(a.sample);
    return beats;
}
