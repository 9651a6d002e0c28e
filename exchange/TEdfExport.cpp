#include "TEdfExport.h"

#include "TEdfText.h"
#include "TException.h"
#include "TSettingsKeys.h"
#include "TProtocol.h"
#include "TStageTable.h"
#include "TStudy.h"

#include <edflib.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// EDF+ time stamps of annotations are in units of 100 microseconds.
long long annotationUnits(double seconds)
{
    return std::llround(seconds * 10000.0);
}

QDateTime stamp(const QString& text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyyMMddHHmmss"));
}

// Closes the writer on every path out.
class TEdfHandle
{
public:
    explicit TEdfHandle(int handle) : m_handle(handle) {}
    ~TEdfHandle()
    {
        if (m_handle >= 0)
            edfclose_file(m_handle);
    }
    int get() const { return m_handle; }
    // false when closing failed (the header or annotations not written).
    bool close()
    {
        const int handle = m_handle;
        m_handle = -1;
        return edfclose_file(handle) == 0;
    }

private:
    int m_handle;
};

// The digital range of the recorder's codes: its resolution's range, within
// the 16 bits a code is stored in.
void codeRange(int resolution, int* low, int* high)
{
    if (resolution <= 0 || resolution >= 16) {
        *low = -32768;
        *high = 32767;
    } else {
        *low = -(1 << (resolution - 1));
        *high = (1 << (resolution - 1)) - 1;
    }
}

} // namespace

bool TEdfExport::anonymousFromSettings()
{
    return QSettings().value(QLatin1String(TSettingsKeys::EdfAnonymous), DefaultAnonymous).toBool();
}

TEdfExport::Header TEdfExport::header(const TStudy& study, bool anonymous)
{
    const TStudyRecord& r = study.record();
    Header h;
    const QString history = r.patientProperty(QStringLiteral("medicalHistoryNumber")).trimmed();
    h.patientCode = TEdfText::headerField(history.isEmpty() ? QString::number(study.id()) : history);
    if (!anonymous) {
        const QString last = r.patientProperty(QStringLiteral("lastName")).trimmed();
        const QString first = r.patientProperty(QStringLiteral("firstName")).trimmed();
        QString name = last;
        if (!first.isEmpty())
            name += (name.isEmpty() ? QString() : QStringLiteral(", ")) + first;
        h.patientName = TEdfText::headerField(name);
        h.technician = TEdfText::headerField(r.property(QStringLiteral("technicianName")).trimmed());
    }
    const QString sex = r.patientProperty(QStringLiteral("sex")).trimmed().toUpper();
    h.sex = sex == QLatin1String("M") ? 1 : sex == QLatin1String("F") ? 0 : -1;
    h.birthDate = QDate::fromString(r.patientProperty(QStringLiteral("birthDate")), QStringLiteral("yyyyMMdd"));
    QStringList animal;
    for (const char* key : {"animalSpecies", "animalBreed"}) {
        const QString value = r.patientProperty(QLatin1String(key)).trimmed();
        if (!value.isEmpty())
            animal << value;
    }
    const QString weight = r.patientProperty(QStringLiteral("weight")).trimmed();
    if (!weight.isEmpty())
        animal << weight + QStringLiteral(" kg");
    h.patientAdditional = TEdfText::headerField(animal.join(QLatin1Char(' ')));

    h.adminCode = TEdfText::headerField(QString::number(study.id()));
    h.equipment = TEdfText::headerField(QStringLiteral("Velmora"));
    QStringList recording{r.property(QStringLiteral("studyType")).trimmed()};
    const QString protocol = r.property(QStringLiteral("protocolName")).trimmed();
    if (!protocol.isEmpty() && protocol != recording.first())
        recording << protocol;
    h.recordingAdditional = TEdfText::headerField(recording.join(QLatin1Char(' ')).trimmed());

    h.start = stamp(r.property(QStringLiteral("recordingDateTime")));
    if (!h.start.isValid())
        h.start = stamp(r.studyDateTime());
    return h;
}

QVector<TEdfExport::Annotation> TEdfExport::annotations(const TStudy& study)
{
    QVector<Annotation> list;
    for (const TStudyEvent& e : study.record().events)
        list.append({std::max(0.0, e.position), e.duration, e.description});
    if (const TProtocol* executed = study.protocol()) {
        const int type = executed->type();
        for (int k = 0; k < executed->stageCount(); ++k) {
            QString name = TStageTable::stageName(*executed, type, k);
            // A phase without a name (the tilt of a tilt test) gives a bare number.
            if (TStageTable::phaseName(type, executed->stage(k).phase()).isEmpty())
                name = QCoreApplication::translate("TEdfExport", "Stage %1").arg(name);
            list.append({executed->stageStartTime(k), 0.0, name});
        }
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const Annotation& a, const Annotation& b) { return a.onset < b.onset; });
    return list;
}

QString TEdfExport::defaultFileName(const TStudy& study, bool anonymous)
{
    const QString base = study.record().baseFilename();
    if (anonymous || base.isEmpty())
        return QStringLiteral("study-%1.edf").arg(study.id());
    return base + QStringLiteral(".edf");
}

void TEdfExport::write(const TStudy& study, const QString& path, bool anonymous)
{
    const TSignalBuffer* recording = study.recording();
    if (!study.recordingAvailable())
        throw TException(QCoreApplication::translate("TEdfExport", "The recording of this study cannot be read"));
    const int channels = recording->channelCount();
    const int rate = recording->samplingRate();
    const int length = recording->length();
    if (channels <= 0 || rate <= 0 || length <= 0)
        throw TException(QCoreApplication::translate("TEdfExport", "The study has no recorded signal to export"));
    const double stepMicrovolts = recording->valueStep() * 1000.0;
    if (!(stepMicrovolts > 0.0) || !std::isfinite(stepMicrovolts))
        throw TException(QCoreApplication::translate("TEdfExport", "The recording of this study has no valid gain"));

    // One data record per second; the last one is filled up with each lead's
    // last value, and an annotation says where the recording ends.
    const int records = (length + rate - 1) / rate;
    const bool padded = records * rate != length;
    QVector<Annotation> notes = annotations(study);
    if (padded)
        notes.append({double(length) / rate, 0.0, QCoreApplication::translate("TEdfExport", "Recording ends")});
    // Each annotation signal holds one annotation per data record.
    const int annotationSignals = std::max(1, int((notes.size() + records - 1) / records));
    if (annotationSignals > 64)
        throw TException(QCoreApplication::translate("TEdfExport", "The study has more events than an EDF+ file of this length can hold"));

    // Written beside the target and put in its place once whole.
    const QFileInfo target(path);
    QTemporaryFile part(target.absoluteDir().filePath(QStringLiteral(".%1-XXXXXX").arg(target.fileName())));
    if (!target.absoluteDir().exists() || !part.open())
        throw TException(QCoreApplication::translate("TEdfExport", "Cannot create file %1").arg(QDir::toNativeSeparators(path)));
    const QString partPath = part.fileName();
    part.close();

    TEdfHandle edf(edfopen_file_writeonly(QFile::encodeName(partPath).constData(), EDFLIB_FILETYPE_EDFPLUS, channels));
    if (edf.get() < 0)
        throw TException(QCoreApplication::translate("TEdfExport", "Cannot create file %1").arg(QDir::toNativeSeparators(path)));
    const int h = edf.get();

    int digitalMin = 0, digitalMax = 0;
    codeRange(recording->resolution(), &digitalMin, &digitalMax);
    // The physical fields are 8 characters: microvolts while they fit, else millivolts.
    const bool micro = std::max(-digitalMin, digitalMax) * stepMicrovolts < 9999999.0 / 10.0;
    const double unitStep = micro ? stepMicrovolts : stepMicrovolts / 1000.0;
    bool ok = edf_set_datarecord_duration(h, 100000) == 0
              && edf_set_number_of_annotation_signals(h, annotationSignals) == 0;
    for (int c = 0; ok && c < channels; ++c) {
        QByteArray label = TEdfText::headerField(QString::fromLatin1(recording->channel(c)->name()));
        if (label.isEmpty())
            label = QByteArray::number(c + 1);
        ok = edf_set_samplefrequency(h, c, rate) == 0 && edf_set_digital_minimum(h, c, digitalMin) == 0
             && edf_set_digital_maximum(h, c, digitalMax) == 0
             && edf_set_physical_minimum(h, c, digitalMin * unitStep) == 0
             && edf_set_physical_maximum(h, c, digitalMax * unitStep) == 0
             && edf_set_physical_dimension(h, c, micro ? "uV" : "mV") == 0 && edf_set_label(h, c, label.constData()) == 0
             && edf_set_transducer(h, c, "ECG electrode") == 0;
    }
    const Header fields = header(study, anonymous);
    const QDateTime start = fields.start.isValid() ? fields.start : QDateTime(QDate(1985, 1, 1), QTime(0, 0));
    ok = ok
         && edf_set_startdatetime(h, std::clamp(start.date().year(), 1985, 2084), start.date().month(),
                                  start.date().day(), start.time().hour(), start.time().minute(),
                                  start.time().second())
                == 0
         && edf_set_patientcode(h, fields.patientCode.constData()) == 0
         && edf_set_patientname(h, fields.patientName.constData()) == 0
         && edf_set_patient_additional(h, fields.patientAdditional.constData()) == 0
         && edf_set_admincode(h, fields.adminCode.constData()) == 0
         && edf_set_technician(h, fields.technician.constData()) == 0
         && edf_set_equipment(h, fields.equipment.constData()) == 0
         && edf_set_recording_additional(h, fields.recordingAdditional.constData()) == 0;
    if (ok && fields.sex >= 0)
        ok = edf_set_gender(h, fields.sex) == 0;
    if (ok && fields.birthDate.isValid() && fields.birthDate.year() >= 1800 && fields.birthDate.year() <= 3000)
        ok = edf_set_birthdate(h, fields.birthDate.year(), fields.birthDate.month(), fields.birthDate.day()) == 0;
    if (!ok)
        throw TException(QCoreApplication::translate("TEdfExport", "Cannot write the EDF+ header of %1").arg(QDir::toNativeSeparators(path)));

    for (const Annotation& a : notes) {
        const QByteArray text = TEdfText::annotation(a.text, MaxAnnotationBytes);
        if (edfwrite_annotation_utf8(h, annotationUnits(a.onset), a.duration > 0.0 ? annotationUnits(a.duration) : -1,
                                     text.isEmpty() ? "-" : text.constData())
            != 0)
            throw TException(QCoreApplication::translate("TEdfExport", "Write error"));
    }

    std::vector<double> values(static_cast<size_t>(rate));
    std::vector<short> codes(static_cast<size_t>(rate));
    for (int record = 0; record < records; ++record) {
        const int first = record * rate;
        const int count = std::min(rate, length - first);
        for (int c = 0; c < channels; ++c) {
            recording->samples(c, first, count, values.data());
            for (int i = 0; i < count; ++i)
                codes[size_t(i)] = short(std::clamp(int(values[size_t(i)]), digitalMin, digitalMax));
            for (int i = count; i < rate; ++i)
                codes[size_t(i)] = count > 0 ? codes[size_t(count - 1)] : 0;
            if (edfwrite_digital_short_samples(h, codes.data()) != 0)
                throw TException(QCoreApplication::translate("TEdfExport", "Write error"));
        }
    }
    if (!edf.close())
        throw TException(QCoreApplication::translate("TEdfExport", "Write error"));

    // Put in place of the target in one step (rename replaces an existing file).
    // The temporary file was private to the user; the export is an ordinary file.
    QFile::setPermissions(partPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                        | QFileDevice::ReadOther);
    if (QFileInfo(path).isDir()
        || std::rename(QFile::encodeName(partPath).constData(), QFile::encodeName(path).constData()) != 0)
        throw TException(QCoreApplication::translate("TEdfExport", "Cannot replace file %1").arg(QDir::toNativeSeparators(path)));
    part.setAutoRemove(false);
}
