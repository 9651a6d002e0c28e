#include "TStudyArchiveImport.h"

#include "QZipFileExtractor.h"
#include "TException.h"
#include "TStudyArchive.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

namespace {

const std::array<QString, 3>& entries()
{
    static const std::array<QString, 3> names{TStudyArchive::RecordEntry, TStudyArchive::SampleEntry,
                                               TStudyArchive::BeatsEntry};
    return names;
}

// A fresh name in the folder that no study file pattern ("*.cxstudy" and the
// others) matches, so a leftover after a crash is never taken for a study.
QString scratchPath(const QString& folder, const QString& kind)
{
    return QStringLiteral("%1/.%2-%3.part")
        .arg(folder, kind)
        .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

// Remembers a short write: a full disk shows as one, without an error code.
class TCheckedFile : public QFile
{
public:
    explicit TCheckedFile(const QString& path) : QFile(path) {}
    bool failed() const { return m_failed || error() != QFileDevice::NoError; }

protected:
    qint64 writeData(const char* data, qint64 size) override
    {
        const qint64 written = QFile::writeData(data, size);
        if (written != size)
            m_failed = true;
        return written;
    }

private:
    bool m_failed = false;
};

} // namespace

QString TStudyArchiveImport::notAStudyArchive()
{
    return QCoreApplication::translate("TStudyArchiveImport", "File is not a valid Cardivex study Zip archive");
}

TStudyArchiveImport::TStudyArchiveImport(const QString& archivePath, const QString& dataFolder)
    : m_folder(dataFolder)
{
    const auto info = TStudyArchive::readInfo(archivePath);
    if (!info)
        throw TException(notAStudyArchive());
    m_info = *info;
    try {
        QZipFileExtractor extractor(archivePath);
        for (int i = 0; i < 3; ++i) {
            TCheckedFile target(scratchPath(m_folder, QStringLiteral("import")));
            if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
                throw TException("Write error");
            m_staged[i] = target.fileName();
            bool found = false;
            try {
                found = extractor.extract(entries()[i], &target);
            } catch (const TException&) {
                // The extractor cannot tell a full disk from a bad entry.
                if (target.failed())
                    throw TException("Write error");
                throw;
            }
            const bool flushed = target.flush();
            target.close();
            if (!found)
                throw TException(notAStudyArchive());
            if (!flushed || target.failed())
                throw TException("Write error");
        }
    } catch (const TException&) {
        removeStaged();
        throw;
    }
}

TStudyArchiveImport::~TStudyArchiveImport()
{
    if (!m_done)
        rollback();
}

void TStudyArchiveImport::removeStaged()
{
    for (QString& path : m_staged) {
        if (!path.isEmpty())
            QFile::remove(path);
        path.clear();
    }
}

void TStudyArchiveImport::commit(const QString& baseFilename)
{
    for (int i = 0; i < 3; ++i) {
        m_targets[i] = QStringLiteral("%1/%2.%3").arg(m_folder, baseFilename, entries()[i]);
        if (QFile::exists(m_targets[i])) {
            const QString aside = scratchPath(m_folder, QStringLiteral("replaced"));
            if (!QFile::rename(m_targets[i], aside)) {
                rollback();
                throw TException("Write error");
            }
            m_replaced[i] = aside;
        }
        if (!QFile::rename(m_staged[i], m_targets[i])) {
            rollback();
            throw TException("Write error");
        }
        m_moved[i] = true;
    }
}

void TStudyArchiveImport::finish()
{
    for (QString& path : m_replaced) {
        if (!path.isEmpty())
            QFile::remove(path);
        path.clear();
    }
    m_done = true;
}

void TStudyArchiveImport::rollback()
{
    for (int i = 2; i >= 0; --i) {
        if (m_moved[i]) {
            QFile::remove(m_targets[i]);
            m_moved[i] = false;
        }
        if (!m_replaced[i].isEmpty()) {
            QFile::rename(m_replaced[i], m_targets[i]);
            m_replaced[i].clear();
        }
    }
    removeStaged();
    m_done = true;
}
