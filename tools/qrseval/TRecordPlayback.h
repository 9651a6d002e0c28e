#pragma once

#include "TRingSignalBuffer.h"

#include <QtGlobal>
#include <functional>

class TSignalDisturbance;
class TWfdbRecord;

// A WFDB record played into a raw signal buffer as the recorder delivers a
// recording: resampled linearly to the device's 500 per second, in its codes
// (+-300 mV over 16 bits), in blocks of 51 frames.
namespace TRecordPlayback {

constexpr int DeviceRate = 500;
// The demo device's scale: +-300 mV over 16 bits.
constexpr double DeviceRangeMv = 600.0;
constexpr int BlockFrames = 51; // what the recorder link delivers at a time

// Frames the record gives at the device rate.
qint64 frameCount(const TWfdbRecord& record);
// The record's channels (at most the buffer's), disturbed first when asked,
// appended to raw block by block; afterBlock runs after each block.
void play(const TWfdbRecord& record, TIntSignalBuffer& raw, const TSignalDisturbance* disturbance,
          const std::function<void()>& afterBlock);

} // namespace TRecordPlayback
