// SPDX-License-Identifier: GPL-3.0-or-later
// A full disk, as far as this process can tell, without privileges: while an
// object lives, no file of the process may grow past the given size, and a
// write that would gets EFBIG instead of the SIGXFSZ that ends the process.
// Keep its life short: the test's own log files are files too.
#pragma once

#include <csignal>
#include <stdexcept>

#include <sys/resource.h>

namespace dorvane::test {

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        if (getrlimit(RLIMIT_FSIZE, &m_old) != 0)
            throw std::runtime_error("getrlimit failed");
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            throw std::runtime_error("setrlimit failed");
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace dorvane::test
