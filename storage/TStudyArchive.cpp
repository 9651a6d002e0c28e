#include "TStudyArchive.h"

#include "QZipFileCreator.h"
#include "QZipFileExtractor.h"
#include "TException.h"

#include <QCoreApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

const QString TStudyArchive::Comment = QStringLiteral("CXZIP1");
const QString TStudyArchive::RecordEntry = QStringLiteral("cxstudy");
const QString TStudyArchive::SampleEntry = QStringLiteral("cxecg");
const QString TStudyArchive::BeatsEntry = QStringLiteral("cxbeats");
const QString TStudyArchive::InfoEntry = QStringLiteral("info");
const QString TStudyArchive::Extension = QStringLiteral("cxz");

namespace {

// A memory target that refuses to grow past a limit, so an "info" entry that
// inflates to gigabytes fails instead of filling the memory.
class TLimitedBuffer : public QBuffer
{
public:
    explicit TLimitedBuffer(qint64 limit) : m_limit(limit) {}

protected:
    qint64 writeData(const char* data, qint64 size) override
    {
        if (buffer().size() + size > m_limit)
            return -1;
        return QBuffer::writeData(data, size);
    }

private:
    qint64 m_limit;
};

QString scratchName(const QString& path)
{
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName()
        + QStringLiteral(".part-%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

} // namespace

QString TStudyArchive::archivePath(const QString& folder, const QString& baseFilename)
{
    return QStringLiteral("%1/%2.cxz").arg(folder, baseFilename);
}

QByteArray TStudyArchive::infoDocument(const TStudySummary& study)
{
    QJsonObject patient;
    patient.insert(QStringLiteral("lastName"), study.patientLastName);
    patient.insert(QStringLiteral("firstName"), study.patientFirstName);
    QJsonObject info;
    info.insert(QStringLiteral("baseFilename"), study.baseFilename);
    info.insert(QStringLiteral("studyDateTime"), study.studyDateTime);
    info.insert(QStringLiteral("studyType"), study.studyType);
    info.insert(QStringLiteral("patient"), patient);
    return QJsonDocument(info).toJson(QJsonDocument::Compact);
}

void TStudyArchive::write(const QString& archivePath, const QString& recordPath, const QString& samplePath,
                          const QString& beatsPath, const TStudySummary& study)
{
    const QString scratch = scratchName(archivePath);
    try {
        QZipFileCreator creator(scratch);
        creator.setComment(Comment);
        creator.addFile(RecordEntry, recordPath);
        creator.addFile(SampleEntry, samplePath);
        creator.addFile(BeatsEntry, beatsPath);
        creator.addData(InfoEntry, infoDocument(study));
        creator.close();
    } catch (const TException&) {
        QFile::remove(scratch);
        throw;
    }
    // Replace an older archive of the same name only once the new one is whole.
    const QString aside = scratchName(archivePath);
    const bool hadOld = QFile::exists(archivePath);
    if (hadOld && !QFile::rename(archivePath, aside)) {
        QFile::remove(scratch);
        throw TException(QCoreApplication::translate("TStudyArchive", "Write error"));
    }
    if (!QFile::rename(scratch, archivePath)) {
        QFile::remove(scratch);
        if (hadOld)
            QFile::rename(aside, archivePath);
        throw TException(QCoreApplication::translate("TStudyArchive", "Write error"));
    }
    if (hadOld)
        QFile::remove(aside);
}

bool TStudyArchive::isSafeBaseFilename(const QString& name)
{
    if (name.isEmpty() || QDir::isAbsolutePath(name))
        return false;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QLatin1String(".."))
        || name.contains(QLatin1Char(':')))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

std::optional<TStudySummary> TStudyArchive::readInfo(const QString& archivePath)
{
    QZipFileExtractor extractor(archivePath);
    if (extractor.comment() != Comment)
        return std::nullopt;
    TLimitedBuffer buffer(MaxInfoSize);
    buffer.open(QIODevice::WriteOnly);
    if (!extractor.extract(InfoEntry, &buffer))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(buffer.data());
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject info = document.object();
    const QJsonObject patient = info.value(QStringLiteral("patient")).toObject();
    TStudySummary summary;
    summary.baseFilename = info.value(QStringLiteral("baseFilename")).toString();
    if (summary.baseFilename.isEmpty() || patient.isEmpty() || !isSafeBaseFilename(summary.baseFilename))
        return std::nullopt;
    summary.studyDateTime = info.value(QStringLiteral("studyDateTime")).toString();
    summary.studyType = info.value(QStringLiteral("studyType")).toString();
    summary.patientLastName = patient.value(QStringLiteral("lastName")).toString();
    summary.patientFirstName = patient.value(QStringLiteral("firstName")).toString();
    return summary;
}

QVector<TStudyArchive::Listed> TStudyArchive::list(const QString& folder)
{
    QVector<Listed> archives;
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*.cxz")}, QDir::Files, QDir::Unsorted);
    for (const QString& name : names) {
        try {
            if (const auto summary = readInfo(QStringLiteral("%1/%2").arg(folder, name)))
                archives.push_back({name, *summary});
        } catch (const TException&) {
        }
    }
    return archives;
}

bool TStudyArchive::looksLikeStudyArchive(const QString& path)
{
    // Local file header: signature (4), fixed fields up to the name length at
    // offset 26, the extra field length at 28, the name from offset 30.
    static const QByteArray signature("PK\x03\x04", 4);
    const QByteArray name = RecordEntry.toUtf8();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(30 + name.size());
    if (head.size() < 30 + name.size() || !head.startsWith(signature))
        return false;
    const auto byte = [&head](int at) { return int(uchar(head.at(at))); };
    const int nameLength = byte(26) + 256 * byte(27);
    return nameLength == name.size() && head.mid(30, nameLength) == name;
}
