#pragma once

#include "TAcquisitionFields.h"
#include "TEchoScoring.h"
#include "TProtocol.h"
#include "TQuickPatient.h"
#include "TRiskFactor.h"
#include "TStudyEvent.h"
#include "TStudyInfo.h"
#include "TStudyResults.h"
#include "TStudySummary.h"

#include <QDateTime>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

// One study as the study store works on it: the id, a property map holding every
// study key and every patient key (the latter as "patient/" + key), and the lists.
// Its JSON form is the content of the record file.
struct TStudyRecord
{
    enum StudyKind { Ecg, StressTest };

    int id = 0; // 0 until the study is first saved
    QMap<QString, QString> properties;
    QVector<TStudyEvent> events;
    TStudyResults results;
    QVector<TRiskFactor> riskFactors;
    std::optional<TProtocol> protocol;
    std::optional<TEchoScoring> echoScoring;
    // Not part of the JSON form: the sample file header carries them.
    TAcquisitionFields acquisition;

    static const QString PatientPrefix; // "patient/"

    // A key missing from the map gives the empty string.
    QString property(const QString& key) const { return properties.value(key); }
    void setProperty(const QString& key, const QString& value) { properties.insert(key, value); }
    // key without the prefix.
    QString patientProperty(const QString& key) const { return properties.value(PatientPrefix + key); }
    void setPatientProperty(const QString& key, const QString& value) { properties.insert(PatientPrefix + key, value); }

    QString baseFilename() const { return property(QStringLiteral("baseFilename")); }
    QString studyDateTime() const { return property(QStringLiteral("studyDateTime")); }
    bool isReported() const { return property(QStringLiteral("status")) == QLatin1String("report"); }

    // The study keys ("id" first) and the patient keys without prefix, in the
    // order of TStudyInfo.
    static QStringList studyKeys();
    static QStringList patientKeys();

    // The record file document: "study", "patient" (with "riskFactors"),
    // "events", "results", and "protocol" / "echoScoring" only when present.
    // Every listed key is written, missing ones as "".
    static QJsonObject toJson(const TStudyRecord& record);
    // The same without the "results" member.
    static QJsonObject toJsonWithoutResults(const TStudyRecord& record);
    // Missing or non-string members give "", a missing or non-integer "id" 0;
    // without "protocol" / "echoScoring" the record has none.
    static TStudyRecord fromJson(const QJsonObject& object);
    // The "study" and "patient" members alone (the sample file header copies them).
    static QJsonObject studyObject(const TStudyRecord& record);
    static QJsonObject patientObject(const TStudyRecord& record);

    // The two faces, field by field.
    static TStudyInfo toInfo(const TStudyRecord& record);
    static TStudyRecord fromInfo(const TStudyInfo& info);

    // What the study index lists of the study.
    TStudySummary summary() const;

    // medicalHistoryNumber + "-", personIdNumber + "-", lastName + "-",
    // firstName + "-" (each only when not empty) followed by studyDateTime.
    // Characters that cannot stand in a file name ("/", "\", ":", "*", "?",
    // "\"", "<", ">", "|" and control characters) become "_", and so does a
    // "." that would start the name or follow another ".": the name is the
    // stem of the study's files.
    static QString makeBaseFilename(const TStudyRecord& record);

    // A uniformly distributed id in 1..999999999 from a non-deterministic
    // source, drawn again while taken(id) says the id is in use. Throws
    // TException when no random source is available, or when 1000 draws in a
    // row are all taken (a predicate that can never be satisfied must not hang
    // the program).
    static int drawId(const std::function<bool(int)>& taken);
    static constexpr int MaxId = 999999999;

    // A study started from the launcher's quick form: studyType "ECG" or "Stress
    // test", studyDateTime = now, the form's fields; for a stress test also
    // protocolName and the training zones from age and sex. The protocol name
    // "Tilt test" makes the study a "Tilt test".
    // The quick form's fields alone, before the study data dialog completes
    // them: no study date, no training zones; protocolName for a stress test.
    static TStudyRecord unstartedStudy(StudyKind kind, const TQuickPatient& patient,
                                       const QString& protocolName = QString());
    static TStudyRecord newStudy(StudyKind kind, const TQuickPatient& patient,
                                 const QString& protocolName = QString(),
                                 const QDateTime& now = QDateTime::currentDateTime());

    bool operator==(const TStudyRecord& o) const;
    bool operator!=(const TStudyRecord& o) const { return !(*this == o); }
};
