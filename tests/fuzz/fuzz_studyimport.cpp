// Fuzz target: a study store importing any bytes as a study archive (and
// reading its information, as the shared-folder list does). Whatever the
// archive holds, nothing may crash or hang, nothing may be written outside the
// data folder, a failed import must leave no file behind, and a successful one
// must leave an openable, indexed study.

#include "FuzzSeeds.h"
#include "TException.h"
#include "TLocalStudyStore.h"
#include "TStudy.h"
#include "TStudyArchive.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir& sandbox()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    return dir;
}

// Every file under the sandbox, relative to it.
QStringList allFiles()
{
    QStringList files;
    QDirIterator it(sandbox().path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(sandbox().path()).relativeFilePath(it.next());
    files.sort();
    return files;
}

TStudyRecord seedRecord()
{
    TQuickPatient patient;
    patient.lastName = "Perez";
    patient.firstName = "Rex";
    TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::StressTest, patient, "Example",
                                                 QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    record.acquisition = {2, 500, 16, 300.0, QStringLiteral("short"), "II,V5"};
    return record;
}

} // namespace

std::vector<std::string> velmoraFuzzSeeds()
{
    QTemporaryDir dir;
    std::vector<std::string> seeds;
    {
        TLocalStudyStore store(dir.filePath("seed"));
        TStudy* study = store.saveNewStudy(seedRecord());
        const qint16 a[3] = {1, 2, 3};
        const qint16 b[3] = {-1, -2, -3};
        const qint16* channels[2] = {a, b};
        study->recording()->appendChannels(channels, 3);
        const int id = study->id();
        const QString base = study->record().baseFilename();
        store.closeStudy(id);
        store.exportStudy(id, dir.path());
        QFile archive(TStudyArchive::archivePath(dir.path(), base));
        if (!archive.open(QIODevice::ReadOnly))
            std::abort();
        const QByteArray bytes = archive.readAll();
        seeds.emplace_back(bytes.constData(), size_t(bytes.size()));
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString root = sandbox().filePath("root/data folder");
    const QString archive = sandbox().filePath("shared/input.cxz");
    static TLocalStudyStore* store = new TLocalStudyStore(root);
    QDir().mkpath(sandbox().filePath("shared"));
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const QStringList before = allFiles();

    try {
        TStudySummary info;
        store->readArchiveInfo(archive, info);
    } catch (const TException&) {
    }
    store->listArchives(sandbox().filePath("shared"));

    int imported = 0;
    try {
        imported = store->importStudy(archive);
    } catch (const TException&) {
    }

    const QStringList after = allFiles();
    if (imported == 0) {
        if (after != before)
            std::abort();
    } else {
        // Only the three files of the study, inside the data folder.
        TStudy* study = store->openStudy(imported);
        if (!study)
            std::abort();
        const QString base = "root/data folder/" + study->record().baseFilename();
        for (const QString& file : after) {
            if (!before.contains(file) && file != base + ".cxstudy" && file != base + ".cxecg"
                && file != base + ".cxbeats")
                std::abort();
        }
        store->closeStudy(imported);
        store->deleteStudy(imported);
        if (allFiles() != before)
            std::abort();
    }
    return 0;
}
