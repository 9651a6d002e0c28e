#include "TTreadmillIndices.h"

#include "TProtocol.h"
#include "TStudyResults.h"

#include <QCoreApplication>
#include <cmath>

std::optional<double> TTreadmillIndices::recovery1Drop() const
{
    if (!endHeartRate || !recovery1HeartRate)
        return std::nullopt;
    return *endHeartRate - *recovery1HeartRate;
}

std::optional<double> TTreadmillIndices::recovery5Drop() const
{
    if (!endHeartRate || !recovery5HeartRate)
        return std::nullopt;
    return *endHeartRate - *recovery5HeartRate;
}

QString TTreadmillIndices::speedText(const std::optional<double>& kmh)
{
    return kmh ? QString::asprintf("%.1f km/h", *kmh) : QStringLiteral("--");
}

namespace {

QString recoveryText(const std::optional<double>& rate, const std::optional<double>& drop)
{
    if (!rate)
        return QStringLiteral("--");
    QString text = QStringLiteral("%1/min").arg(qRound(*rate));
    if (drop) {
        const int fall = qRound(*drop);
        // A rise shows as one: "+5".
        text += QStringLiteral(" (%1%2)").arg(fall > 0 ? QStringLiteral("-") : fall < 0 ? QStringLiteral("+") : QString())
                    .arg(std::abs(fall));
    }
    return text;
}

} // namespace

QString TTreadmillIndices::recovery1Text() const
{
    return recoveryText(recovery1HeartRate, recovery1Drop());
}

QString TTreadmillIndices::recovery5Text() const
{
    return recoveryText(recovery5HeartRate, recovery5Drop());
}

QString TTreadmillIndices::summary() const
{
    return QCoreApplication::translate("TTreadmillIndices", "V150 %1, V200 %2; recovery HR at 1 min %3, at 5 min %4")
        .arg(speedText(v150), speedText(v200), recovery1Text(), recovery5Text());
}

std::optional<double> TTreadmillIndices::speedAt(const QVector<StagePoint>& stages, double target)
{
    int reached = -1;
    for (int k = 0; k < stages.size(); ++k) {
        if (stages[k].heartRate >= target) {
            reached = k;
            break;
        }
    }
    if (reached <= 0)
        return std::nullopt;
    const StagePoint bracket[2] = {stages[reached - 1], stages[reached]};
    // Least squares of heart rate on speed over the bracketing stages.
    double sx = 0.0, sy = 0.0;
    for (const StagePoint& p : bracket) {
        sx += p.speed;
        sy += p.heartRate;
    }
    const double mx = sx / 2.0, my = sy / 2.0;
    double sxx = 0.0, sxy = 0.0;
    for (const StagePoint& p : bracket) {
        sxx += (p.speed - mx) * (p.speed - mx);
        sxy += (p.speed - mx) * (p.heartRate - my);
    }
    if (!(sxx > 0.0))
        return std::nullopt;
    const double slope = sxy / sxx;
    if (!(slope > 0.0))
        return std::nullopt;
    const double speed = mx + (target - my) / slope;
    return std::isfinite(speed) ? std::optional<double>(speed) : std::nullopt;
}

QVector<TTreadmillIndices::StagePoint> TTreadmillIndices::exerciseStages(const TProtocol& executed,
                                                                         const TStudyResults& results)
{
    QVector<StagePoint> points;
    const TValueArray* hr = results.valueArray(QStringLiteral("BPMPerStage"));
    for (int k = 0; k < executed.stageCount(); ++k) {
        const TProtocolStage& stage = executed.stage(k);
        if (stage.phase() != TProtocolStage::Exercise)
            continue;
        StagePoint p;
        p.speed = stage.value(QStringLiteral("speed"));
        p.heartRate = hr ? hr->value(k) : 0.0;
        // A stage without a heart rate (no beats) or standing still says
        // nothing of the heart's answer to speed.
        if (p.speed > 0.0 && p.heartRate > 0.0 && std::isfinite(p.speed) && std::isfinite(p.heartRate))
            points.append(p);
    }
    return points;
}

std::optional<double> TTreadmillIndices::heartRateAround(const TStudyResults& results, double time)
{
    const TTrend* trend = results.trend(QStringLiteral("BPMTrend"));
    if (!trend || trend->isEmpty())
        return std::nullopt;
    double sum = 0.0;
    int count = 0;
    double last = -1.0;
    for (int i = 0; i < trend->size(); ++i) {
        const double t = trend->time(i);
        last = std::max(last, t);
        if (std::abs(t - time) <= RecoveryWindowSeconds && trend->value(i) > 0.0) {
            sum += trend->value(i);
            ++count;
        }
    }
    if (count == 0 || last < time)
        return std::nullopt;
    return sum / count;
}

TTreadmillIndices TTreadmillIndices::of(const TProtocol& executed, const TStudyResults& results)
{
    TTreadmillIndices indices;
    if (executed.type() != 0)
        return indices;
    const QVector<StagePoint> stages = exerciseStages(executed, results);
    indices.v150 = speedAt(stages, 150.0);
    indices.v200 = speedAt(stages, 200.0);
    // The end of the last exercise stage, in seconds of recording.
    int last = -1;
    double end = 0.0;
    double elapsed = 0.0;
    for (int k = 0; k < executed.stageCount(); ++k) {
        elapsed += executed.stage(k).duration();
        if (executed.stage(k).phase() == TProtocolStage::Exercise) {
            last = k;
            end = elapsed;
        }
    }
    if (last < 0)
        return indices;
    const TValueArray* hr = results.valueArray(QStringLiteral("BPMPerStage"));
    if (hr && hr->value(last) > 0.0)
        indices.endHeartRate = hr->value(last);
    indices.recovery1HeartRate = heartRateAround(results, end + 60.0);
    indices.recovery5HeartRate = heartRateAround(results, end + 300.0);
    return indices;
}
