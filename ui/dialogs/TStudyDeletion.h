#pragma once

#include "TStudySummary.h"

#include <QCoreApplication>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

class TStudyStore;

// Deleting studies from the data folder or archives from a shared folder, and
// what the user is told afterwards.
class TStudyDeletion
{
    Q_DECLARE_TR_FUNCTIONS(TStudyDeletion)

public:
    struct Outcome
    {
        // Studies that are gone from the index (the launcher drops them from
        // its recent list).
        QVector<int> deleted;
        // Studies open for review: the store leaves them alone.
        QStringList open;
        // Labels (or file names) with the reason they are still there.
        QVector<QPair<QString, QString>> failed;

        // Empty when everything selected was deleted.
        QString message() const;
    };

    // deleteStudy for each study that is not open; a study counts as deleted
    // only when the index no longer lists it afterwards.
    static Outcome deleteLocal(TStudyStore& store, const QVector<TStudySummary>& studies);
    // Removes the archive files fileNames of folder.
    static Outcome deleteShared(const QString& folder, const QStringList& fileNames);
};
