#pragma once

#include <mutex>
#include <vector>

// Unbounded byte FIFO shared by a device's reader thread (appending) and the
// acquisition worker (reading), under one mutex.
class TByteQueue
{
public:
    void append(const char* data, int count);
    // Moves up to count bytes into buffer; returns how many.
    int read(char* buffer, int count);
    int size() const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<char> m_bytes;
    size_t m_head = 0; // bytes already read from the front of m_bytes
};
