#pragma once

#include "TAcquisitionFields.h"
#include "TEchoScoring.h"
#include "TProtocol.h"
#include "TRiskFactor.h"
#include "TStudyEvent.h"
#include "TStudyResults.h"

#include <QString>
#include <QVector>

#include <optional>
#include <utility>
#include <vector>

// One study as the windows and dialogs see it: a plain structure of named text
// fields (held as QString; the files carry them as UTF-8) with the lists that
// belong to it. The study store works on the other face, TStudyRecord.
struct TStudyInfo
{
    int id = 0; // 0 until the study is first saved

    // Study fields.
    QString baseFilename;
    QString status;      // "report" once a report was produced
    QString studyType;   // "ECG", "Stress test" or "Tilt test"
    QString institutionName;
    QString technicianName;
    QString doctorName;
    QString referringDoctorName;
    QString studyDateTime;     // "yyyyMMddHHmmss"
    QString recordingDateTime; // "yyyyMMddHHmmss", empty until recording began
    QString treatment;
    QString indication;
    QString comments;
    QString conclusion;
    QString protocolName;

    // Patient fields.
    QString firstName;
    QString lastName;
    QString sex; // "M", "F" or empty
    QString age;
    QString weight;
    QString height;
    QString trainingZoneMax;
    QString trainingZoneSubMax;
    QString birthDate; // "yyyyMMdd" or empty
    QString personIdType;
    QString personIdNumber;
    QString medicalGroupName;
    QString medicalGroupNumber;
    QString medicalHistoryNumber;
    QString address;
    QString city;
    QString state;
    QString country;
    QString phoneNumber;
    QString animalSpecies;
    QString animalBreed;

    QVector<TStudyEvent> events;
    TStudyResults results;
    QVector<TRiskFactor> riskFactors;
    std::optional<TProtocol> protocol;
    std::optional<TEchoScoring> echoScoring;
    TAcquisitionFields acquisition;

    using Field = QString TStudyInfo::*;
    // The study keys with their fields ("id" is not among them), in the order of
    // the declarations above.
    static const std::vector<std::pair<QString, Field>>& studyFields();
    // The patient keys (without the "patient/" prefix) with their fields.
    static const std::vector<std::pair<QString, Field>>& patientFields();

    bool isReported() const { return status == QLatin1String("report"); }

    bool operator==(const TStudyInfo& o) const;
    bool operator!=(const TStudyInfo& o) const { return !(*this == o); }
};
