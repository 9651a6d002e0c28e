#include "TRecordFile.h"

#include "TException.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

#include <zlib.h>

#include <algorithm>

const QByteArray TRecordFile::MagicV1 = QByteArrayLiteral("CXSTUDY1");
const QByteArray TRecordFile::MagicV2 = QByteArrayLiteral("CXSTUDY2");
const QString TRecordFile::Extension = QStringLiteral("cxstudy");

namespace {

constexpr int magicSize = 8;

// The inverse of qCompress. qUncompress would trust the stored length to size
// its buffer (and grows without bound on a stream that inflates hugely); here
// the stored length is only a hint and the output is capped.
std::optional<QByteArray> uncompress(const QByteArray& body, qint64 limit)
{
    if (body.size() < 4)
        return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(body.constData());
    const quint32 stated = (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);

    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return std::nullopt;
    QByteArray out;
    out.reserve(int(std::min<qint64>(std::max<qint64>(stated, 1024), 16 * 1024 * 1024)));
    z.next_in = const_cast<Bytef*>(p + 4);
    z.avail_in = uInt(body.size() - 4);
    char chunk[65536];
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            break;
        const qint64 produced = qint64(sizeof chunk) - qint64(z.avail_out);
        if (out.size() + produced > limit) {
            rc = Z_MEM_ERROR;
            break;
        }
        out.append(chunk, int(produced));
        // Input used up without the end of the stream: truncated.
        if (rc == Z_OK && z.avail_in == 0 && produced == 0) {
            rc = Z_DATA_ERROR;
            break;
        }
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

} // namespace

std::optional<QJsonObject> TRecordFile::parseObject(const QByteArray& bytes)
{
    if (bytes.size() < magicSize)
        return std::nullopt;
    const QByteArray magic = bytes.left(magicSize);
    const QByteArray rest = bytes.mid(magicSize);
    if (magic != MagicV1 && magic != MagicV2)
        return std::nullopt;
    if (rest.isEmpty())
        return std::nullopt;
    QByteArray json;
    if (magic == MagicV2) {
        std::optional<QByteArray> plain = uncompress(rest, MaxDocumentSize);
        if (!plain)
            return std::nullopt;
        json = std::move(*plain);
    } else {
        json = rest;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject root = doc.object();
    if (!root.value(QStringLiteral("study")).isObject())
        return std::nullopt;
    return root;
}

std::optional<TStudyRecord> TRecordFile::parse(const QByteArray& bytes)
{
    const std::optional<QJsonObject> root = parseObject(bytes);
    if (!root)
        return std::nullopt;
    return TStudyRecord::fromJson(*root);
}

std::optional<QJsonObject> TRecordFile::readObject(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray magic = file.read(magicSize);
    if (magic.size() < magicSize || (magic != MagicV1 && magic != MagicV2))
        return std::nullopt;
    if (file.size() > MaxFileSize)
        return std::nullopt;
    return parseObject(magic + file.readAll());
}

std::optional<TStudyRecord> TRecordFile::read(const QString& path)
{
    const std::optional<QJsonObject> root = readObject(path);
    if (!root)
        return std::nullopt;
    return TStudyRecord::fromJson(*root);
}

namespace {

// The fastest level: the monitor rewrites the file at every stage change of a
// test, and its trends make it grow with the test.
QByteArray compressed(const QByteArray& json)
{
    return TRecordFile::MagicV2 + qCompress(json, 1);
}

void writeBytes(const QByteArray& bytes, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw TException(QCoreApplication::translate("TRecordFile", "Cannot create study file"));
    if (file.write(bytes) != qint64(bytes.size())) {
        file.cancelWriting();
        throw TException(QCoreApplication::translate("TRecordFile", "Write error"));
    }
    if (!file.commit())
        throw TException(QCoreApplication::translate("TRecordFile", "Write error"));
}

} // namespace

QByteArray TRecordFile::encode(const QJsonObject& root)
{
    return compressed(QJsonDocument(root).toJson(QJsonDocument::Compact));
}

QByteArray TRecordFile::encode(const TStudyRecord& record)
{
    // The results go in as text written straight from their numbers (the bulk
    // of a long test's record); the rest through the JSON document.
    QByteArray json = QJsonDocument(TStudyRecord::toJsonWithoutResults(record)).toJson(QJsonDocument::Compact);
    json.chop(1); // the closing brace
    if (json.size() > 1)
        json.append(',');
    json.append("\"results\":");
    json.append(TStudyResults::toJsonText(record.results));
    json.append('}');
    return compressed(json);
}

void TRecordFile::writeObject(const QJsonObject& root, const QString& path)
{
    writeBytes(encode(root), path);
}

void TRecordFile::write(const TStudyRecord& record, const QString& path)
{
    writeBytes(encode(record), path);
}

QString TRecordFile::path(const QString& folder, const QString& baseFilename)
{
    return QStringLiteral("%1/%2.%3").arg(folder, baseFilename, Extension);
}
