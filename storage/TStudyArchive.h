#pragma once

#include "TStudySummary.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <optional>

// The study archive: one zip file holding a study's record, sample and beats
// files and an "info" entry, so that a study list can show the archive without
// unpacking it.
class TStudyArchive
{
public:
    static const QString Comment;        // "CXZIP1"
    static const QString RecordEntry;    // "cxstudy", also the record file extension
    static const QString SampleEntry;    // "cxecg"
    static const QString BeatsEntry;     // "cxbeats"
    static const QString InfoEntry;      // "info"
    static const QString Extension;      // "cxz"

    // "%1/%2.cxz"
    static QString archivePath(const QString& folder, const QString& baseFilename);

    // {"baseFilename", "studyDateTime", "studyType", "patient": {"lastName", "firstName"}}, compact.
    static QByteArray infoDocument(const TStudySummary& study);

    // Writes the archive: comment "CXZIP1", the three files as "cxstudy",
    // "cxecg", "cxbeats", then "info". The archive is written beside its final
    // name and moved there when complete, so a failed export leaves no broken
    // archive behind (and an older archive of that name untouched). A source
    // file that cannot be read gives an empty entry. Throws the zip creator's
    // messages, or "Write error" when the finished archive cannot be put in
    // place.
    static void write(const QString& archivePath, const QString& recordPath, const QString& samplePath,
                      const QString& beatsPath, const TStudySummary& study);

    // The summary of a study archive (baseFilename, studyDateTime, studyType,
    // patient last and first name; id 0), or none when the file is a zip but
    // not a study archive: wrong comment, no "info" entry, "info" not a JSON
    // object, an empty or unsafe "baseFilename", an empty "patient" object.
    // A file that cannot be read as a zip raises the extractor's message.
    static std::optional<TStudySummary> readInfo(const QString& archivePath);

    // One study archive of a folder: its file name (which addresses it) and
    // what its "info" entry tells.
    struct Listed
    {
        QString fileName;
        TStudySummary summary;
    };
    // The study archives among the folder's "*.cxz" files, in the folder's own
    // order. A damaged archive among them is left out rather than hiding the
    // others.
    static QVector<Listed> list(const QString& folder);

    // Whether the file begins as a study archive is written: the zip local-file
    // signature and a first entry named "cxstudy". It tells a damaged study
    // archive (a truncated copy, whose central directory and comment are lost)
    // from a file that never was one, when readInfo cannot read it.
    static bool looksLikeStudyArchive(const QString& path);

    // A base name names files in the data folder: it must not be empty,
    // absolute, or hold "/", "\", "..", ":" or control characters.
    static bool isSafeBaseFilename(const QString& name);

    // The "info" entry is a few hundred bytes; anything beyond this is not one.
    static constexpr qint64 MaxInfoSize = 1 << 20;
};
