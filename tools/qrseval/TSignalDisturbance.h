#pragma once

#include <QtGlobal>

// Something added to a record's signal before it is scored: artifacts, noise.
// Works in millivolts at the record's own sampling rate, stretch by stretch, so
// that a long record is never held whole twice.
class TSignalDisturbance
{
public:
    virtual ~TSignalDisturbance() = default;

    // Changes count samples of one channel, starting at sample first.
    virtual void apply(int channel, qint64 first, int count, double* mv) const = 0;
};
