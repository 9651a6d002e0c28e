#pragma once

#include <QString>
#include <QStringList>

// The shared folders the study browser offers ("OpenStudyDialog/SharedFolderList")
// and the one it opens with ("OpenStudyDialog/DefaultSharedFolder").
class TSharedFolderSettings
{
public:
    QStringList folders;
    QString defaultFolder;

    static TSharedFolderSettings load();
    // Writes the list with current appended when it is not empty and not yet
    // listed (compared case-sensitively), and current as the default.
    static void save(const QStringList& folders, const QString& current);
    static QStringList withCurrent(QStringList folders, const QString& current);
};
