#pragma once

#include "TSettingsKeys.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>

class TStudy;

// A study's recording as an EDF+ file (continuous, EDF+C) that other ECG and
// EEG viewers open: each lead a signal labelled with its name ("I", "II",
// "V1" ...) in microvolts, one digital step per recorder code, so nothing is
// lost; the study's events and a stress test's stage changes as annotations;
// the patient and recording fields as EDF+ lays them out. Anonymous files carry
// the study's identifiers instead of names ("Config/EdfAnonymous", on unless
// the clinic turns it off).
//
// The samples are read from the study's recording one data record (one second)
// at a time and written as they are read: the recording is never held whole.
class TEdfExport
{
public:
    // An annotation: onset in seconds from the recording's start, duration in
    // seconds (0 or less: none), text.
    struct Annotation
    {
        double onset = 0.0;
        double duration = 0.0;
        QString text;
    };

    // The EDF+ patient and recording subfields, as written (printable ASCII).
    struct Header
    {
        QByteArray patientCode;
        QByteArray patientName; // empty: unknown ("X")
        int sex = -1;           // 1 male, 0 female, -1 unknown
        QDate birthDate;
        QByteArray patientAdditional;
        QByteArray adminCode;
        QByteArray technician;
        QByteArray equipment;
        QByteArray recordingAdditional;
        QDateTime start;
    };

    // The longest annotation text EDFlib writes, in bytes of UTF-8.
    static constexpr int MaxAnnotationBytes = 40;
    // Whether the file leaves out names while the setting is not set.
    static constexpr bool DefaultAnonymous = TSettingsKeys::DefaultEdfAnonymous;

    // "Config/EdfAnonymous", DefaultAnonymous when absent.
    static bool anonymousFromSettings();

    static Header header(const TStudy& study, bool anonymous);
    // The study's events and, of a stress or tilt test, the start of each
    // executed stage with its name, in time order.
    static QVector<Annotation> annotations(const TStudy& study);
    // "<base name>.edf"; anonymous: "study-<id>.edf".
    static QString defaultFileName(const TStudy& study, bool anonymous);

    // Writes the file; an existing one is replaced only once the new one is
    // whole. Throws TException: no recording to export, the file cannot be
    // created or written.
    static void write(const TStudy& study, const QString& path, bool anonymous);
};
