#pragma once

#include "TBeat.h"
#include "TBeatRecord.h"

// Where the beat detector delivers every beat it emits (the recording engine).
class TBeatSink
{
public:
    virtual ~TBeatSink() = default;
    // The beat with its per-channel records (channelCount of them).
    virtual void storeBeat(const TBeat& beat, const TBeatRecord* records, int channelCount) = 0;
};
