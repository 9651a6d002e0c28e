#pragma once

#include <cstring>

// Reads one reply line of the OLMO ergometer, a byte at a time, into a buffer
// of 12 bytes (10 characters, the line feed and a terminating zero). A longer
// line is read to its end and dropped, never written past the buffer; a
// stream without line feeds is given up after MaxLineBytes, so a babbling
// device cannot hold the worker.
class TOlmoReplyReader
{
public:
    static constexpr int BufferSize = 12;
    static constexpr int MaxLineBytes = 1024;

    enum class Result
    {
        Line,     // a line of at most 10 characters, in line()
        TooLong,  // a longer line, consumed and dropped
        TimedOut, // no byte came within the read time-out
        Failed    // the port failed
    };

    // nextByte(char*) returns 1 with a byte, 0 when none came in time, -1 on failure.
    template <typename NextByte>
    Result read(NextByte&& nextByte)
    {
        int stored = 0;
        bool tooLong = false;
        m_buffer[0] = '\0';
        for (int consumed = 0; consumed < MaxLineBytes; ++consumed) {
            char c = 0;
            const int got = nextByte(&c);
            if (got < 0)
                return finish(stored, Result::Failed);
            if (got == 0)
                return finish(stored, Result::TimedOut);
            if (c == '\n')
                return finish(stored, tooLong ? Result::TooLong : Result::Line);
            if (stored < BufferSize - 2)
                m_buffer[stored++] = c;
            else
                tooLong = true;
        }
        return finish(stored, Result::TooLong);
    }

    // The last line read (empty after a dropped one), zero-terminated, no line feed.
    const char* line() const { return m_buffer; }

private:
    Result finish(int stored, Result result)
    {
        if (result == Result::TooLong)
            stored = 0;
        m_buffer[stored] = '\0';
        return result;
    }

    char m_buffer[BufferSize] = {};
};
