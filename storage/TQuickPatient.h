#pragma once

#include <QString>

// The launcher's quick patient form, as a new study takes it over.
struct TQuickPatient
{
    QString lastName;
    QString firstName;
    QString age;       // as typed
    QString birthDate; // "yyyyMMdd" carried by the age field, empty when none
    QString sex;       // "M", "F" or empty
    QString patientId; // the clinical history number
    QString personId;  // the owner's identity document number
};
