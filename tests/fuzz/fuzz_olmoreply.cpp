// libFuzzer target: the OLMO reply reader over any bytes; the end of the input
// is a time-out or a port failure.

#include "TOlmoReplyReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool failAtEnd = data[0] & 1;
    size_t at = 1;
    TOlmoReplyReader reader;
    for (int line = 0; line < 64 && at <= size; ++line) {
        const size_t before = at;
        const TOlmoReplyReader::Result result = reader.read([&](char* c) {
            if (at >= size)
                return failAtEnd ? -1 : 0;
            *c = char(data[at++]);
            return 1;
        });
        if (std::strlen(reader.line()) > TOlmoReplyReader::BufferSize - 2)
            std::abort();
        if (at - before > size_t(TOlmoReplyReader::MaxLineBytes))
            std::abort();
        if (result == TOlmoReplyReader::Result::TimedOut || result == TOlmoReplyReader::Result::Failed)
            break;
    }
    return 0;
}
