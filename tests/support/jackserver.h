// SPDX-License-Identifier: GPL-3.0-or-later
// A private JACK server for end-to-end tests: `jackd -d dummy` under a name of
// its own, so tests running side by side never meet. The server dies with the
// test process even when that process crashes (PR_SET_PDEATHSIG), and is
// stopped by the destructor otherwise. Only one runs at a time on the machine
// (JackTestLock): servers started side by side now and then leave a client
// unable to attach.
//
// The constructor also points this process at the server (JACK_DEFAULT_SERVER,
// JACK_NO_START_SERVER), so every JACK client made afterwards, RtMidi's and
// child processes' alike, talks to it. Start one before creating any client.
#pragma once

#include "support/jacktestlock.h"

#include <string>
#include <vector>

namespace dorvane::test {

class JackServer
{
public:
    // Starts the server and waits until jack_lsp answers; throws
    // std::runtime_error (with the server's own output) when it does not.
    JackServer();
    ~JackServer();
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    const std::string& name() const { return m_name; }

    // Ends the server now, as a crash or a user would, with the clients still
    // attached. SIGTERM: a server killed harder leaves its slot in the
    // machine's JACK registry.
    void stop();

    // The server's ports, as jack_lsp lists them.
    std::vector<std::string> ports() const;
    // Waits until a port of that exact name exists.
    bool waitForPort(const std::string& port, int timeoutMs) const;

private:
    // First, so the server starts and stops inside it: one server at a time.
    JackTestLock m_lock;
    std::string m_name;
    std::string m_log;
    int m_pid = -1;
};

} // namespace dorvane::test
