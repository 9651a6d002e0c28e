#pragma once

// The series a trend plot draws: points with ascending x.
class PlotDataSource
{
public:
    virtual ~PlotDataSource() = default;

    virtual int count() const = 0;
    virtual double x(int index) const = 0;
    virtual double y(int index) const = 0;
};
