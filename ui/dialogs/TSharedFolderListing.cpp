#include "TSharedFolderListing.h"

#include "TException.h"
#include "TStudyArchive.h"
#include "TStudyStore.h"

#include <QDir>

QVector<TSharedFolderListing::Entry> TSharedFolderListing::list(TStudyStore& store, const QString& folder)
{
    QVector<Entry> entries;
    if (folder.isEmpty())
        return entries;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.cxz")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString path = QStringLiteral("%1/%2").arg(folder, name);
        Entry entry;
        entry.fileName = name;
        try {
            if (!store.readArchiveInfo(path, entry.summary))
                continue;
        } catch (const TException&) {
            if (!TStudyArchive::looksLikeStudyArchive(path))
                continue;
            entry.summary = TStudySummary();
            entry.damaged = true;
        }
        entries.append(entry);
    }
    return entries;
}
