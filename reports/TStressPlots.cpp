#include "TStressPlots.h"

#include "TReportStages.h"
#include "TStudy.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

const QColor HeartRateColour(200, 0, 0);
const QColor SystolicColour(0, 70, 180);
const QColor DiastolicColour(0, 150, 190);
const QColor DoubleProductColour(120, 0, 140);
const QColor StColour(0, 110, 0);
const QColor MetsColour(200, 110, 0);

// The least span each plot shows (bpm, mmHg, bpm x mmHg, mm, METS): changes
// smaller than these are no swing on paper.
constexpr double MinimumHeartRateSpan = 20.0;
constexpr double MinimumPressureSpan = 40.0;
constexpr double MinimumDoubleProductSpan = 2000.0;
constexpr double MinimumStSpan = 2.0;
constexpr double MinimumMetsSpan = 2.0;
// No test lasts a week.
constexpr double MaximumSeconds = 7 * 24 * 3600.0;

const QStringList& plotFields()
{
    static const QStringList fields = {QStringLiteral("plotHR"),  QStringLiteral("plotBP"),
                                       QStringLiteral("plotDP"),  QStringLiteral("plotST"),
                                       QStringLiteral("plotMETS"), QStringLiteral("plotTiltTest")};
    return fields;
}

QVector<QPointF> points(const TTrend* trend, double scale = 1.0)
{
    QVector<QPointF> out;
    if (!trend)
        return out;
    out.reserve(trend->size());
    for (int i = 0; i < trend->size(); ++i)
        out.append(QPointF(trend->time(i), trend->value(i) * scale));
    return out;
}

// Readings of a trend; where it has none, the per-stage values at each stage's
// end (a study whose pressures were only typed into its stage table).
QVector<QPointF> readings(const TStudy& study, const char* trend, const char* perStage)
{
    QVector<QPointF> out = points(study.results().trend(QLatin1String(trend)));
    const TProtocol* executed = study.protocol();
    const TValueArray* values = study.results().valueArray(QLatin1String(perStage));
    if (!out.isEmpty() || !executed || !values)
        return out;
    for (int k = 0; k < executed->stageCount(); ++k)
        if (values->value(k) > 0.0)
            out.append(QPointF(executed->stageEndTime(k), values->value(k)));
    return out;
}

TReportPlot::Series series(const QString& name, const QColor& colour, const QVector<QPointF>& pts, bool markers)
{
    TReportPlot::Series s;
    s.name = name;
    s.color = colour;
    s.points = pts;
    s.markers = markers;
    return s;
}

double highest(const QVector<QPointF>& pts)
{
    double h = 0.0;
    for (const QPointF& p : pts)
        if (std::isfinite(p.y()))
            h = std::max(h, p.y());
    return h;
}

} // namespace

namespace TStressPlots {

bool isPlotField(const QString& field)
{
    return plotFields().contains(field);
}

std::optional<TReportPlot> build(const QString& field, const TStudy& study, int stLead, const QString& stLeadName)
{
    if (!isPlotField(field))
        return std::nullopt;
    const TStudyResults& results = study.results();
    TReportPlot plot;
    // The whole test, whatever the plot: the plots of a page line up. Times no
    // test lasts (a damaged file's) are left out.
    double end = study.recording() ? study.recording()->durationSeconds() : 0.0;
    auto extend = [&end](double t) {
        if (std::isfinite(t) && t < MaximumSeconds)
            end = std::max(end, t);
    };
    QVector<double> boundaries;
    if (const TProtocol* executed = study.protocol()) {
        extend(executed->totalDuration());
        for (int k = 0; k + 1 < executed->stageCount(); ++k)
            boundaries.append(executed->stageEndTime(k));
    }
    plot.setStageBoundaries(boundaries);

    const QVector<QPointF> heartRate = points(results.trend(QStringLiteral("BPMTrend")));
    const QVector<QPointF> systolic = readings(study, "sysBPTrend", "sysBPPerStage");
    const QVector<QPointF> diastolic = readings(study, "diaBPTrend", "diaBPPerStage");
    for (const QVector<QPointF>* pts : {&heartRate, &systolic, &diastolic})
        if (!pts->isEmpty())
            extend(pts->last().x());
    plot.setTimeRange(0.0, end);

    if (field == QLatin1String("plotHR")) {
        const double* stored = results.value(QStringLiteral("maxBPM"));
        const double maxHR = stored && std::isfinite(*stored) && *stored > 0.0 ? *stored : highest(heartRate);
        plot.setTitle(QCoreApplication::translate("TStressPlots", "HR %1 bpm").arg(TReportStages::whole(maxHR)));
        plot.setMinimumSpan(MinimumHeartRateSpan);
        plot.addSeries(series(QCoreApplication::translate("TStressPlots", "HR"), HeartRateColour, heartRate, false));
    } else if (field == QLatin1String("plotBP")) {
        plot.setTitle(QCoreApplication::translate("TStressPlots", "BP mmHg"));
        plot.setMinimumSpan(MinimumPressureSpan);
        plot.addSeries(series(QCoreApplication::translate("TStressPlots", "SBP"), SystolicColour, systolic, true));
        plot.addSeries(series(QCoreApplication::translate("TStressPlots", "DBP"), DiastolicColour, diastolic, true));
    } else if (field == QLatin1String("plotDP")) {
        plot.setTitle(QCoreApplication::translate("TStressPlots", "DP bpm x mmHg"));
        plot.setMinimumSpan(MinimumDoubleProductSpan);
        plot.addSeries(series(QCoreApplication::translate("TStressPlots", "DP"), DoubleProductColour,
                              readings(study, "DPTrend", "DPPerStage"), true));
    } else if (field == QLatin1String("plotST")) {
        plot.setTitle(QCoreApplication::translate("TStressPlots", "ST [%1] mm").arg(stLeadName));
        plot.setValueFormat(QStringLiteral("%+.1f"));
        plot.setMinimumSpan(MinimumStSpan);
        // Millivolts drawn as millimetres at 10 mm/mV, as the stage table prints them.
        plot.addSeries(series(QCoreApplication::translate("TStressPlots", "ST"), StColour,
                              stLead >= 0 ? points(results.trend(TStudyResults::stLevelTrendName(stLead)), 10.0)
                                          : QVector<QPointF>(),
                              false));
    } else if (field == QLatin1String("plotMETS")) {
        plot.setTitle(QCoreApplication::translate("TStressPlots", "METS"));
        plot.setMinimumSpan(MinimumMetsSpan);
        plot.addSeries(series(QCoreApplication::translate("TStressPlots", "METS"), MetsColour,
                              points(results.trend(QStringLiteral("METSTrend"))), false));
    } else {
        plot.setTitle(QCoreApplication::translate("TStressPlots", "HR bpm, BP mmHg"));
        plot.setMinimumSpan(MinimumPressureSpan);
        plot.addSeries(series(QCoreApplication::translate("TStressPlots", "HR"), HeartRateColour, heartRate, false));
        plot.addSeries(series(QCoreApplication::translate("TStressPlots", "SBP"), SystolicColour, systolic, true));
        plot.addSeries(series(QCoreApplication::translate("TStressPlots", "DBP"), DiastolicColour, diastolic, true));
    }
    return plot;
}

} // namespace TStressPlots
