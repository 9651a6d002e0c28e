#pragma once

#include "TStudyRecord.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// The record file of a study: "CXSTUDY2" followed by the compact UTF-8 JSON of
// the record compressed with qCompress (a 4-byte big-endian length, then a zlib
// stream). Files that start with "CXSTUDY1" hold the JSON uncompressed; they are
// read, and saved again as "CXSTUDY2".
class TRecordFile
{
public:
    static const QByteArray MagicV1; // "CXSTUDY1"
    static const QByteArray MagicV2; // "CXSTUDY2"
    static const QString Extension;  // "cxstudy"

    // Larger files, and larger decompressed documents, are not study records;
    // this also bounds what a crafted file can make the reader allocate.
    static constexpr qint64 MaxFileSize = 256LL * 1024 * 1024;
    static constexpr qint64 MaxDocumentSize = 512LL * 1024 * 1024;

    // The root object of the file, or none when the file is not a study: missing
    // or unreadable, shorter than 8 bytes, another magic, nothing after the
    // magic, a body that does not decompress or parse, not a JSON object, or no
    // "study" object. Never throws.
    static std::optional<QJsonObject> readObject(const QString& path);
    static std::optional<TStudyRecord> read(const QString& path);
    // The same over the bytes of a whole file.
    static std::optional<QJsonObject> parseObject(const QByteArray& bytes);
    static std::optional<TStudyRecord> parse(const QByteArray& bytes);

    // Replaces the file atomically (a temporary beside it, then renamed over it):
    // a failed save leaves the old file as it was. Throws TException "Cannot
    // create study file" when the file cannot be opened for writing, "Write
    // error" when writing or committing fails.
    static void write(const TStudyRecord& record, const QString& path);
    static void writeObject(const QJsonObject& root, const QString& path);
    // The bytes write() and writeObject() put in the file.
    static QByteArray encode(const TStudyRecord& record);
    static QByteArray encode(const QJsonObject& root);

    // "folder/baseFilename.cxstudy"
    static QString path(const QString& folder, const QString& baseFilename);
};
