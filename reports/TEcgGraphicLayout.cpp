#include "TEcgGraphicLayout.h"

#include "TSignalBuffer.h"

#include <QRegularExpression>

#include <algorithm>

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

QString TEcgGraphicLayout::choiceName() const
{
    if (rhythm)
        return QString();
    if (rows == 12 && columns == 1)
        return QStringLiteral("12by1");
    if (rows == 6 && columns == 2)
        return QStringLiteral("6by2");
    if (rows == 3 && columns == 4)
        return QStringLiteral("4by3");
    return QString();
}

TEcgGraphicLayout TEcgGraphicLayout::forLeads(int leadCount) const
{
    TEcgGraphicLayout out = *this;
    if (isChoice() && leadCount > 0 && leadCount < rows * columns)
        out.rows = std::max(1, (leadCount + columns - 1) / columns);
    return out;
}
