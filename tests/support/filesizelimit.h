#pragma once

#include <csignal>
#include <sys/resource.h>

// While alive, this process may write files only up to a given size: a write
// past it fails with EFBIG (the signal that would stop the process is ignored),
// as on a disk that has run out of room. Pipes and terminals are not limited.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldSignal);
    }
    bool isSet() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_oldSignal)(int) = nullptr;
    bool m_set = false;
};
