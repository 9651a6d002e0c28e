#include "TStageEditor.h"

#include "TMets.h"
#include "TProtocol.h"
#include "TStageTable.h"
#include "TStudyResults.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

const QString DoseKey = QStringLiteral("dose");
const QString MetsArray = QStringLiteral("METSPerStage");
const QString HeartRateArray = QStringLiteral("BPMPerStage");
const QString SystolicArray = QStringLiteral("sysBPPerStage");
const QString DiastolicArray = QStringLiteral("diaBPPerStage");
const QString DoubleProductArray = QStringLiteral("DPPerStage");

bool within(double value, double low, double high)
{
    return std::isfinite(value) && value >= low && value <= high;
}

} // namespace

QVector<TStageEditor::Column> TStageEditor::columns(int protocolType)
{
    QVector<Column> c = {Column::Stage, Column::Duration};
    switch (protocolType) {
    case TProtocol::Treadmill: c << Column::Speed << Column::Incline; break;
    case TProtocol::Ergometer: c << Column::Workload; break;
    case TProtocol::Pharmacologic: c << Column::Dose; break;
    default: break;
    }
    c << Column::Mets << Column::HeartRate << Column::BloodPressure << Column::DoubleProduct << Column::StLevel
      << Column::StSlope;
    return c;
}

bool TStageEditor::isEditable(Column column)
{
    return column != Column::Stage && column != Column::Duration && column != Column::DoubleProduct;
}

std::optional<double> TStageEditor::number(const QString& text, const QString& unit)
{
    return TStageTable::readNumber(text, unit);
}

std::optional<std::pair<int, int>> TStageEditor::bloodPressure(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,3})\\s*/\\s*(\\d{1,3})\\s*$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int systolic = m.captured(1).toInt();
    const int diastolic = m.captured(2).toInt();
    if (systolic < MinSystolic || systolic > MaxSystolic || diastolic < MinDiastolic || diastolic > MaxDiastolic
        || systolic <= diastolic)
        return std::nullopt;
    return std::make_pair(systolic, diastolic);
}

TStageEditor::TStageEditor(TProtocol& executed, TStudyResults& results, int protocolType, double weightKg,
                           const QString& workloadUnit, int stLead)
    : m_executed(executed), m_results(results), m_protocolType(protocolType), m_weightKg(weightKg),
      m_workloadUnit(workloadUnit), m_stLead(stLead)
{
}

double TStageEditor::perStage(const QString& name, int stage) const
{
    const TValueArray* values = m_results.valueArray(name);
    const double v = values ? values->value(stage) : 0.0;
    return std::isfinite(v) ? v : 0.0;
}

void TStageEditor::setPerStage(const QString& name, int stage, double value)
{
    if (TValueArray* values = m_results.valueArray(name))
        values->setValue(stage, value);
}

bool TStageEditor::apply(int stage, Column column, const QString& text)
{
    if (stage < 0 || stage >= m_executed.stageCount() || !isEditable(column))
        return false;
    const auto typed = [&text](const QString& unit, double low, double high) -> std::optional<double> {
        const std::optional<double> v = number(text, unit);
        return v && within(*v, low, high) ? v : std::nullopt;
    };
    switch (column) {
    case Column::Speed:
        if (const auto v = typed(QStringLiteral("km/h"), 0.0, MaxSpeedKmh))
            return setLoad(stage, "speed", *v, QString());
        return false;
    case Column::Incline:
        if (const auto v = typed(QStringLiteral("%"), MinInclinePercent, MaxInclinePercent))
            return setLoad(stage, "incline", *v, QString());
        return false;
    case Column::Workload:
        if (const auto v = typed(m_workloadUnit, 0.0, MaxWorkload))
            return setLoad(stage, "workload", *v, m_workloadUnit);
        return false;
    case Column::Dose:
        if (const auto v = typed(QString(), 0.0, MaxDose)) {
            m_executed.stage(stage).setValue(DoseKey, *v);
            return true;
        }
        return false;
    case Column::Mets:
        if (const auto v = typed(QString(), 0.0, MaxMets)) {
            setPerStage(MetsArray, stage, *v);
            m_results.updateMaxima();
            return true;
        }
        return false;
    case Column::HeartRate:
        if (const auto v = typed(QString(), 0.0, MaxHeartRate)) {
            setPerStage(HeartRateArray, stage, double(std::lround(*v)));
            if (perStage(SystolicArray, stage) > 0.0) {
                updateDoubleProduct(stage);
                if (TTrend* dp = m_results.trend(QStringLiteral("DPTrend")))
                    setStagePoint(*dp, m_executed.stageEndTime(stage), perStage(DoubleProductArray, stage));
            }
            m_results.updateMaxima();
            return true;
        }
        return false;
    case Column::BloodPressure:
        if (const auto bp = bloodPressure(text)) {
            setPerStage(SystolicArray, stage, bp->first);
            setPerStage(DiastolicArray, stage, bp->second);
            if (perStage(HeartRateArray, stage) > 0.0)
                updateDoubleProduct(stage);
            followPressures(stage);
            m_results.updateMaxima();
            return true;
        }
        return false;
    case Column::StLevel:
        if (const auto v = typed(QStringLiteral("mm"), -MaxStMm, MaxStMm)) {
            setPerStage(TStudyResults::stLevelPerStageName(m_stLead), stage, *v / 10.0);
            return true;
        }
        return false;
    case Column::StSlope:
        if (const auto v = typed(QStringLiteral("mm/s"), -MaxStMm, MaxStMm)) {
            setPerStage(TStudyResults::stSlopePerStageName(m_stLead), stage, *v / 10.0);
            return true;
        }
        return false;
    case Column::Stage:
    case Column::Duration:
    case Column::DoubleProduct:
        break;
    }
    return false;
}

bool TStageEditor::setLoad(int stage, const char* property, double value, const QString& unit)
{
    TProtocolStage& s = m_executed.stage(stage);
    s.setValue(QLatin1String(property), value, unit);
    // METS follows the load where there is a rule for it: treadmill always,
    // ergometer with the patient's weight; otherwise the stored value stays.
    const bool rule = m_protocolType == TProtocol::Treadmill
                      || (m_protocolType == TProtocol::Ergometer && m_weightKg > 0.0);
    if (rule) {
        setPerStage(MetsArray, stage, TMets::ofStage(s, m_protocolType, m_weightKg));
        m_results.updateMaxima();
    }
    return true;
}

void TStageEditor::updateDoubleProduct(int stage)
{
    setPerStage(DoubleProductArray, stage,
                std::trunc(perStage(HeartRateArray, stage)) * std::trunc(perStage(SystolicArray, stage)));
}

void TStageEditor::followPressures(int stage)
{
    const double t = m_executed.stageEndTime(stage);
    if (TTrend* trend = m_results.trend(QStringLiteral("sysBPTrend")))
        setStagePoint(*trend, t, perStage(SystolicArray, stage));
    if (TTrend* trend = m_results.trend(QStringLiteral("diaBPTrend")))
        setStagePoint(*trend, t, perStage(DiastolicArray, stage));
    if (perStage(HeartRateArray, stage) > 0.0) {
        if (TTrend* trend = m_results.trend(QStringLiteral("DPTrend")))
            setStagePoint(*trend, t, perStage(DoubleProductArray, stage));
    }
}

void TStageEditor::setStagePoint(TTrend& trend, double t, double value)
{
    int last = -1;
    for (int i = 0; i < trend.size(); ++i) {
        if (trend.time(i) <= t && (last < 0 || trend.time(i) >= trend.time(last)))
            last = i;
    }
    if (last >= 0 && t - trend.time(last) < TrendPointSeconds)
        trend.setValue(last, value);
    else
        trend.insertSorted(t, value);
}
