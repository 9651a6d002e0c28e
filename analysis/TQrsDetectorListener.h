#pragma once

// Told after every beat the detector emits (after the sink has it).
class TQrsDetectorListener
{
public:
    virtual ~TQrsDetectorListener() = default;
    virtual void beatDetected() = 0;
};
