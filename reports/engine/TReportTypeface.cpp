#include "TReportTypeface.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace TReportTypeface {

const char* const Family = "Liberation Sans";

QFont font(double pointSize, bool bold, bool italic)
{
    QFont f(QString::fromLatin1(Family));
    f.setStyleHint(QFont::SansSerif);
    // Latin text needs no shaping; without it no "fi" or "fl" ligature is formed.
    f.setStyleStrategy(QFont::PreferNoShaping);
    f.setKerning(false);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

bool isInstalled()
{
    return QFontDatabase().families().contains(QString::fromLatin1(Family), Qt::CaseInsensitive);
}

} // namespace TReportTypeface
