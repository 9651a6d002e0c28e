#include "TStudyReport.h"

#include "TCheckedWriteDevice.h"
#include "TErgoReport.h"
#include "TException.h"
#include "TReportDocument.h"
#include "TReportTemplate.h"
#include "TStudy.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

// The templates live in the library's resources; a static library must ask for
// them to be registered.
static void registerTemplates()
{
    Q_INIT_RESOURCE(reports);
}

QString TStudyReport::templatePath(const QString& studyType, bool tracesOnly)
{
    if (studyType == QLatin1String("ECG"))
        return tracesOnly ? QStringLiteral(":/res/ecgReportTracesOnly-vet.xml")
                          : QStringLiteral(":/res/ecgreport1-vet.xml");
    if (studyType == QLatin1String("Tilt test"))
        return QStringLiteral(":/res/tilttestreport1.xml");
    return QStringLiteral(":/res/stressreport1-vet.xml");
}

QStringList TStudyReport::templatePaths(const QString& studyType, bool tracesOnly)
{
    QStringList paths = {templatePath(studyType, tracesOnly)};
    if (studyType != QLatin1String("ECG") && studyType != QLatin1String("Tilt test"))
        paths.append(QString::fromLatin1(StageEventsTemplate));
    return paths;
}

TStudyReport::TStudyReport(TStudy& study, const TReportOptions& options) : m_study(study)
{
    registerTemplates();
    QVector<TReportTemplate> parts;
    for (const QString& path : templatePaths(study.record().property(QStringLiteral("studyType")), options.tracesOnly))
        parts.append(TReportTemplate::load(path));
    m_data = std::make_unique<TErgoReport>(study, options);
    m_document = std::make_unique<TReportDocument>(parts, *m_data);
}

TStudyReport::~TStudyReport() = default;

int TStudyReport::pageCount() const
{
    return m_document->pageCount();
}

QString TStudyReport::title() const
{
    const TStudyRecord& r = m_study.record();
    const QDateTime date = QDateTime::fromString(r.studyDateTime(), QStringLiteral("yyyyMMddHHmmss"));
    return QStringLiteral("%1, %2 - %3")
        .arg(r.patientProperty(QStringLiteral("lastName")), r.patientProperty(QStringLiteral("firstName")),
             date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : r.studyDateTime());
}

void TStudyReport::setProgress(std::function<void(int, int)> progress)
{
    m_document->setProgress(std::move(progress));
}

QString TStudyReport::writeFailedText(const QString& path)
{
    return QCoreApplication::translate("TStudyReport", "Report file could not be generated at:\n\n%1\n\nPlease check "
                                                       "disk space, folder access and antivirus software.")
        .arg(QDir::toNativeSeparators(path));
}

void TStudyReport::writePdf(const QString& path)
{
    QSaveFile file(path);
    // Never write over the old file in place: a report cut short by a full disk
    // must not replace a whole one.
    file.setDirectWriteFallback(false);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        TCheckedWriteDevice checked(&file);
        written = m_document->writePdf(&checked, title()) && !checked.failed();
    }
    if (!written || !file.commit()) {
        file.cancelWriting();
        throw TException(writeFailedText(path));
    }
}

bool TStudyReport::print(QPrinter& printer)
{
    return m_document->print(printer);
}
