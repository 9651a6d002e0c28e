#include "TSharedFolderSettings.h"

#include <QSettings>

namespace {

const char* const ListKey = "OpenStudyDialog/SharedFolderList";
const char* const DefaultKey = "OpenStudyDialog/DefaultSharedFolder";

} // namespace

TSharedFolderSettings TSharedFolderSettings::load()
{
    const QSettings settings;
    TSharedFolderSettings loaded;
    // A malformed value (a single string or a number) still gives a list.
    const QVariant list = settings.value(QLatin1String(ListKey), QStringList());
    for (const QString& folder : list.toStringList()) {
        if (!folder.isEmpty() && !loaded.folders.contains(folder))
            loaded.folders << folder;
    }
    loaded.defaultFolder = settings.value(QLatin1String(DefaultKey), QString()).toString();
    return loaded;
}

QStringList TSharedFolderSettings::withCurrent(QStringList folders, const QString& current)
{
    if (!current.isEmpty() && !folders.contains(current, Qt::CaseSensitive))
        folders << current;
    return folders;
}

void TSharedFolderSettings::save(const QStringList& folders, const QString& current)
{
    QSettings settings;
    settings.setValue(QLatin1String(ListKey), withCurrent(folders, current));
    settings.setValue(QLatin1String(DefaultKey), current);
}
