#include "TReportFile.h"

QString TReportFile::path(const QString& dataFolder, const QString& baseFilename)
{
    return QStringLiteral("%1/reports").arg(dataFolder) + QStringLiteral("/%1.pdf").arg(baseFilename);
}

QUrl TReportFile::url(const QString& dataFolder, const QString& baseFilename)
{
    return QUrl::fromLocalFile(path(dataFolder, baseFilename));
}
