#pragma once

#include "TStudySummary.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The texts the study browser shows for a study of the data folder or an
// archive of a shared folder, column by column.
class TStudyRowTexts
{
    Q_DECLARE_TR_FUNCTIONS(TStudyRowTexts)

public:
    // Columns of the local list: the id and the base name are hidden, the
    // others carry the header labels.
    enum LocalColumn { IdColumn, PatientColumn, TypeColumn, DateColumn, ReportColumn, BaseNameColumn, LocalColumnCount };
    // Columns of the shared list: the file name addresses the archive.
    enum SharedColumn { FileColumn, SharedPatientColumn, SharedTypeColumn, SharedDateColumn, SharedColumnCount };

    static QStringList localHeaderLabels();  // "", "Patient", "Study type", "Date", "Report", ""
    static QStringList sharedHeaderLabels(); // "File", "Patient", "Study type", "Date"

    // "last, first"
    static QString patientText(const TStudySummary& study);
    // "Stress test" and "ECG" translated, other types as stored.
    static QString studyTypeText(const QString& studyType);
    // The "yyyyMMddHHmmss" stamp shown as "d/M/yyyy HH:mm"; a stamp that does
    // not parse is shown as stored.
    static QString dateText(const QString& studyDateTime);
    static QDateTime dateTime(const QString& studyDateTime);
    // "Yes" for a study with a report, empty otherwise.
    static QString reportText(const TStudySummary& study);

    static QStringList localRow(const TStudySummary& study);
    static QStringList sharedRow(const QString& fileName, const TStudySummary& study);
    // An archive that begins as a study archive but does not read.
    static QStringList damagedRow(const QString& fileName);
    static QString damagedText(); // "Damaged archive"

    // How a study is named in the outcome of a batch: "last, first (date)".
    static QString label(const TStudySummary& study);
};
