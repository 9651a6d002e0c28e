// libFuzzer target: any byte stream into the recorder stream decoder, in
// chunks of fuzzer-chosen sizes, with either format and any channel mask.

#include "TRecorderStatus.h"
#include "TRecorderStreamDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    const auto format = (data[0] & 1) ? TRecorderProtocol::Format::HR : TRecorderProtocol::Format::Default;
    int mask = 0;
    std::memcpy(&mask, data + 1, 4);
    data += 5;
    size -= 5;
    TRecorderStatus status;
    TRecorderStreamDecoder decoder(format, mask, &status);
    std::vector<char> out;
    size_t at = 0;
    quint64 frames = 0;
    while (at < size) {
        // Each chunk's length comes from the stream itself.
        const size_t chunk = std::min<size_t>(size - at, size_t(data[at]) + 1);
        frames += quint64(decoder.decode(reinterpret_cast<const char*>(data + at), int(chunk), out));
        at += chunk;
    }
    const int frameBytes = decoder.deliveredFrameBytes();
    if (frames != decoder.framesDecoded())
        std::abort();
    if (frameBytes > 0 && out.size() % size_t(frameBytes) != 0)
        std::abort();
    const quint64 delivered = frameBytes > 0 ? out.size() / size_t(frameBytes) : 0;
    if (frameBytes > 0 && delivered != (format == TRecorderProtocol::Format::HR ? frames / 2 : frames))
        std::abort();
    if (status.batteryVolts() < 0 || status.batteryVolts() > 255 * 0.013 + 1e-9)
        std::abort();
    return 0;
}
