#include "TStudySummary.h"

namespace {
const char* const BaseFilename = "baseFilename";
const char* const Status = "status";
const char* const StudyType = "studyType";
const char* const StudyDateTime = "studyDateTime";
const char* const FirstName = "patientFirstName";
const char* const LastName = "patientLastName";
const char* const Species = "patientAnimalSpecies";
const char* const Breed = "patientAnimalBreed";
} // namespace

QJsonObject TStudySummary::toIndexJson() const
{
    QJsonObject data;
    data.insert(BaseFilename, baseFilename);
    data.insert(Status, status);
    data.insert(StudyType, studyType);
    data.insert(StudyDateTime, studyDateTime);
    data.insert(FirstName, patientFirstName);
    data.insert(LastName, patientLastName);
    data.insert(Species, patientAnimalSpecies);
    data.insert(Breed, patientAnimalBreed);
    return data;
}

TStudySummary TStudySummary::fromIndexJson(int id, const QJsonObject& data)
{
    TStudySummary summary;
    summary.id = id;
    summary.baseFilename = data.value(BaseFilename).toString();
    summary.status = data.value(Status).toString();
    summary.studyType = data.value(StudyType).toString();
    summary.studyDateTime = data.value(StudyDateTime).toString();
    summary.patientFirstName = data.value(FirstName).toString();
    summary.patientLastName = data.value(LastName).toString();
    summary.patientAnimalSpecies = data.value(Species).toString();
    summary.patientAnimalBreed = data.value(Breed).toString();
    return summary;
}

bool TStudySummary::operator==(const TStudySummary& other) const
{
    return id == other.id && baseFilename == other.baseFilename && status == other.status
        && studyType == other.studyType && studyDateTime == other.studyDateTime
        && patientFirstName == other.patientFirstName && patientLastName == other.patientLastName
        && patientAnimalSpecies == other.patientAnimalSpecies && patientAnimalBreed == other.patientAnimalBreed;
}
