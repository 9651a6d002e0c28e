#pragma once

#include "TStudySummary.h"

#include <QString>
#include <QVector>

class TStudyStore;

// The study archives of a shared folder as the study browser lists them.
class TSharedFolderListing
{
public:
    struct Entry
    {
        QString fileName; // addresses the archive in its folder
        TStudySummary summary;
        // Begins as a study archive but does not read (a truncated copy):
        // listed so the user sees it, never imported.
        bool damaged = false;
    };

    // Every "*.cxz" of the folder, in file-name order, that reads as a study
    // archive through the store, or that is a damaged one. Zips of another
    // kind and files that are no zip are left out.
    static QVector<Entry> list(TStudyStore& store, const QString& folder);
};
