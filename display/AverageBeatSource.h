#pragma once

#include <QByteArray>
#include <vector>

// Where the displays take the average beats from: the current average beat of
// every lead and, once the engine has taken it, a reference beat (the rest-stage
// average a stress test compares against). Values are in the units of the signal
// they were averaged from, as doubles, at one rate. The current beats all have
// the source's beat length; a reference beat keeps the length it was taken with
// (a template follows the rate it averages), and each has its own R index.
class AverageBeatSource
{
public:
    virtual ~AverageBeatSource() = default;

    // Samples per beat template and their rate (samples per second).
    virtual int beatLength() const = 0;
    // Sample of the current beats' R (their alignment point).
    virtual int rIndex() const = 0;
    virtual int samplingRate() const = 0;
    // Millivolts per unit of the beat values.
    virtual double millivoltsPerUnit() const = 0;

    // True once at least one beat has been averaged.
    virtual bool hasAverage() const = 0;
    // The lead's current average beat (beatLength() values), empty when the lead has none.
    virtual std::vector<double> averageBeat(int lead) const = 0;

    virtual bool hasReferenceBeat() const = 0;
    // The lead's reference beat, of its own length, with R at referenceRIndex().
    virtual std::vector<double> referenceBeat(int lead) const = 0;
    virtual int referenceRIndex() const = 0;

    // Mean RR interval of the averaged beats in seconds; 0 when not known.
    virtual double meanRRInterval() const = 0;
    // Name of the lead (as the signal names its channel).
    virtual QByteArray leadName(int lead) const = 0;
};
