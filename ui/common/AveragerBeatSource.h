#pragma once

#include "AverageBeatSource.h"

class TBeatAverager;

// The live averager of a recording engine as the displays' average-beat
// source: every lead's current average in the codes of the signal it averages,
// and its reference beat once taken.
class AveragerBeatSource : public AverageBeatSource
{
public:
    // Not owned; must outlive the source.
    explicit AveragerBeatSource(TBeatAverager* averager);

    int beatLength() const override;
    int rIndex() const override;
    int samplingRate() const override;
    double millivoltsPerUnit() const override;
    bool hasAverage() const override;
    std::vector<double> averageBeat(int lead) const override;
    bool hasReferenceBeat() const override;
    std::vector<double> referenceBeat(int lead) const override;
    int referenceRIndex() const override;
    double meanRRInterval() const override;
    QByteArray leadName(int lead) const override;

private:
    // The averager computes lazily, so even its questions change it.
    TBeatAverager* m_averager;
};
