#include "TEcgGraphicSpec.h"

#include "TSignalBuffer.h"

#include <QRegularExpression>

std::optional<TEcgGraphicSpec> TEcgGraphicSpec::parse(const QString& field)
{
    static const QRegularExpression pattern(
        QStringLiteral("^ecgGraphic/(event/)?(?:(rhythm)|(\\d{1,2})by(\\d)(?:/(\\d))?)$"));
    const QRegularExpressionMatch m = pattern.match(field);
    if (!m.hasMatch())
        return std::nullopt;
    TEcgGraphicSpec spec;
    spec.event = !m.captured(1).isEmpty();
    if (!m.captured(2).isEmpty()) {
        spec.rhythm = true;
        return spec;
    }
    spec.rows = m.captured(3).toInt();
    spec.columns = m.captured(4).toInt();
    const bool hasColumn = !m.captured(5).isEmpty();
    spec.column = hasColumn ? m.captured(5).toInt() : 1;
    // Several columns name theirs; one column names none.
    if (spec.rows < 1 || spec.columns < 1 || spec.rows * spec.columns > TSignalBuffer::MaxChannels ||
        hasColumn != (spec.columns > 1) || spec.column < 1 || spec.column > spec.columns)
        return std::nullopt;
    return spec;
}
