#include "TReportStages.h"

#include "TProtocol.h"
#include "TStudyResults.h"

#include <QCoreApplication>
#include <QStringList>

#include <cmath>

namespace {

const QStringList& columns()
{
    static const QStringList names = {QStringLiteral("name"),    QStringLiteral("duration"), QStringLiteral("props"),
                                      QStringLiteral("HR"),      QStringLiteral("BP"),       QStringLiteral("DP"),
                                      QStringLiteral("METS"),    QStringLiteral("STLevel"),  QStringLiteral("STSlope"),
                                      QStringLiteral("tiltElapsed")};
    return names;
}

// A stored value that is not a number, or no number a study can hold (a
// damaged file), reads as none.
double orZero(double v)
{
    return std::isfinite(v) && std::abs(v) < 1e9 ? v : 0.0;
}

// One decimal and a unit, never "-0.0".
QString oneDecimal(double v, const char* unit)
{
    v = std::round(v * 10.0) / 10.0;
    return QStringLiteral("%1 %2").arg(QString::number(v == 0.0 ? 0.0 : v, 'f', 1), QLatin1String(unit));
}

} // namespace

TReportStages::TReportStages(const TProtocol* executed, const TStudyResults& results, int stLead,
                             const QString& workloadUnit, bool expectedDuration)
    : m_executed(executed), m_results(results), m_type(executed ? executed->type() : TProtocol::Ecg),
      m_stLead(stLead), m_workloadUnit(workloadUnit), m_expected(expectedDuration)
{
}

int TReportStages::count() const
{
    return m_executed ? m_executed->stageCount() : 0;
}

bool TReportStages::isColumn(const QString& column)
{
    return columns().contains(column);
}

int TReportStages::whole(double value)
{
    return std::isfinite(value) && std::abs(value) < 1e9 ? int(std::trunc(value)) : 0;
}

QString TReportStages::clock(double seconds)
{
    const int s = seconds > 0.0 ? whole(std::floor(seconds + 1e-6)) : 0;
    return QString::asprintf("%02d:%02d", s / 60, s % 60);
}

QString TReportStages::minutes(double seconds)
{
    const double tenths = std::isfinite(seconds) && seconds > 0.0 ? std::round(seconds / 6.0) : 0.0;
    return QCoreApplication::translate("TReportStages", "%1 min.")
        .arg(QString::number(tenths / 10.0, 'f', std::fmod(tenths, 10.0) == 0.0 ? 0 : 1));
}

QString TReportStages::propsLabel() const
{
    switch (load()) {
    case Load::SpeedIncline: return QCoreApplication::translate("TReportStages", "Speed / Incline");
    case Load::Workload: return QCoreApplication::translate("TReportStages", "Workload");
    case Load::Dose: return QCoreApplication::translate("TReportStages", "Dose");
    case Load::None: break;
    }
    return QString();
}

int TReportStages::stageAt(double seconds) const
{
    if (count() == 0 || !(seconds >= 0.0))
        return -1;
    const int k = m_executed->stageAt(seconds);
    return k >= 0 ? k : count() - 1;
}

QString TReportStages::stageName(int index) const
{
    if (index < 0 || index >= count())
        return QString();
    // The pharmacologic test's exercise stages are its doses.
    if (m_type == TProtocol::Pharmacologic && m_executed->stage(index).phase() == TProtocolStage::Exercise)
        return QCoreApplication::translate("TReportStages", "Dose %1")
            .arg(TStageTable::numberInPhase(*m_executed, index));
    return TStageTable::stageName(*m_executed, m_type, index);
}

double TReportStages::perStage(const QString& name, int index) const
{
    const TValueArray* values = m_results.valueArray(name);
    return values ? orZero(values->value(index)) : 0.0;
}

QString TReportStages::value(const QString& column, int index) const
{
    if (index < 0 || index >= count())
        return QString();
    const TProtocolStage& stage = m_executed->stage(index);
    if (column == QLatin1String("name"))
        return stageName(index);
    if (column == QLatin1String("duration"))
        return m_expected ? minutes(stage.duration()) : clock(stage.duration());
    if (column == QLatin1String("props")) {
        switch (load()) {
        case Load::SpeedIncline:
            return QString::asprintf("%.1f km/h / %.1f %%", orZero(stage.value(QStringLiteral("speed"))),
                                     orZero(stage.value(QStringLiteral("incline"))));
        case Load::Workload:
            return QStringLiteral("%1 %2").arg(
                QString::asprintf("%.1f", orZero(stage.value(QStringLiteral("workload"), m_workloadUnit))),
                m_workloadUnit);
        case Load::Dose: return QString::number(orZero(stage.value(QStringLiteral("dose"))), 'g', 6);
        case Load::None: return QString();
        }
    }
    if (column == QLatin1String("HR"))
        return QString::number(whole(perStage(QStringLiteral("BPMPerStage"), index)));
    if (column == QLatin1String("BP")) {
        const int systolic = whole(perStage(QStringLiteral("sysBPPerStage"), index));
        const int diastolic = whole(perStage(QStringLiteral("diaBPPerStage"), index));
        // A stage without a reading says so, rather than "0/0".
        if (systolic == 0 && diastolic == 0)
            return QStringLiteral("--");
        return QStringLiteral("%1/%2").arg(systolic).arg(diastolic);
    }
    if (column == QLatin1String("DP")) {
        const int dp = whole(perStage(QStringLiteral("DPPerStage"), index));
        return dp > 0 ? QString::number(dp) : QStringLiteral("--");
    }
    if (column == QLatin1String("METS")) {
        const double mets = perStage(QStringLiteral("METSPerStage"), index);
        return mets > 0.0 ? QString::asprintf("%.1f", mets) : QString();
    }
    // Millivolts printed as millimetres at 10 mm/mV.
    if (column == QLatin1String("STLevel"))
        return m_stLead < 0 ? QString()
                            : oneDecimal(10.0 * perStage(TStudyResults::stLevelPerStageName(m_stLead), index), "mm");
    if (column == QLatin1String("STSlope"))
        return m_stLead < 0 ? QString()
                            : oneDecimal(10.0 * perStage(TStudyResults::stSlopePerStageName(m_stLead), index), "mm/s");
    if (column == QLatin1String("tiltElapsed")) {
        // From the start of the stage's phase to the stage's end: the time on
        // the table (basal) or tilted (control).
        int first = index;
        while (first > 0 && m_executed->stage(first - 1).phase() == stage.phase())
            --first;
        return clock(m_executed->stageEndTime(index) - m_executed->stageStartTime(first));
    }
    return QString();
}
