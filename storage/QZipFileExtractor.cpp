#include "QZipFileExtractor.h"

#include "TException.h"
#include "TZipDeviceIo.h"

#include <QCoreApplication>
#include <minizip/unzip.h>

#include <QDir>

namespace {
constexpr int ChunkSize = 32768;
constexpr uLong MaxCommentSize = 65535;
constexpr uInt MaxNameSize = 65535;
}

QZipFileExtractor::QZipFileExtractor(const QString& archivePath, QObject* parent)
    : QObject(parent), m_file(archivePath)
{
    if (!m_file.open(QIODevice::ReadOnly))
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot open zip archive"));
    zlib_filefunc64_def functions;
    TZipDeviceIo::fill(&functions, &m_file);
    m_unzip = unzOpen2_64(nullptr, &functions);
    if (!m_unzip) {
        m_file.close();
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot open zip archive"));
    }
    unz_global_info64 info;
    if (unzGetGlobalInfo64(m_unzip, &info) != UNZ_OK) {
        unzClose(m_unzip);
        m_unzip = nullptr;
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot read zip archive"));
    }
    m_entryCount = qint64(info.number_entry);
    const uLong size = qMin(info.size_comment, MaxCommentSize);
    QByteArray comment(int(size) + 1, '\0');
    const int read = unzGetGlobalComment(m_unzip, comment.data(), uLong(comment.size()));
    if (read < 0 || uLong(read) != size) {
        unzClose(m_unzip);
        m_unzip = nullptr;
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot read comment in zip archive"));
    }
    m_comment = QString::fromUtf8(comment.constData(), read);
}

QZipFileExtractor::~QZipFileExtractor()
{
    if (m_unzip)
        unzClose(m_unzip);
}

QStringList QZipFileExtractor::entryNames()
{
    QStringList names;
    int result = unzGoToFirstFile(m_unzip);
    QByteArray name(int(MaxNameSize) + 1, '\0');
    // The entry count bounds the walk, so a looping central directory cannot
    // keep it going.
    for (qint64 i = 0; result == UNZ_OK && i < m_entryCount; ++i) {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(m_unzip, &info, name.data(), uLong(name.size()), nullptr, 0, nullptr, 0) != UNZ_OK)
            throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot get file info from zip archive"));
        names << QString::fromUtf8(name.constData());
        result = unzGoToNextFile(m_unzip);
    }
    if (result != UNZ_OK && result != UNZ_END_OF_LIST_OF_FILE)
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot get file info from zip archive"));
    return names;
}

bool QZipFileExtractor::isSafeEntryName(const QString& name)
{
    if (name.isEmpty() || name.startsWith('/') || name.startsWith('\\') || name.contains(':'))
        return false;
    const QStringList parts = QString(name).replace('\\', '/').split('/');
    for (const QString& part : parts) {
        if (part == "..")
            return false;
    }
    return true;
}

bool QZipFileExtractor::locate(const QString& entryName)
{
    const QByteArray name = entryName.toUtf8();
    const int result = unzLocateFile(m_unzip, name.constData(), 0);
    if (result == UNZ_END_OF_LIST_OF_FILE)
        return false;
    if (result != UNZ_OK)
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot get file info from zip archive"));
    return true;
}

void QZipFileExtractor::copyCurrent(QIODevice* target)
{
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(m_unzip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot get file info from zip archive"));
    if (unzOpenCurrentFile(m_unzip) != UNZ_OK)
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot open file in zip archive"));
    QByteArray buffer(ChunkSize, Qt::Uninitialized);
    ZPOS64_T total = 0;
    for (;;) {
        const int n = unzReadCurrentFile(m_unzip, buffer.data(), unsigned(ChunkSize));
        if (n == 0)
            break;
        if (n < 0) {
            unzCloseCurrentFile(m_unzip);
            throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot read file in zip archive"));
        }
        total += ZPOS64_T(n);
        if (target->write(buffer.constData(), n) != n) {
            unzCloseCurrentFile(m_unzip);
            throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot read file in zip archive"));
        }
    }
    // The library checks the CRC only when the whole declared size was read;
    // a compressed stream that ends early is as corrupt as a wrong CRC.
    const int closed = unzCloseCurrentFile(m_unzip);
    if (closed == UNZ_CRCERROR || total != info.uncompressed_size)
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Corrupt file read from zip archive"));
    if (closed != UNZ_OK)
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot read file in zip archive"));
}

bool QZipFileExtractor::extract(const QString& entryName, QIODevice* target)
{
    if (!locate(entryName))
        return false;
    if (!target->isOpen() && !target->open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot open file in zip archive"));
    copyCurrent(target);
    return true;
}

bool QZipFileExtractor::extract(const QString& entryName, const QString& targetPath)
{
    if (!locate(entryName))
        return false;
    QFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot open file in zip archive"));
    try {
        copyCurrent(&target);
        if (!target.flush())
            throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot read file in zip archive"));
    } catch (const TException&) {
        target.close();
        target.remove();
        throw;
    }
    target.close();
    return true;
}

bool QZipFileExtractor::extractInto(const QString& entryName, const QString& folder)
{
    if (!isSafeEntryName(entryName))
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Unsafe file name in zip archive"));
    const QString path = QDir(folder).filePath(entryName);
    const QString parent = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(parent))
        throw TException(QCoreApplication::translate("QZipFileExtractor", "Cannot open file in zip archive"));
    return extract(entryName, path);
}
