#include "TStudyInfo.h"

const std::vector<std::pair<QString, TStudyInfo::Field>>& TStudyInfo::studyFields()
{
    static const std::vector<std::pair<QString, Field>> fields = {
        {QStringLiteral("baseFilename"), &TStudyInfo::baseFilename},
        {QStringLiteral("status"), &TStudyInfo::status},
        {QStringLiteral("studyType"), &TStudyInfo::studyType},
        {QStringLiteral("institutionName"), &TStudyInfo::institutionName},
        {QStringLiteral("technicianName"), &TStudyInfo::technicianName},
        {QStringLiteral("doctorName"), &TStudyInfo::doctorName},
        {QStringLiteral("referringDoctorName"), &TStudyInfo::referringDoctorName},
        {QStringLiteral("studyDateTime"), &TStudyInfo::studyDateTime},
        {QStringLiteral("recordingDateTime"), &TStudyInfo::recordingDateTime},
        {QStringLiteral("treatment"), &TStudyInfo::treatment},
        {QStringLiteral("indication"), &TStudyInfo::indication},
        {QStringLiteral("comments"), &TStudyInfo::comments},
        {QStringLiteral("conclusion"), &TStudyInfo::conclusion},
        {QStringLiteral("protocolName"), &TStudyInfo::protocolName},
    };
    return fields;
}

const std::vector<std::pair<QString, TStudyInfo::Field>>& TStudyInfo::patientFields()
{
    static const std::vector<std::pair<QString, Field>> fields = {
        {QStringLiteral("firstName"), &TStudyInfo::firstName},
        {QStringLiteral("lastName"), &TStudyInfo::lastName},
        {QStringLiteral("sex"), &TStudyInfo::sex},
        {QStringLiteral("age"), &TStudyInfo::age},
        {QStringLiteral("weight"), &TStudyInfo::weight},
        {QStringLiteral("height"), &TStudyInfo::height},
        {QStringLiteral("trainingZoneMax"), &TStudyInfo::trainingZoneMax},
        {QStringLiteral("trainingZoneSubMax"), &TStudyInfo::trainingZoneSubMax},
        {QStringLiteral("birthDate"), &TStudyInfo::birthDate},
        {QStringLiteral("personIdType"), &TStudyInfo::personIdType},
        {QStringLiteral("personIdNumber"), &TStudyInfo::personIdNumber},
        {QStringLiteral("medicalGroupName"), &TStudyInfo::medicalGroupName},
        {QStringLiteral("medicalGroupNumber"), &TStudyInfo::medicalGroupNumber},
        {QStringLiteral("medicalHistoryNumber"), &TStudyInfo::medicalHistoryNumber},
        {QStringLiteral("address"), &TStudyInfo::address},
        {QStringLiteral("city"), &TStudyInfo::city},
        {QStringLiteral("state"), &TStudyInfo::state},
        {QStringLiteral("country"), &TStudyInfo::country},
        {QStringLiteral("phoneNumber"), &TStudyInfo::phoneNumber},
        {QStringLiteral("animalSpecies"), &TStudyInfo::animalSpecies},
        {QStringLiteral("animalBreed"), &TStudyInfo::animalBreed},
    };
    return fields;
}

bool TStudyInfo::operator==(const TStudyInfo& o) const
{
    if (id != o.id || events != o.events || results != o.results || riskFactors != o.riskFactors
        || protocol != o.protocol || echoScoring != o.echoScoring || acquisition != o.acquisition)
        return false;
    for (const auto& f : studyFields()) {
        if (this->*f.second != o.*f.second)
            return false;
    }
    for (const auto& f : patientFields()) {
        if (this->*f.second != o.*f.second)
            return false;
    }
    return true;
}
