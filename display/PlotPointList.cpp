#include "PlotPointList.h"

#include <algorithm>

PlotPointList::PlotPointList(const QVector<QPointF>& points)
{
    for (const QPointF& p : points)
        append(p.x(), p.y());
}

void PlotPointList::append(double x, double y)
{
    if (m_points.isEmpty() || x >= m_points.last().x()) {
        m_points.append(QPointF(x, y));
        return;
    }
    const auto at = std::upper_bound(m_points.begin(), m_points.end(), x,
                                     [](double value, const QPointF& p) { return value < p.x(); });
    m_points.insert(at, QPointF(x, y));
}
