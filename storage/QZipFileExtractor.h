#pragma once

#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>

class QIODevice;

// Reads a zip archive: the global comment and entries by name, streamed in
// chunks with the entry's CRC and size checked at the end. Every failure of a
// damaged or truncated archive raises a TException.
class QZipFileExtractor : public QObject
{
    Q_OBJECT
public:
    explicit QZipFileExtractor(const QString& archivePath, QObject* parent = nullptr);
    ~QZipFileExtractor() override;

    QString comment() const { return m_comment; }
    qint64 entryCount() const { return m_entryCount; }
    QStringList entryNames();

    // Returns whether the entry was found. A target file written in part
    // before a failure is removed.
    bool extract(const QString& entryName, const QString& targetPath);
    bool extract(const QString& entryName, QIODevice* target);
    // Writes the entry into the folder under its own name; names that would
    // leave the folder are refused.
    bool extractInto(const QString& entryName, const QString& folder);

    static bool isSafeEntryName(const QString& name);

private:
    bool locate(const QString& entryName);
    void copyCurrent(QIODevice* target);

    QFile m_file;
    void* m_unzip = nullptr;
    qint64 m_entryCount = 0;
    QString m_comment;
};
