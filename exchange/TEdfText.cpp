#include "TEdfText.h"

namespace TEdfText {

namespace {

// Letters that do not decompose into a base letter and marks.
QString spelled(QChar c)
{
    switch (c.unicode()) {
    case 0x00DF: return QStringLiteral("ss");
    case 0x00C6: return QStringLiteral("AE");
    case 0x00E6: return QStringLiteral("ae");
    case 0x0152: return QStringLiteral("OE");
    case 0x0153: return QStringLiteral("oe");
    case 0x00D8: return QStringLiteral("O");
    case 0x00F8: return QStringLiteral("o");
    case 0x0141: return QStringLiteral("L");
    case 0x0142: return QStringLiteral("l");
    case 0x00D0: return QStringLiteral("D");
    case 0x00F0: return QStringLiteral("d");
    case 0x00DE: return QStringLiteral("Th");
    case 0x00FE: return QStringLiteral("th");
    case 0x00BA: return QStringLiteral("o"); // "n.º"
    case 0x00AA: return QStringLiteral("a");
    default: return QString();
    }
}

} // namespace

QByteArray headerField(const QString& text)
{
    QByteArray out;
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    for (const QChar c : decomposed) {
        const ushort u = c.unicode();
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.isSpace()) {
            out += '_';
            continue;
        }
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            continue;
        if (u < 0x7F) {
            out += char(u);
            continue;
        }
        const QString spelling = spelled(c);
        out += spelling.isEmpty() ? QByteArray("_") : spelling.toLatin1();
    }
    return out;
}

QByteArray annotation(const QString& text, int maxBytes)
{
    QString clean = text;
    for (QChar& c : clean)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    clean = clean.trimmed();
    QByteArray out = clean.toUtf8();
    if (out.size() <= maxBytes)
        return out;
    int end = maxBytes;
    // Back to the first byte of a character (continuation bytes are 10xxxxxx).
    while (end > 0 && (uchar(out[end]) & 0xC0) == 0x80)
        --end;
    return out.left(end);
}

} // namespace TEdfText
