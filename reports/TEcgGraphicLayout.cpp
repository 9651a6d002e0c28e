#include "TEcgGraphicLayout.h"

#include "TSignalBuffer.h"

#include <QRegularExpression>

std::optional<TEcgGraphicLayout> TEcgGraphicLayout::parse(const QString& field)
{
    static const QRegularExpression pattern(
        QStringLiteral("^ecgGraphic/(event/)?(?:(rhythm)|(\\d{1,2})by(\\d)(?:/(\\d))?)$"));
    const QRegularExpressionMatch m = pattern.match(field);
    if (!m.hasMatch())
        return std::nullopt;
    TEcgGraphicLayout layout;
    layout.event = !m.captured(1).isEmpty();
    if (!m.captured(2).isEmpty()) {
        layout.rhythm = true;
        return layout;
    }
    layout.rows = m.captured(3).toInt();
    layout.columns = m.captured(4).toInt();
    const bool hasColumn = !m.captured(5).isEmpty();
    layout.column = hasColumn ? m.captured(5).toInt() : 1;
    // Several columns name theirs; one column names none.
    if (layout.rows < 1 || layout.columns < 1 || layout.rows * layout.columns > TSignalBuffer::MaxChannels ||
        hasColumn != (layout.columns > 1) || layout.column < 1 || layout.column > layout.columns)
        return std::nullopt;
    return layout;
}
