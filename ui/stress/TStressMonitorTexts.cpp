#include "TStressMonitorTexts.h"

#include "TProtocol.h"
#include "TStageTable.h"

#include <QCoreApplication>
#include <algorithm>

namespace TStressMonitorTexts {

namespace {

QString minutesSeconds(double seconds)
{
    const int whole = seconds > 0.0 ? int(seconds) : 0;
    return QString::asprintf("%2d:%2.2d", whole / 60, whole % 60);
}

int percent(int heartRate, int zone)
{
    return zone > 0 ? heartRate * 100 / zone : 0;
}

} // namespace

QString loadText(const TProtocol& planned, int stageIndex, const QString& workloadUnit)
{
    if (stageIndex < 0 || stageIndex >= planned.stageCount())
        return QString();
    const TProtocolStage& stage = planned.stage(stageIndex);
    switch (planned.type()) {
    case TProtocol::Treadmill:
        return QString::asprintf("%.1f %s / %.0f %s", stage.value(QStringLiteral("speed")), "km/h",
                                 stage.value(QStringLiteral("incline")), "%");
    case TProtocol::Ergometer:
        return QStringLiteral("%1 %2").arg(QString::asprintf("%.1f", stage.value(QStringLiteral("workload"),
                                                                                 workloadUnit)),
                                           workloadUnit);
    case TProtocol::Pharmacologic:
        return QCoreApplication::translate("TStressMonitorTexts", "Dose %1").arg(stage.value(QStringLiteral("dose")));
    default:
        return QString();
    }
}

QString stageLabel(const QString& protocolName, const QString& stageName, const QString& load)
{
    return QStringLiteral("<b>%1</b> || %2<br/>%3").arg(protocolName.toHtmlEscaped(), stageName, load);
}

QString stageName(int protocolType, int phase, int numberInPhase)
{
    return QStringLiteral("%1 %2").arg(TStageTable::phaseName(protocolType, phase)).arg(numberInPhase).trimmed();
}

QString stageElapsed(double seconds)
{
    return minutesSeconds(seconds);
}

QString stageDuration(double seconds)
{
    return QStringLiteral("/ %1 %2").arg(minutesSeconds(seconds),
                                         QCoreApplication::translate("TStressMonitorTexts", "stage"));
}

QString heartRateInfo(int heartRate, int zoneMax, int zoneSubMax)
{
    return QCoreApplication::translate("TStressMonitorTexts", "%1% max %2<br/>%3% sub %4")
        .arg(percent(heartRate, zoneMax))
        .arg(zoneMax)
        .arg(percent(heartRate, zoneSubMax))
        .arg(zoneSubMax);
}

QString noHeartRateInfo(int zoneMax, int zoneSubMax)
{
    return QCoreApplication::translate("TStressMonitorTexts", "---% max %1<br/>---% sub %2")
        .arg(zoneMax)
        .arg(zoneSubMax);
}

QString bloodPressurePromptText(const QString& stageName, const QString& load)
{
    return load.isEmpty() ? stageName : QStringLiteral("%1\n%2").arg(stageName, load);
}

double bloodPressureTime(double recordingTime)
{
    return std::max(0.0, recordingTime - 1.0);
}

bool automaticPromptDue(double stageDuration, double recordingTime, double stageStart)
{
    return stageDuration - (recordingTime - stageStart) <= PromptBeforeStageEndSeconds;
}

} // namespace TStressMonitorTexts
