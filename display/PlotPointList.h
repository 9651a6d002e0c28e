#pragma once

#include "PlotDataSource.h"

#include <QPointF>
#include <QVector>

// A plot series held in memory. Points are kept in ascending x: a point added
// before the last one is inserted in order.
class PlotPointList : public PlotDataSource
{
public:
    PlotPointList() = default;
    explicit PlotPointList(const QVector<QPointF>& points);

    int count() const override { return m_points.size(); }
    double x(int index) const override { return valid(index) ? m_points[index].x() : 0.0; }
    double y(int index) const override { return valid(index) ? m_points[index].y() : 0.0; }

    void append(double x, double y);
    void clear() { m_points.clear(); }
    const QVector<QPointF>& points() const { return m_points; }

private:
    bool valid(int index) const { return index >= 0 && index < m_points.size(); }

    QVector<QPointF> m_points;
};
