#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>

// Writes a zip archive: entries deflated at the default level with zeroed dates
// and attributes and no extra fields, the global comment written at close.
// Every failure raises a TException.
class QZipFileCreator : public QObject
{
    Q_OBJECT
public:
    explicit QZipFileCreator(const QString& archivePath, QObject* parent = nullptr);
    ~QZipFileCreator() override;

    void setComment(const QString& comment) { m_comment = comment; }
    // Copies the source file into a new entry in chunks; a source that cannot
    // be opened gives an empty entry.
    void addFile(const QString& entryName, const QString& sourcePath);
    void addData(const QString& entryName, const QByteArray& data);
    void close();

private:
    void openEntry(const QString& entryName, bool large);
    void writeEntry(const char* data, qint64 size);
    void closeEntry();

    QFile m_file;
    void* m_zip = nullptr;
    QString m_comment;
};
