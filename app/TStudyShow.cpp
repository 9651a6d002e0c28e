#include "TStudyShow.h"

#include "TMeasurementNorms.h"
#include "TReportMeasurements.h"
#include "TStageTable.h"
#include "TTreadmillIndices.h"
#include "TStudy.h"

#include <QDateTime>
#include <QJsonArray>

#include <cmath>

namespace {

const char* const MaximumKeys[] = {"maxBPM", "maxSysBP", "maxDiaBP", "maxDP", "maxMETS"};

QStringList leadNames(const TStudy& study)
{
    QStringList names;
    if (const TSignalBuffer* recording = study.recording())
        for (int i = 0; i < recording->channelCount(); ++i)
            names.append(QString::fromUtf8(recording->channel(i)->name()));
    return names;
}

double result(const TStudy& study, const char* key)
{
    const double* v = study.results().value(QLatin1String(key));
    return v && std::isfinite(*v) ? *v : 0.0;
}

// The executed protocol's table; its type is that of the protocol run.
TStageTable table(const TStudy& study)
{
    const TProtocol none;
    const TProtocol& executed = study.record().protocol ? *study.record().protocol : none;
    return TStageTable(executed, executed.type(), study.results(), leadNames(study),
                       TStageTable::workloadUnitFromSettings());
}

QString shownTime(const QString& stamp)
{
    const QDateTime t = QDateTime::fromString(stamp, QStringLiteral("yyyyMMddHHmmss"));
    return t.isValid() ? t.toString(QStringLiteral("d/M/yyyy HH:mm:ss")) : stamp;
}

// The measured lead's name, when the study holds a measurement.
QString measuredLead(const TStudy& study)
{
    const std::optional<int> lead = TReportMeasurements(study.results()).lead();
    const TSignalBuffer* recording = study.recording();
    if (!lead || !recording || *lead >= recording->channelCount())
        return QString();
    return QString::fromUtf8(recording->channel(*lead)->name());
}

bool measured(const TStudy& study)
{
    return TReportMeasurements(study.results()).lead().has_value();
}

QJsonValue number(const std::optional<double>& v)
{
    return v ? QJsonValue(*v) : QJsonValue();
}

QJsonObject measurementsJson(const TStudy& study)
{
    const TMeasurementNorms norms(study.record(), study.results(), measuredLead(study));
    QJsonObject o;
    o.insert(QStringLiteral("lead"), norms.leadName());
    o.insert(QStringLiteral("rangeLead"), QLatin1String(TMeasurementNorms::RangeLead));
    o.insert(QStringLiteral("species"), norms.assessment().knowsSpecies() ? QJsonValue(norms.assessment().speciesId())
                                                                           : QJsonValue());
    o.insert(QStringLiteral("rangesFor"), norms.basisText());
    QJsonObject values;
    for (const TMeasurementNorms::Item& item : norms.items()) {
        QJsonObject v;
        v.insert(QStringLiteral("value"), number(item.value));
        v.insert(QStringLiteral("unit"), item.unit);
        if (item.range) {
            QJsonObject range;
            range.insert(QStringLiteral("low"), number(item.range->low));
            range.insert(QStringLiteral("high"), number(item.range->high));
            range.insert(QStringLiteral("source"), TSpeciesTable::active().source(item.range->source));
            v.insert(QStringLiteral("range"), range);
        } else {
            v.insert(QStringLiteral("range"), QJsonValue());
        }
        const QString flag = TNormAssessment::flagWord(item.flag);
        v.insert(QStringLiteral("flag"), flag.isEmpty() ? QJsonValue() : QJsonValue(flag));
        if (item.key == QLatin1String("QTc"))
            v.insert(QStringLiteral("formula"), norms.formula().name());
        values.insert(item.key, v);
    }
    o.insert(QStringLiteral("values"), values);
    return o;
}

QString measurementsText(const TStudy& study)
{
    const TMeasurementNorms norms(study.record(), study.results(), measuredLead(study));
    QStringList lines;
    lines << QStringLiteral("Measurements (lead %1): %2").arg(norms.leadName(), norms.basisText());
    for (const TMeasurementNorms::Item& item : norms.items()) {
        if (!item.value)
            continue;
        QString line = QStringLiteral("  %1\t%2 %3").arg(item.label, TMeasurementNorms::valueText(item), item.unit);
        const QString range = TMeasurementNorms::rangeText(item);
        if (!range.isEmpty())
            line += QStringLiteral("\t%1\t%2").arg(range, TNormAssessment::flagWord(item.flag));
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

namespace TStudyShow {

QString text(const TStudy& study)
{
    const TStudyRecord& r = study.record();
    QStringList lines;
    lines << QStringLiteral("Study %1: %2, %3").arg(study.id()).arg(r.property(QStringLiteral("studyType")),
                                                                    shownTime(r.studyDateTime()));
    lines << QStringLiteral("Patient: %1, %2").arg(r.patientProperty(QStringLiteral("lastName")),
                                                   r.patientProperty(QStringLiteral("firstName")));
    for (const char* key : {"animalSpecies", "animalBreed", "age", "sex", "weight"}) {
        const QString value = r.patientProperty(QLatin1String(key));
        if (!value.isEmpty())
            lines << QStringLiteral("  %1: %2").arg(QLatin1String(key), value);
    }
    if (measured(study))
        lines << measurementsText(study);
    if (!r.protocol) {
        lines << QStringLiteral("Protocol: none");
        return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    lines << QStringLiteral("Protocol: %1 (%2)")
                 .arg(QString::fromUtf8(r.protocol->name()), TProtocol::typeWord(r.protocol->type()));
    const TStageTable stages = table(study);
    lines << stages.headers().join(QLatin1Char('\t'));
    for (int k = 0; k < stages.rowCount(); ++k)
        lines << stages.row(k).join(QLatin1Char('\t'));
    lines << QStringLiteral("Maximum HR %1, SBP %2, DBP %3, DP %4, METS %5")
                 .arg(int(result(study, "maxBPM")))
                 .arg(int(result(study, "maxSysBP")))
                 .arg(int(result(study, "maxDiaBP")))
                 .arg(int(result(study, "maxDP")))
                 .arg(QString::asprintf("%.1f", result(study, "maxMETS")));
    if (r.protocol->type() == 0) {
        const TTreadmillIndices f = TTreadmillIndices::of(*r.protocol, study.results());
        lines << f.summary();
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QJsonObject json(const TStudy& study)
{
    const TStudyRecord& r = study.record();
    QJsonObject o;
    o.insert(QStringLiteral("id"), study.id());
    o.insert(QStringLiteral("studyType"), r.property(QStringLiteral("studyType")));
    o.insert(QStringLiteral("studyDateTime"), r.studyDateTime());
    QJsonObject patient;
    for (const QString& key : TStudyRecord::patientKeys())
        patient.insert(key, r.patientProperty(key));
    o.insert(QStringLiteral("patient"), patient);
    o.insert(QStringLiteral("leads"), QJsonArray::fromStringList(leadNames(study)));
    if (measured(study))
        o.insert(QStringLiteral("measurements"), measurementsJson(study));
    if (!r.protocol) {
        o.insert(QStringLiteral("protocol"), QJsonValue());
        return o;
    }
    const TStageTable stages = table(study);
    QJsonObject protocol;
    protocol.insert(QStringLiteral("name"), QString::fromUtf8(r.protocol->name()));
    protocol.insert(QStringLiteral("type"), TProtocol::typeWord(r.protocol->type()));
    o.insert(QStringLiteral("protocol"), protocol);
    o.insert(QStringLiteral("stLead"), stages.stLeadName());
    o.insert(QStringLiteral("workloadUnit"), stages.workloadUnit());
    QJsonArray rows;
    for (const TStageTable::Stage& s : stages.stages()) {
        QJsonObject row;
        row.insert(QStringLiteral("stage"), s.name);
        row.insert(QStringLiteral("seconds"), s.seconds);
        switch (stages.load()) {
        case TStageTable::Load::SpeedIncline:
            row.insert(QStringLiteral("speed"), s.speed);
            row.insert(QStringLiteral("incline"), s.incline);
            break;
        case TStageTable::Load::Workload: row.insert(QStringLiteral("workload"), s.workload); break;
        case TStageTable::Load::Dose: row.insert(QStringLiteral("dose"), s.dose); break;
        case TStageTable::Load::None: break;
        }
        row.insert(QStringLiteral("mets"), s.mets);
        row.insert(QStringLiteral("hr"), s.heartRate);
        row.insert(QStringLiteral("systolic"), s.systolic);
        row.insert(QStringLiteral("diastolic"), s.diastolic);
        row.insert(QStringLiteral("dp"), s.doubleProduct);
        row.insert(QStringLiteral("stLevelMm"), s.stLevelMm);
        row.insert(QStringLiteral("stSlopeMmPerSecond"), s.stSlopeMmPerSecond);
        rows.append(row);
    }
    o.insert(QStringLiteral("stages"), rows);
    QJsonObject maxima;
    for (const char* key : MaximumKeys)
        maxima.insert(QLatin1String(key), result(study, key));
    o.insert(QStringLiteral("maxima"), maxima);
    if (r.protocol->type() == 0) {
        const TTreadmillIndices f = TTreadmillIndices::of(*r.protocol, study.results());
        QJsonObject fitness;
        fitness.insert(QStringLiteral("speedUnit"), QStringLiteral("km/h"));
        fitness.insert(QStringLiteral("V150"), number(f.v150));
        fitness.insert(QStringLiteral("V200"), number(f.v200));
        fitness.insert(QStringLiteral("endExerciseHR"), number(f.endHeartRate));
        fitness.insert(QStringLiteral("recovery1HR"), number(f.recovery1HeartRate));
        fitness.insert(QStringLiteral("recovery1Drop"), number(f.recovery1Drop()));
        fitness.insert(QStringLiteral("recovery5HR"), number(f.recovery5HeartRate));
        fitness.insert(QStringLiteral("recovery5Drop"), number(f.recovery5Drop()));
        o.insert(QStringLiteral("fitness"), fitness);
    }
    return o;
}

} // namespace TStudyShow
