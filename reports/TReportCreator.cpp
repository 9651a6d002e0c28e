#include "TReportCreator.h"

#include "TException.h"
#include "TStudy.h"
#include "TStudyReport.h"
#include "TStudyStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

QString TReportCreator::reportFolder(const QString& root)
{
    return QStringLiteral("%1/reports").arg(root);
}

QString TReportCreator::pdfPath(const QString& root, const QString& baseFilename)
{
    return reportFolder(root) + QStringLiteral("/%1.pdf").arg(baseFilename);
}

TReportCreator::Result TReportCreator::createPdf(TStudy& study, TStudyStore& store, const TReportOptions& options,
                                                 const std::function<void(int, int)>& progress)
{
    Result result;
    result.path = pdfPath(store.rootPath(), study.record().baseFilename());
    if (store.rootPath().isEmpty() || study.record().baseFilename().isEmpty() ||
        !QDir().mkpath(reportFolder(store.rootPath())))
        throw TException(TStudyReport::writeFailedText(result.path));
    TStudyReport report(study, options);
    if (progress)
        report.setProgress(progress);
    report.writePdf(result.path);
    markReported(study, store);

    const QString folder = exportFolder(study.record().property(QStringLiteral("studyType")));
    if (!folder.isEmpty()) {
        try {
            exportCopy(result.path, folder);
        } catch (const TException& e) {
            result.exportError = e.message();
        }
    }
    return result;
}

void TReportCreator::markReported(TStudy& study, TStudyStore& store)
{
    const QString before = study.record().property(QStringLiteral("status"));
    study.record().setProperty(QStringLiteral("status"), QStringLiteral("report"));
    try {
        store.updateStudy(study.record());
    } catch (...) {
        // The record says what is stored, nothing more.
        study.record().setProperty(QStringLiteral("status"), before);
        throw;
    }
}

QString TReportCreator::exportFolder(const QString& studyType)
{
    QSettings settings;
    if (!settings.value(QStringLiteral("Config/AutoExportReports"), false).toBool())
        return QString();
    const QString key = studyType == QLatin1String("ECG") ? QStringLiteral("Config/ExportEcgReportFolder")
                                                          : QStringLiteral("Config/ExportStressReportFolder");
    // An empty folder would be the working folder: no copy, as for study archives.
    return settings.value(key, QString()).toString().trimmed();
}

QString TReportCreator::exportFailedText(const QString& folder)
{
    return QCoreApplication::translate("TReportCreator",
                                       "Report file could not be exported to folder: %1\nPlease check "
                                       "shared folder access with your network administrator.")
        .arg(QDir::toNativeSeparators(folder));
}

void TReportCreator::exportCopy(const QString& pdfPath, const QString& folder)
{
    QFile source(pdfPath);
    QSaveFile target(QDir(folder).filePath(QFileInfo(pdfPath).fileName()));
    target.setDirectWriteFallback(false);
    bool ok = QFileInfo(folder).isDir() && source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly);
    // Every block whole, or the copy is not made.
    while (ok && !source.atEnd()) {
        const QByteArray block = source.read(1 << 16);
        ok = !block.isEmpty() && target.write(block) == block.size();
    }
    if (!ok || !target.commit()) {
        target.cancelWriting();
        throw TException(exportFailedText(folder));
    }
}
