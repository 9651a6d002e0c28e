#pragma once

#include <QString>
#include <QUrl>

// The report PDF of a study: "<data folder>/reports/<base name>.pdf".
class TReportFile
{
public:
    static QString path(const QString& dataFolder, const QString& baseFilename);
    // The local file as a file URL: a name with "#", "%" or blanks stays one path.
    static QUrl url(const QString& dataFolder, const QString& baseFilename);
};
