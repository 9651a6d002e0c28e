#pragma once

// Supplies the ST reference points drawn into a display's average-beat inset.
class MonitorMarkProvider
{
public:
    virtual ~MonitorMarkProvider() = default;

    // For the lead: three sample indices into its current average beat (baseline,
    // level and slope points) and its ST level in millivolts. False when the lead
    // has no measurement.
    virtual bool measure(int lead, int& first, int& second, int& third, double& levelMv) = 0;
};
