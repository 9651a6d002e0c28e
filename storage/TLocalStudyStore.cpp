#include "TLocalStudyStore.h"

#include "TBeatsFile.h"
#include "TException.h"
#include "TFileBeatStore.h"
#include "TFileSignalBuffer.h"
#include "TRecordFile.h"
#include "TSampleFile.h"
#include "TStudy.h"
#include "TStudyArchive.h"
#include "TStudyArchiveImport.h"
#include "TStudyIndex.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

namespace {

const QStringList& studyFileExtensions()
{
    static const QStringList extensions{TRecordFile::Extension, TSampleFile::Extension, TBeatsFile::Extension};
    return extensions;
}

} // namespace

TLocalStudyStore::TLocalStudyStore(const QString& root, FreeSpaceQuery freeSpace)
    : m_root(root), m_freeSpace(freeSpace ? std::move(freeSpace) : FreeSpaceQuery(&systemFreeSpace))
{
    // An empty root would put the index at "/data".
    if (m_root.isEmpty())
        throw TException(QCoreApplication::translate("TLocalStudyStore", "Undefined database path"));
    if (!QDir().mkpath(m_root) || !QDir().mkpath(m_root + QStringLiteral("/data")))
        throw TException(QCoreApplication::translate("TLocalStudyStore", "Cannot create folder %1")
                             .arg(QDir::toNativeSeparators(m_root)));

    m_index = std::make_unique<TStudyIndex>(m_root + QStringLiteral("/data/") + TStudyIndex::FileName);
    if (m_index->isNew())
        m_index->rebuild(m_root);

    try {
        m_protocols.load(m_root);
    } catch (const TException& e) {
        // A table that exists but cannot be read now (locked, no permission)
        // is not overwritten: the session works on the example table, and the
        // user's file is there again at the next start.
        m_protocols.useDefaults();
        m_protocolTableError = e.message();
    }
    m_riskFactorNames = defaultRiskFactorNames();
}

TLocalStudyStore::~TLocalStudyStore()
{
    // The open studies hold files of the folder; they go before the index.
    m_open.clear();
    m_index.reset();
}

QString TLocalStudyStore::defaultRoot()
{
    return QStringLiteral("%1/%2").arg(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                                       QStringLiteral("CardivexVetStress"));
}

qint64 TLocalStudyStore::systemFreeSpace(const QString& path)
{
    const QStorageInfo volume(path);
    if (!volume.isValid() || !volume.isReady())
        return -1;
    return volume.bytesAvailable();
}

QString TLocalStudyStore::studyFilePath(const QString& baseFilename, const QString& extension) const
{
    return QStringLiteral("%1/%2.%3").arg(m_root, baseFilename, extension);
}

std::unique_ptr<TStudy> TLocalStudyStore::loadStudyFile(const QString& recordPath)
{
    std::optional<TStudyRecord> record = TRecordFile::read(recordPath);
    if (!record)
        return nullptr;
    const QFileInfo info(recordPath);
    const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();

    // The record alone is enough to open: the clinician must still reach the
    // patient data and the conclusion when a recording file is damaged.
    std::unique_ptr<TFileSignalBuffer> samples =
        TSampleFile::open(stem + QLatin1Char('.') + TSampleFile::Extension, &record->acquisition);
    std::unique_ptr<TFileBeatStore> beats;
    if (samples) {
        // A stored recording is complete: its last, partial page is part of it,
        // and so of every filtered view a review or report draws from.
        samples->releaseUnusedPages(true);
        beats = TBeatsFile::open(stem + QLatin1Char('.') + TBeatsFile::Extension, samples.get());
    }
    auto study = std::make_unique<TStudy>(std::move(*record), std::move(samples));
    // The beat store refers to the recording it was opened on, now owned by the study.
    study->setBeats(std::move(beats));
    return study;
}

void TLocalStudyStore::writeRecordFile(const TStudyRecord& record, const QString& path)
{
    TRecordFile::write(record, path);
}

QVector<TStudySummary> TLocalStudyStore::listStudies()
{
    return m_index->list();
}

bool TLocalStudyStore::baseFilenameTaken(const QString& baseFilename, int ownerId) const
{
    for (const QString& extension : studyFileExtensions()) {
        if (!QFileInfo::exists(studyFilePath(baseFilename, extension)))
            continue;
        // Files of the owner itself may be replaced by the owner.
        if (ownerId != 0 && extension == TRecordFile::Extension) {
            const std::optional<TStudyRecord> existing = TRecordFile::read(studyFilePath(baseFilename, extension));
            if (existing && existing->id == ownerId)
                continue;
        }
        return true;
    }
    for (const TStudySummary& s : m_index->list()) {
        if (s.id != ownerId && s.baseFilename == baseFilename)
            return true;
    }
    return false;
}

QString TLocalStudyStore::freeBaseFilename(const QString& wanted, int ownerId) const
{
    if (!baseFilenameTaken(wanted, ownerId))
        return wanted;
    for (int suffix = 2;; ++suffix) {
        const QString candidate = QStringLiteral("%1-%2").arg(wanted).arg(suffix);
        if (!baseFilenameTaken(candidate, ownerId))
            return candidate;
    }
}

void TLocalStudyStore::removeStudyFiles(const QString& baseFilename)
{
    for (const QString& extension : studyFileExtensions())
        QFile::remove(studyFilePath(baseFilename, extension));
}

TStudy* TLocalStudyStore::saveNewStudy(const TStudyRecord& source)
{
    if (m_root.isEmpty())
        throw TException(QCoreApplication::translate("TLocalStudyStore", "Undefined database path"));

    TStudyRecord record = source;
    record.id = TStudyRecord::drawId([this](int id) { return m_open.count(id) > 0 || m_index->contains(id); });
    const QString baseFilename = freeBaseFilename(TStudyRecord::makeBaseFilename(record), record.id);
    record.setProperty(QStringLiteral("baseFilename"), baseFilename);

    const QString recordPath = studyFilePath(baseFilename, TRecordFile::Extension);
    const QString samplePath = studyFilePath(baseFilename, TSampleFile::Extension);
    const QString beatsPath = studyFilePath(baseFilename, TBeatsFile::Extension);
    bool indexed = false;
    try {
        TSampleFile::create(samplePath, record.acquisition, TStudyRecord::studyObject(record),
                            TStudyRecord::patientObject(record));
        TBeatsFile::create(beatsPath, record.acquisition.channelCount);
        std::unique_ptr<TFileSignalBuffer> samples = TSampleFile::open(samplePath);
        if (!samples)
            throw TException(QCoreApplication::translate("TLocalStudyStore", "Cannot create sample file"));
        std::unique_ptr<TFileBeatStore> beats = TBeatsFile::open(beatsPath, samples.get());
        if (!beats)
            throw TException(QCoreApplication::translate("TLocalStudyStore", "Cannot create beats file"));

        TRecordFile::write(record, recordPath);
        m_index->insert(record.summary());
        indexed = true;
        auto study = std::make_unique<TStudy>(std::move(record), std::move(samples));
        study->setBeats(std::move(beats));
        TStudy* opened = study.get();
        m_open[opened->id()] = std::move(study);
        return opened;
    } catch (...) {
        // A study that did not start leaves nothing behind.
        if (indexed) {
            try {
                m_index->remove(record.id);
            } catch (const TException&) {
            }
        }
        removeStudyFiles(baseFilename);
        throw;
    }
}

TStudy* TLocalStudyStore::openStudy(int id)
{
    const auto open = m_open.find(id);
    if (open != m_open.end())
        return open->second.get();
    const std::optional<TStudySummary> summary = m_index->find(id);
    if (!summary || !TStudyArchive::isSafeBaseFilename(summary->baseFilename))
        return nullptr;
    std::unique_ptr<TStudy> study = loadStudyFile(studyFilePath(summary->baseFilename, TRecordFile::Extension));
    if (!study)
        return nullptr;
    // The index keys the study; a record file copied under another study's
    // name must not open as that study.
    if (study->id() != id)
        return nullptr;
    TStudy* opened = study.get();
    m_open[id] = std::move(study);
    return opened;
}

void TLocalStudyStore::updateStudy(const TStudyRecord& record)
{
    const auto open = m_open.find(record.id);
    if (open == m_open.end())
        return;
    TStudy& study = *open->second;
    if (&record != &study.record()) {
        // The recording's shape belongs to the sample file, not to the caller.
        const TAcquisitionFields acquisition = study.record().acquisition;
        study.record() = record;
        study.record().acquisition = acquisition;
    }
    const TStudyRecord& stored = study.record();
    TRecordFile::write(stored, studyFilePath(stored.baseFilename(), TRecordFile::Extension));
    m_index->update(stored.summary());
}

void TLocalStudyStore::closeStudy(int id)
{
    m_open.erase(id);
}

void TLocalStudyStore::deleteStudy(int id)
{
    if (isStudyOpen(id))
        return;
    const std::optional<TStudySummary> summary = m_index->find(id);
    if (!summary)
        return;
    if (TStudyArchive::isSafeBaseFilename(summary->baseFilename))
        removeStudyFiles(summary->baseFilename);
    m_index->remove(id);
}

bool TLocalStudyStore::isStudyOpen(int id) const
{
    return m_open.count(id) > 0;
}

QByteArrayList TLocalStudyStore::protocolNames() const
{
    return m_protocols.protocolNames();
}

bool TLocalStudyStore::getProtocol(const QByteArray& name, TProtocol& out) const
{
    return m_protocols.getProtocol(name, out);
}

void TLocalStudyStore::setProtocol(const QByteArray& name, const TProtocol& protocol)
{
    m_protocols.setProtocol(name, protocol);
}

void TLocalStudyStore::deleteProtocol(const QByteArray& name)
{
    m_protocols.deleteProtocol(name);
}

void TLocalStudyStore::exportStudy(int id, const QString& folder)
{
    const std::optional<TStudySummary> summary = m_index->find(id);
    if (!summary || !TStudyArchive::isSafeBaseFilename(summary->baseFilename))
        return;
    const QString& base = summary->baseFilename;
    TStudyArchive::write(TStudyArchive::archivePath(folder, base), studyFilePath(base, TRecordFile::Extension),
                         studyFilePath(base, TSampleFile::Extension), studyFilePath(base, TBeatsFile::Extension),
                         *summary);
}

int TLocalStudyStore::importStudy(const QString& archivePath)
{
    TStudyArchiveImport import(archivePath, m_root);
    std::optional<TStudyRecord> record = TRecordFile::read(import.stagedPath(TStudyArchiveImport::Record));
    if (!record || record->id <= 0)
        throw TException(TStudyArchiveImport::notAStudyArchive());
    const int id = record->id;
    // Replacing the files of a study in use would pull them from under the
    // window that records or reviews it.
    if (isStudyOpen(id))
        throw TException(QCoreApplication::translate("TLocalStudyStore", "Study is already open for review"));

    // The same study comes back to its own files; another study's files are
    // never overwritten: the newcomer gets a name of its own.
    const std::optional<TStudySummary> indexed = m_index->find(id);
    const QString baseFilename = indexed && TStudyArchive::isSafeBaseFilename(indexed->baseFilename)
                                     ? indexed->baseFilename
                                     : freeBaseFilename(import.info().baseFilename, id);
    if (baseFilename != record->baseFilename()) {
        record->setProperty(QStringLiteral("baseFilename"), baseFilename);
        TRecordFile::write(*record, import.stagedPath(TStudyArchiveImport::Record));
    }

    import.commit(baseFilename);
    try {
        if (indexed)
            m_index->update(record->summary());
        else
            m_index->insert(record->summary());
    } catch (...) {
        import.rollback();
        throw;
    }
    import.finish();
    return id;
}

bool TLocalStudyStore::readArchiveInfo(const QString& archivePath, TStudySummary& out)
{
    const std::optional<TStudySummary> info = TStudyArchive::readInfo(archivePath);
    if (!info)
        return false;
    out = *info;
    return true;
}

QVector<TStudySummary> TLocalStudyStore::listArchives(const QString& folder)
{
    QVector<TStudySummary> summaries;
    for (const TStudyArchive::Listed& listed : TStudyArchive::list(folder))
        summaries.append(listed.summary);
    return summaries;
}

bool TLocalStudyStore::hasFreeSpace() const
{
    const qint64 available = m_freeSpace(m_root);
    return available < 0 || available >= MinFreeBytes;
}
