#pragma once

#include "TAcquisitionFields.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <memory>
#include <optional>

class TFileSignalBuffer;

// The sample file of a study: a 4096-byte header area ("CXECG1" followed by the
// compact UTF-8 JSON header document {"study", "patient", "ecg"}, then zero
// bytes), then the frames: one signed 16-bit little-endian value per channel,
// channel 0 first. The frame count follows from the file size; a trailing
// partial frame is not a frame.
class TSampleFile
{
public:
    static const QByteArray Magic;  // "CXECG1"
    static const QString Extension; // "cxecg"
    static constexpr int HeaderSize = 4096;

    // "folder/baseFilename.cxecg"
    static QString path(const QString& folder, const QString& baseFilename);

    // The header area (exactly HeaderSize bytes). The "ecg" object is always
    // kept whole; when the document would not fit, the "study" and "patient"
    // copies are shortened or left out, so the header stays valid JSON.
    static QByteArray headerArea(const TAcquisitionFields& fields, const QJsonObject& study,
                                 const QJsonObject& patient);
    // The acquisition fields of a header area (the bytes from offset 0), or none
    // when it is not a readable sample header: another magic, no JSON object, no
    // or an empty "ecg" object, zero or missing resolution or sampling rate, no
    // channels, an empty sample format. Never throws.
    static std::optional<TAcquisitionFields> parseHeader(const QByteArray& area);
    static std::optional<TAcquisitionFields> readHeader(const QString& path);

    // Creates (truncates) the file with its header area and no frames. Throws
    // TException "Cannot create sample file" / "Write error".
    static void create(const QString& path, const TAcquisitionFields& fields,
                       const QJsonObject& study = QJsonObject(), const QJsonObject& patient = QJsonObject());
    // Rewrites the header area of an existing file; the frames stay. Throws as create.
    static void writeHeader(const QString& path, const TAcquisitionFields& fields, const QJsonObject& study,
                            const QJsonObject& patient);

    // The file as a file-backed signal buffer (read-write, appends at the end),
    // or null when the file is missing or its header is not readable; fields,
    // when given, receives the header's acquisition fields. Never throws.
    static std::unique_ptr<TFileSignalBuffer> open(const QString& path, TAcquisitionFields* fields = nullptr);
};
