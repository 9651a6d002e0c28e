#pragma once

#include "PlotDataSource.h"
#include "TTrend.h"

// A study's trend as a plot series, read where it is: the trend grows while the
// plot shows it, and nothing is copied.
class TTrendPlotSource : public PlotDataSource
{
public:
    // scale: what the values are multiplied by as shown (10 for millivolts
    // shown as millimetres at 10 mm/mV).
    explicit TTrendPlotSource(const TTrend* trend = nullptr, double scale = 1.0) : m_trend(trend), m_scale(scale) {}

    void setTrend(const TTrend* trend) { m_trend = trend; }
    const TTrend* trend() const { return m_trend; }
    double scale() const { return m_scale; }

    int count() const override { return m_trend ? m_trend->size() : 0; }
    double x(int index) const override { return m_trend ? m_trend->time(index) : 0.0; }
    double y(int index) const override { return m_trend ? m_trend->value(index) * m_scale : 0.0; }

private:
    const TTrend* m_trend;
    double m_scale;
};
