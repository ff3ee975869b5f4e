// SPDX-License-Identifier: GPL-3.0-or-later
// One private JACK server at a time on this machine. Servers started and
// stopped side by side (ctest -j, several build folders) now and then leave a
// client unable to attach to its own server ("Cannot open ... client"), so
// tests that start one hold this lock, shared across processes, for as long as
// their server lives. Holders within one process share the one lock (so a
// fixture and the server it starts may both hold it), and the lock goes with
// the process however it ends.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace dorvane::test {

class JackTestLock
{
public:
    JackTestLock()
    {
        if (s_holders++ > 0)
            return;
        const std::string file =
            (std::filesystem::temp_directory_path() / "dorvane-jack-tests.lock").string();
        s_fd = ::open(file.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0666);
        if (s_fd >= 0)
            ::flock(s_fd, LOCK_EX);
    }
    ~JackTestLock()
    {
        if (--s_holders > 0 || s_fd < 0)
            return;
        ::close(s_fd);
        s_fd = -1;
    }
    JackTestLock(const JackTestLock&) = delete;
    JackTestLock& operator=(const JackTestLock&) = delete;

private:
    // Main thread only, as the fixtures that take it are.
    static inline int s_holders = 0;
    static inline int s_fd = -1;
};

} // namespace dorvane::test
