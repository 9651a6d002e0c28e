#pragma once

#include <QJsonObject>
#include <QString>

// What the study index, the study lists and a study archive's "info" entry know of
// a study without opening its files.
struct TStudySummary
{
    int id = 0;
    QString baseFilename;
    QString status;
    QString studyType;
    QString studyDateTime;
    QString patientFirstName;
    QString patientLastName;
    QString patientAnimalSpecies;
    QString patientAnimalBreed;

    // "status" is "report" once a report of the study has been produced.
    bool isReported() const { return status == QLatin1String("report"); }

    // The index row's "data" object (every member present, all strings; the id is
    // the row's key, not part of the object).
    QJsonObject toIndexJson() const;
    // Members that are missing or not strings give empty strings.
    static TStudySummary fromIndexJson(int id, const QJsonObject& data);

    bool operator==(const TStudySummary& other) const;
    bool operator!=(const TStudySummary& other) const { return !(*this == other); }
};
