#pragma once

#include <QtGlobal>

// What the program sends to the ECG recorder and the numbers of its two stream
// formats: the default protocol (40-byte frames at 500 per second) and the HR
// protocol (34-byte frames at twice that rate, averaged in pairs).
namespace TRecorderProtocol {

enum class Format { Default, HR };

// Command bytes.
constexpr quint8 Reset = 0x01;    // preceded by purging both queues; sent twice at start
constexpr quint8 Start = 0x09;    // start streaming; also the keep-alive
constexpr quint8 Stop = 0x02;     // sent twice at stop
constexpr quint8 Identify = 0x0B; // the recorder answers with up to 7 bytes of text

constexpr quint8 PacketMarker = 0xC0;

constexpr int DefaultFrameSize = 40;
constexpr int HRFrameSize = 34;
constexpr int DefaultBaudRate = 230400;
constexpr int HRBaudRate = 570000;
// Full-scale range G in mV (codes span -G..+G).
constexpr double DefaultGainMv = 450.0;
constexpr double HRGainMv = 300.0;
constexpr int SamplingRate = 500;
// The recorder stops streaming unless the start byte is repeated: once per
// minute of frames.
constexpr int DefaultKeepAliveFrames = 30000;
constexpr int HRKeepAliveFrames = 60000;
constexpr int KeepAliveGapMs = 5;
constexpr int ResetGapMs = 100;
constexpr int StopGapMs = 100;

// A lead beyond +-SaturationLimit for SaturationFrames frames in a row (0.5 s)
// counts as saturated.
constexpr int SaturationLimit = 32000;
constexpr int SaturationFrames = 250;
// Battery voltage per unit of the battery byte.
constexpr double BatteryVoltsPerUnit = 0.013;

// Line settings of the recorder's port.
constexpr int DriverBufferSize = 32768;
constexpr int ReadTimeoutMs = 10000;
constexpr int WriteTimeoutMs = 3000;

inline int frameSize(Format format) { return format == Format::HR ? HRFrameSize : DefaultFrameSize; }
inline int keepAliveFrames(Format format)
{
    return format == Format::HR ? HRKeepAliveFrames : DefaultKeepAliveFrames;
}

} // namespace TRecorderProtocol
