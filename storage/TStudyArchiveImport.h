#pragma once

#include "TStudySummary.h"

#include <QString>

#include <array>

// The file half of importing a study archive, done so that a failure at any
// point leaves the data folder as it was: the three files are first extracted
// into temporaries inside the data folder, then moved over the study's files,
// the files they replace being kept aside until the caller has also updated the
// index (finish) or has given up (rollback). Whatever is neither finished nor
// rolled back when the object goes is rolled back.
class TStudyArchiveImport
{
public:
    enum File { Record, Sample, Beats };

    // Reads the archive's "info" and extracts "cxstudy", "cxecg" and "cxbeats".
    // Throws "File is not a valid Cardivex study Zip archive" when the archive
    // is not a study archive (including an "info" base name that would leave
    // the data folder) or lacks one of the entries, the extractor's message for
    // a damaged archive, "Write error" when a temporary cannot be written. On a
    // throw nothing is left in the folder.
    TStudyArchiveImport(const QString& archivePath, const QString& dataFolder);
    ~TStudyArchiveImport();

    TStudyArchiveImport(const TStudyArchiveImport&) = delete;
    TStudyArchiveImport& operator=(const TStudyArchiveImport&) = delete;

    // What the archive's "info" entry tells (id 0).
    const TStudySummary& info() const { return m_info; }
    // Where a file is held until commit (it may be rewritten there).
    QString stagedPath(File file) const { return m_staged[file]; }

    // Moves the three files to "%1/%2.%3" (data folder, base name, extension).
    // Throws "Write error" when a file cannot be moved; the folder is then as
    // it was.
    void commit(const QString& baseFilename);
    // Drops the replaced files: the import stands.
    void finish();
    // Puts the replaced files back and removes the imported ones (or, before
    // commit, the temporaries).
    void rollback();

    static QString notAStudyArchive();

private:
    void removeStaged();

    QString m_folder;
    TStudySummary m_info;
    std::array<QString, 3> m_staged;
    std::array<QString, 3> m_targets;  // set by commit
    std::array<QString, 3> m_replaced; // where a replaced file waits; empty when none
    std::array<bool, 3> m_moved{};
    bool m_done = false;
};
