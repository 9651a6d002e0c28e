#pragma once

#include <csignal>
#include <sys/resource.h>

// While it lives, files of this process cannot grow beyond bytes: writes past
// that fail as on a full disk (SIGXFSZ ignored, the write returns short).
class TFileSizeLimit
{
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        m_ok = getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = m_saved;
        small.rlim_cur = bytes;
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

    bool isSet() const { return m_ok; }

private:
    struct rlimit m_saved
    {
    };
    void (*m_handler)(int) = nullptr;
    bool m_ok = false;
};
