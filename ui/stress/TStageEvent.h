#pragma once

#include "TStudyEvent.h"

class TProtocol;

// The event marked at each stage change: the last 11 s of the stage that has
// just ended, named after it, printed with the report (tilt tests excepted).
namespace TStageEvent {

constexpr double Seconds = 11.0;

// The event of the executed protocol's last stage; an empty description when
// the protocol has no stage yet. A tilt test names its later stages by the
// whole minutes since their phase began ("Control 6 min."), its first phase
// by the phase alone.
TStudyEvent forLastStage(const TProtocol& executed, int protocolType);

} // namespace TStageEvent
