#pragma once

#include <QString>
#include <memory>

class TEcgSynthesizer;
#include "TRingSignalBuffer.h"

// Signals for the pictures: a stretch of a 14-lead recording file (frames of 14
// little-endian 16-bit codes) or of a synthesizer, in a ring buffer that holds
// just that stretch, with the lead names and the demo recorder's scale.
namespace RecordingLoader {

// seconds of the file from firstSecond on; null with a message when it cannot be read.
std::unique_ptr<TIntSignalBuffer> fromFile(const QString& path, double firstSecond, double seconds, double gainMv,
                                           QString* error);
std::unique_ptr<TIntSignalBuffer> fromSynthesizer(const TEcgSynthesizer& synth, double firstSecond, double seconds);

} // namespace RecordingLoader
