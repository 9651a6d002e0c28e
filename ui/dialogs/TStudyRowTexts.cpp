#include "TStudyRowTexts.h"

namespace {

const char* const StampFormat = "yyyyMMddHHmmss";

} // namespace

QStringList TStudyRowTexts::localHeaderLabels()
{
    return {QString(), tr("Patient"), tr("Study type"), tr("Date"), tr("Report"), QString()};
}

QStringList TStudyRowTexts::sharedHeaderLabels()
{
    return {tr("File"), tr("Patient"), tr("Study type"), tr("Date")};
}

QString TStudyRowTexts::patientText(const TStudySummary& study)
{
    return QStringLiteral("%1, %2").arg(study.patientLastName, study.patientFirstName);
}

QString TStudyRowTexts::studyTypeText(const QString& studyType)
{
    if (studyType == QLatin1String("Stress test"))
        return tr("Stress test");
    if (studyType == QLatin1String("ECG"))
        return tr("ECG");
    return studyType;
}

QDateTime TStudyRowTexts::dateTime(const QString& studyDateTime)
{
    return QDateTime::fromString(studyDateTime, QLatin1String(StampFormat));
}

QString TStudyRowTexts::dateText(const QString& studyDateTime)
{
    const QDateTime when = dateTime(studyDateTime);
    return when.isValid() ? when.toString(QStringLiteral("d/M/yyyy HH:mm")) : studyDateTime;
}

QString TStudyRowTexts::reportText(const TStudySummary& study)
{
    return study.isReported() ? tr("Yes") : QString();
}

QStringList TStudyRowTexts::localRow(const TStudySummary& study)
{
    return {QString::number(study.id), patientText(study), studyTypeText(study.studyType),
            dateText(study.studyDateTime), reportText(study), study.baseFilename};
}

QStringList TStudyRowTexts::sharedRow(const QString& fileName, const TStudySummary& study)
{
    return {fileName, patientText(study), studyTypeText(study.studyType), dateText(study.studyDateTime)};
}

QString TStudyRowTexts::damagedText()
{
    return tr("Damaged archive");
}

QStringList TStudyRowTexts::damagedRow(const QString& fileName)
{
    return {fileName, damagedText(), QString(), QString()};
}

QString TStudyRowTexts::label(const TStudySummary& study)
{
    return QStringLiteral("%1 (%2)").arg(patientText(study), dateText(study.studyDateTime));
}
