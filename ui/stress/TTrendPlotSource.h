#pragma once

#include "PlotDataSource.h"
#include "TTrend.h"

// A study's trend as a plot series, read where it is: the trend grows while the
// plot shows it, and nothing is copied.
class TTrendPlotSource : public PlotDataSource
{
public:
    explicit TTrendPlotSource(const TTrend* trend = nullptr) : m_trend(trend) {}

    void setTrend(const TTrend* trend) { m_trend = trend; }
    const TTrend* trend() const { return m_trend; }

    int count() const override { return m_trend ? m_trend->size() : 0; }
    double x(int index) const override { return m_trend ? m_trend->time(index) : 0.0; }
    double y(int index) const override { return m_trend ? m_trend->value(index) : 0.0; }

private:
    const TTrend* m_trend;
};
