#include "TStageTable.h"

#include "TProtocol.h"
#include "TStudyResults.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QSettings>

#include <cmath>

namespace {

// A per-stage value; 0 where the array has no entry for the stage.
double perStage(const TStudyResults& results, const QString& name, int index)
{
    const TValueArray* values = results.valueArray(name);
    if (!values || index < 0 || index >= values->size())
        return 0.0;
    const double v = values->value(index);
    return std::isfinite(v) ? v : 0.0;
}

// "%.1f" without a minus sign on a value that rounds to zero.
QString oneDecimal(double value, const char* unit)
{
    const double shown = std::abs(value) < 0.05 ? 0.0 : value;
    return QString::asprintf("%.1f %s", shown, unit);
}

QString clock(double seconds)
{
    const int whole = seconds > 0.0 ? int(seconds) : 0;
    return QString::asprintf("%02d:%02d", whole / 60, whole % 60);
}

} // namespace

TStageTable::Load TStageTable::loadOf(int protocolType)
{
    switch (protocolType) {
    case TProtocol::Treadmill: return Load::SpeedIncline;
    case TProtocol::Ergometer: return Load::Workload;
    case TProtocol::Pharmacologic: return Load::Dose;
    default: return Load::None;
    }
}

QString TStageTable::phaseName(int protocolType, int phase)
{
    if (protocolType == TProtocol::TiltTest) {
        switch (phase) {
        case TProtocolStage::Rest: return QCoreApplication::translate("TStageTable", "Basal");
        case TProtocolStage::Recovery: return QCoreApplication::translate("TStageTable", "Control");
        default: return QString();
        }
    }
    switch (phase) {
    case TProtocolStage::Rest: return QCoreApplication::translate("TStageTable", "Rest");
    case TProtocolStage::Exercise: return QCoreApplication::translate("TStageTable", "Exercise");
    case TProtocolStage::Recovery: return QCoreApplication::translate("TStageTable", "Recovery");
    default: return QString();
    }
}

QString TStageTable::stageName(const TProtocol& executed, int protocolType, int index)
{
    if (index < 0 || index >= executed.stageCount())
        return QString();
    return QStringLiteral("%1 %2")
        .arg(phaseName(protocolType, executed.stage(index).phase()))
        .arg(numberInPhase(executed, index))
        .trimmed();
}

int TStageTable::numberInPhase(const TProtocol& executed, int index)
{
    if (index < 0 || index >= executed.stageCount())
        return 0;
    const int phase = executed.stage(index).phase();
    int number = 0;
    for (int i = 0; i <= index; ++i)
        number += executed.stage(i).phase() == phase ? 1 : 0;
    return number;
}

std::optional<double> TStageTable::readNumber(const QString& text, const QString& unit)
{
    QString t = text.trimmed();
    if (!unit.isEmpty() && t.endsWith(unit, Qt::CaseInsensitive))
        t = t.left(t.size() - unit.size()).trimmed();
    // QString::toDouble would also take "1e3", "inf" or "nan".
    static const QRegularExpression plain(QStringLiteral("^[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)$"));
    if (!plain.match(t).hasMatch())
        return std::nullopt;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

int TStageTable::findStLead(const QStringList& leadNames)
{
    for (const char* name : {"V5", "V6", "V4", "II", "I"}) {
        const int i = leadNames.indexOf(QLatin1String(name));
        if (i >= 0)
            return i;
    }
    return leadNames.isEmpty() ? -1 : 0;
}

QString TStageTable::workloadUnitFromSettings()
{
    return QSettings().value(QStringLiteral("Config/ErgometerWorkloadUnits"), QString()).toString() ==
                   QLatin1String("watts")
               ? QStringLiteral("watts")
               : QStringLiteral("kgm/min");
}

TStageTable::TStageTable(const TProtocol& executed, int protocolType, const TStudyResults& results,
                         const QStringList& leadNames, const QString& workloadUnit, int stLead)
    : m_protocolType(protocolType), m_load(loadOf(protocolType)), m_workloadUnit(workloadUnit),
      m_stLead(stLead == FindStLead                           ? findStLead(leadNames)
               : stLead >= 0 && stLead < leadNames.size() ? stLead
               : leadNames.isEmpty()                      ? -1
                                                          : 0),
      m_stLeadName(leadNames.value(m_stLead))
{
    for (int k = 0; k < executed.stageCount(); ++k)
        m_stages.append(stageOf(executed, results, k));
}

QStringList TStageTable::headers() const
{
    QStringList h = {QCoreApplication::translate("TStageTable", "Stage"),
                     QCoreApplication::translate("TStageTable", "Duration")};
    switch (m_load) {
    case Load::SpeedIncline:
        h << QCoreApplication::translate("TStageTable", "Speed")
          << QCoreApplication::translate("TStageTable", "Incline");
        break;
    case Load::Workload: h << QCoreApplication::translate("TStageTable", "Workload"); break;
    case Load::Dose: h << QCoreApplication::translate("TStageTable", "Dose"); break;
    case Load::None: break;
    }
    h << QStringLiteral("METS") << QCoreApplication::translate("TStageTable", "HR")
      << QCoreApplication::translate("TStageTable", "SBP/DBP") << QStringLiteral("DP")
      << (m_stLeadName.isEmpty() ? QStringLiteral("ST") : QStringLiteral("ST [%1]").arg(m_stLeadName))
      << (m_stLeadName.isEmpty() ? QStringLiteral("\u2206ST") : QStringLiteral("\u2206ST [%1]").arg(m_stLeadName));
    return h;
}

TStageTable::Stage TStageTable::stageOf(const TProtocol& executed, const TStudyResults& results, int k) const
{
    const TProtocolStage& stage = executed.stage(k);
    Stage out;
    out.name = stageName(executed, m_protocolType, k);
    out.seconds = stage.duration();
    out.speed = stage.value(QStringLiteral("speed"));
    out.incline = stage.value(QStringLiteral("incline"));
    out.workload = stage.value(QStringLiteral("workload"), m_workloadUnit);
    out.dose = stage.value(QStringLiteral("dose"));
    out.mets = perStage(results, QStringLiteral("METSPerStage"), k);
    out.heartRate = int(perStage(results, QStringLiteral("BPMPerStage"), k));
    out.systolic = int(perStage(results, QStringLiteral("sysBPPerStage"), k));
    out.diastolic = int(perStage(results, QStringLiteral("diaBPPerStage"), k));
    out.doubleProduct = int(perStage(results, QStringLiteral("DPPerStage"), k));
    // Millivolts shown in millimetres at 10 mm/mV.
    if (m_stLead >= 0) {
        out.stLevelMm = 10.0 * perStage(results, TStudyResults::stLevelPerStageName(m_stLead), k);
        out.stSlopeMmPerSecond = 10.0 * perStage(results, TStudyResults::stSlopePerStageName(m_stLead), k);
    }
    return out;
}

QStringList TStageTable::row(int index) const
{
    if (index < 0 || index >= m_stages.size())
        return QStringList();
    const Stage& s = m_stages[index];
    QStringList row = {s.name, clock(s.seconds)};
    switch (m_load) {
    case Load::SpeedIncline:
        row << QString::asprintf("%.1f km/h", s.speed) << QString::asprintf("%.1f %%", s.incline);
        break;
    case Load::Workload:
        row << QStringLiteral("%1 %2").arg(QString::asprintf("%.1f", s.workload), m_workloadUnit);
        break;
    case Load::Dose: row << QString::asprintf("%.0f", s.dose); break;
    case Load::None: break;
    }
    row << (s.mets > 0.0 ? QString::asprintf("%.1f", s.mets) : QString()) << QString::number(s.heartRate)
        << QStringLiteral("%1/%2").arg(s.systolic).arg(s.diastolic) << QString::number(s.doubleProduct)
        << oneDecimal(s.stLevelMm, "mm") << oneDecimal(s.stSlopeMmPerSecond, "mm/s");
    return row;
}
