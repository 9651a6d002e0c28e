#include "TStudyRecord.h"

#include "TTrainingZones.h"

#include "TException.h"

#include <QJsonArray>
#include <QJsonValue>

#include <cmath>
#include <exception>
#include <random>

const QString TStudyRecord::PatientPrefix = QStringLiteral("patient/");

namespace {

const QString idKey = QStringLiteral("id");
const QString riskFactorsKey = QStringLiteral("riskFactors");

QString stringMember(const QJsonObject& o, const QString& key)
{
    return o.value(key).toString();
}

// An integer that fits the id; anything else is "not saved".
int idFrom(const QJsonValue& v)
{
    if (!v.isDouble())
        return 0;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::trunc(d) || d < -2147483648.0 || d > 2147483647.0)
        return 0;
    return int(d);
}

double numberFrom(const QJsonValue& v)
{
    return v.isDouble() ? v.toDouble() : 0.0;
}

// JSON has no NaN or infinity.
QJsonValue jsonNumber(double v)
{
    return QJsonValue(std::isfinite(v) ? v : 0.0);
}

QString fileNameSafe(const QString& part)
{
    QString out = part;
    for (QChar& c : out) {
        const ushort u = c.unicode();
        if (u < 0x20 || u == 0x7f || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    return out;
}

} // namespace

QStringList TStudyRecord::studyKeys()
{
    QStringList keys{idKey};
    for (const auto& f : TStudyInfo::studyFields())
        keys.append(f.first);
    return keys;
}

QStringList TStudyRecord::patientKeys()
{
    QStringList keys;
    for (const auto& f : TStudyInfo::patientFields())
        keys.append(f.first);
    return keys;
}

QJsonObject TStudyRecord::studyObject(const TStudyRecord& record)
{
    QJsonObject study;
    study.insert(idKey, record.id);
    for (const auto& f : TStudyInfo::studyFields())
        study.insert(f.first, record.property(f.first));
    return study;
}

QJsonObject TStudyRecord::patientObject(const TStudyRecord& record)
{
    QJsonObject patient;
    for (const auto& f : TStudyInfo::patientFields())
        patient.insert(f.first, record.patientProperty(f.first));
    QJsonArray risks;
    for (const TRiskFactor& r : record.riskFactors) {
        QJsonObject o;
        o.insert(QStringLiteral("name"), r.name);
        o.insert(QStringLiteral("status"), r.status);
        o.insert(QStringLiteral("comment"), r.comment);
        risks.append(o);
    }
    patient.insert(riskFactorsKey, risks);
    return patient;
}

QJsonObject TStudyRecord::toJson(const TStudyRecord& record)
{
    QJsonObject root = toJsonWithoutResults(record);
    root.insert(QStringLiteral("results"), TStudyResults::toJson(record.results));
    return root;
}

QJsonObject TStudyRecord::toJsonWithoutResults(const TStudyRecord& record)
{
    QJsonObject root;
    root.insert(QStringLiteral("study"), studyObject(record));
    root.insert(QStringLiteral("patient"), patientObject(record));
    QJsonArray events;
    for (const TStudyEvent& e : record.events) {
        QJsonObject o;
        o.insert(QStringLiteral("description"), e.description);
        o.insert(QStringLiteral("position"), jsonNumber(e.position));
        o.insert(QStringLiteral("duration"), jsonNumber(e.duration));
        o.insert(QStringLiteral("print"), e.print);
        events.append(o);
    }
    root.insert(QStringLiteral("events"), events);
    if (record.protocol)
        root.insert(QStringLiteral("protocol"), TProtocol::toJson(*record.protocol));
    if (record.echoScoring)
        root.insert(QStringLiteral("echoScoring"), TEchoScoring::toJson(*record.echoScoring));
    return root;
}

TStudyRecord TStudyRecord::fromJson(const QJsonObject& object)
{
    TStudyRecord record;
    const QJsonObject study = object.value(QStringLiteral("study")).toObject();
    const QJsonObject patient = object.value(QStringLiteral("patient")).toObject();
    record.id = idFrom(study.value(idKey));
    for (const auto& f : TStudyInfo::studyFields())
        record.setProperty(f.first, stringMember(study, f.first));
    for (const auto& f : TStudyInfo::patientFields())
        record.setPatientProperty(f.first, stringMember(patient, f.first));

    for (const QJsonValue& v : patient.value(riskFactorsKey).toArray()) {
        if (!v.isObject())
            continue;
        const QJsonObject o = v.toObject();
        TRiskFactor r;
        r.name = stringMember(o, QStringLiteral("name"));
        r.status = o.value(QStringLiteral("status")).toBool();
        r.comment = stringMember(o, QStringLiteral("comment"));
        record.riskFactors.append(r);
    }
    for (const QJsonValue& v : object.value(QStringLiteral("events")).toArray()) {
        if (!v.isObject())
            continue;
        const QJsonObject o = v.toObject();
        TStudyEvent e;
        e.description = stringMember(o, QStringLiteral("description"));
        e.position = numberFrom(o.value(QStringLiteral("position")));
        e.duration = numberFrom(o.value(QStringLiteral("duration")));
        e.print = o.value(QStringLiteral("print")).toBool();
        record.events.append(e);
    }
    record.results = TStudyResults::fromJson(object.value(QStringLiteral("results")).toObject());
    const QJsonValue protocol = object.value(QStringLiteral("protocol"));
    if (protocol.isObject())
        record.protocol = TProtocol::fromJson(protocol.toObject());
    const QJsonValue echo = object.value(QStringLiteral("echoScoring"));
    if (echo.isObject())
        record.echoScoring = TEchoScoring::fromJson(echo.toObject());
    return record;
}

TStudyInfo TStudyRecord::toInfo(const TStudyRecord& record)
{
    TStudyInfo info;
    info.id = record.id;
    for (const auto& f : TStudyInfo::studyFields())
        info.*f.second = record.property(f.first);
    for (const auto& f : TStudyInfo::patientFields())
        info.*f.second = record.patientProperty(f.first);
    info.events = record.events;
    info.results = record.results;
    info.riskFactors = record.riskFactors;
    info.protocol = record.protocol;
    info.echoScoring = record.echoScoring;
    info.acquisition = record.acquisition;
    return info;
}

TStudyRecord TStudyRecord::fromInfo(const TStudyInfo& info)
{
    TStudyRecord record;
    record.id = info.id;
    for (const auto& f : TStudyInfo::studyFields())
        record.setProperty(f.first, info.*f.second);
    for (const auto& f : TStudyInfo::patientFields())
        record.setPatientProperty(f.first, info.*f.second);
    record.events = info.events;
    record.results = info.results;
    record.riskFactors = info.riskFactors;
    record.protocol = info.protocol;
    record.echoScoring = info.echoScoring;
    record.acquisition = info.acquisition;
    return record;
}

TStudySummary TStudyRecord::summary() const
{
    TStudySummary s;
    s.id = id;
    s.baseFilename = property(QStringLiteral("baseFilename"));
    s.status = property(QStringLiteral("status"));
    s.studyType = property(QStringLiteral("studyType"));
    s.studyDateTime = property(QStringLiteral("studyDateTime"));
    s.patientFirstName = patientProperty(QStringLiteral("firstName"));
    s.patientLastName = patientProperty(QStringLiteral("lastName"));
    s.patientAnimalSpecies = patientProperty(QStringLiteral("animalSpecies"));
    s.patientAnimalBreed = patientProperty(QStringLiteral("animalBreed"));
    return s;
}

QString TStudyRecord::makeBaseFilename(const TStudyRecord& record)
{
    QString joined;
    for (const char* key : {"medicalHistoryNumber", "personIdNumber", "lastName", "firstName"}) {
        const QString part = record.patientProperty(QString::fromLatin1(key));
        if (!part.isEmpty())
            joined += fileNameSafe(part) + QLatin1Char('-');
    }
    joined += fileNameSafe(record.studyDateTime());
    // The store refuses base names with ".." (they could climb out of the
    // folder) and a leading "." hides the files: a dot at the start or right
    // after another one becomes "_", so every name made here can be opened,
    // exported and deleted again.
    QString name;
    name.reserve(joined.size());
    for (const QChar c : joined)
        name += c == QLatin1Char('.') && (name.isEmpty() || name.endsWith(QLatin1Char('.'))) ? QLatin1Char('_') : c;
    return name;
}

int TStudyRecord::drawId(const std::function<bool(int)>& taken)
{
    constexpr int maxDraws = 1000;
    try {
        std::random_device source;
        std::uniform_int_distribution<int> ids(1, MaxId);
        for (int i = 0; i < maxDraws; ++i) {
            const int id = ids(source);
            if (!taken || !taken(id))
                return id;
        }
    } catch (const TException&) {
        throw;
    } catch (const std::exception&) {
        throw TException("No random source available for a study id");
    }
    throw TException("Cannot find a free study id");
}

namespace {

TStudyInfo quickInfo(TStudyRecord::StudyKind kind, const TQuickPatient& patient, const QString& protocolName)
{
    TStudyInfo info;
    info.studyType = kind == TStudyRecord::StressTest ? QStringLiteral("Stress test") : QStringLiteral("ECG");
    info.lastName = patient.lastName;
    info.firstName = patient.firstName;
    info.age = patient.age;
    info.birthDate = patient.birthDate;
    info.sex = patient.sex;
    info.medicalHistoryNumber = patient.patientId;
    info.personIdNumber = patient.personId;
    if (kind == TStudyRecord::StressTest) {
        info.protocolName = protocolName;
        if (protocolName == QLatin1String("Tilt test"))
            info.studyType = QStringLiteral("Tilt test");
    }
    return info;
}

} // namespace

TStudyRecord TStudyRecord::unstartedStudy(StudyKind kind, const TQuickPatient& patient, const QString& protocolName)
{
    return fromInfo(quickInfo(kind, patient, protocolName));
}

TStudyRecord TStudyRecord::newStudy(StudyKind kind, const TQuickPatient& patient,
                                    const QString& protocolName, const QDateTime& now)
{
    TStudyInfo info = quickInfo(kind, patient, protocolName);
    info.studyDateTime = now.toString(QStringLiteral("yyyyMMddHHmmss"));
    if (kind == StressTest) {
        const TTrainingZones zones = TTrainingZones::of(patient.age, patient.sex == QLatin1String("M"));
        info.trainingZoneMax = QString::number(zones.maximum);
        info.trainingZoneSubMax = QString::number(zones.subMaximal);
    }
    return fromInfo(info);
}

bool TStudyRecord::operator==(const TStudyRecord& o) const
{
    return id == o.id && properties == o.properties && events == o.events && results == o.results
           && riskFactors == o.riskFactors && protocol == o.protocol && echoScoring == o.echoScoring
           && acquisition == o.acquisition;
}
