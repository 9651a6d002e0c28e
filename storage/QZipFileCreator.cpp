#include "QZipFileCreator.h"

#include "TException.h"
#include "TZipDeviceIo.h"

#include <QCoreApplication>
#include <minizip/zip.h>

#include <cstring>

namespace {
constexpr qint64 ChunkSize = 32768;
// Entries this large need the zip64 extension (and its extra field); smaller
// ones are written without any extra field.
constexpr qint64 Zip64Threshold = 0xffffffffLL;
}

QZipFileCreator::QZipFileCreator(const QString& archivePath, QObject* parent)
    : QObject(parent), m_file(archivePath)
{
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Truncate))
        throw TException(QCoreApplication::translate("QZipFileCreator", "Cannot create zip archive"));
    zlib_filefunc64_def functions;
    TZipDeviceIo::fill(&functions, &m_file);
    m_zip = zipOpen2_64(nullptr, APPEND_STATUS_CREATE, nullptr, &functions);
    if (!m_zip) {
        m_file.close();
        throw TException(QCoreApplication::translate("QZipFileCreator", "Cannot create zip archive"));
    }
}

QZipFileCreator::~QZipFileCreator()
{
    if (m_zip) {
        try {
            close();
        } catch (const TException&) {
            // Nothing can be reported from a destructor; the file is left as
            // far as it was written.
        }
    }
}

void QZipFileCreator::openEntry(const QString& entryName, bool large)
{
    if (!m_zip)
        throw TException(QCoreApplication::translate("QZipFileCreator", "Cannot open new file in zip"));
    zip_fileinfo info;
    std::memset(&info, 0, sizeof info);
    // The library turns a zero date into one from the broken-down time, adding
    // one to the month; a month of -1 keeps the stored date and time all zero.
    info.tmz_date.tm_mon = decltype(info.tmz_date.tm_mon)(-1);
    const QByteArray name = entryName.toUtf8();
    if (zipOpenNewFileInZip3_64(m_zip, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                                Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                Z_DEFAULT_STRATEGY, nullptr, 0, large ? 1 : 0) != ZIP_OK)
        throw TException(QCoreApplication::translate("QZipFileCreator", "Cannot open new file in zip"));
}

void QZipFileCreator::writeEntry(const char* data, qint64 size)
{
    while (size > 0) {
        const unsigned n = unsigned(qMin(size, ChunkSize));
        if (zipWriteInFileInZip(m_zip, data, n) != ZIP_OK)
            throw TException(QCoreApplication::translate("QZipFileCreator", "Cannot write data in zip file"));
        data += n;
        size -= n;
    }
}

void QZipFileCreator::closeEntry()
{
    if (zipCloseFileInZip(m_zip) != ZIP_OK)
        throw TException(QCoreApplication::translate("QZipFileCreator", "Cannot close file in zip"));
}

void QZipFileCreator::addFile(const QString& entryName, const QString& sourcePath)
{
    QFile source(sourcePath);
    const bool readable = source.open(QIODevice::ReadOnly);
    openEntry(entryName, readable && source.size() >= Zip64Threshold);
    if (readable) {
        QByteArray buffer(int(ChunkSize), Qt::Uninitialized);
        for (;;) {
            const qint64 n = source.read(buffer.data(), ChunkSize);
            if (n == 0)
                break;
            if (n < 0) {
                source.close();
                throw TException(QCoreApplication::translate("QZipFileCreator", "Cannot write data in zip file"));
            }
            try {
                writeEntry(buffer.constData(), n);
            } catch (const TException&) {
                source.close();
                throw;
            }
        }
        source.close();
    }
    closeEntry();
}

void QZipFileCreator::addData(const QString& entryName, const QByteArray& data)
{
    openEntry(entryName, data.size() >= Zip64Threshold);
    if (!data.isEmpty() && zipWriteInFileInZip(m_zip, data.constData(), unsigned(data.size())) != ZIP_OK)
        throw TException(QCoreApplication::translate("QZipFileCreator", "Cannot write data in zip file"));
    closeEntry();
}

void QZipFileCreator::close()
{
    if (!m_zip)
        return;
    const QByteArray comment = m_comment.toUtf8();
    void* zip = m_zip;
    m_zip = nullptr;
    const int result = zipClose(zip, comment.isEmpty() ? nullptr : comment.constData());
    const bool flushed = m_file.isOpen() ? m_file.flush() : true;
    const bool fileOk = m_file.error() == QFileDevice::NoError;
    m_file.close();
    if (result != ZIP_OK || !flushed || !fileOk)
        throw TException(QCoreApplication::translate("QZipFileCreator", "Cannot close zip archive"));
}
