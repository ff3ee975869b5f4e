// SPDX-License-Identifier: GPL-3.0-or-later
// The one JACK client Dorvane keeps of its own, shared by everything alive in
// the process: it tells whether the server still runs (libjack calls back when
// it ends), reads the server's MIDI port names, and, once something listens,
// posts when ports come, go or are renamed. Each server it met has a
// generation: a client made under an earlier one is dead even when a server
// of the same name runs again. A client whose server ended is kept, never
// closed (closing it crashes inside libjack). Main thread, but for the posts.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dorvane {

class WakeUp;

// Whether a JACK server named `serverName` may be running for user `uid`, by
// what servers leave in `serverDir` (/dev/shm): JACK 2's request socket
// (jack_<server>_<uid>_0), or JACK 1's folder of the user's servers. Opening
// a client to find out takes libjack's metadata database, shared by every
// JACK program on the machine: a program killed inside it leaves it locked,
// and every later attempt would wait on it for ever. So the watch asks no
// more of libjack while nothing says a server runs.
bool jackServerMayRun(const std::string& serverDir, const std::string& serverName, unsigned uid);

class JackWatch
{
public:
    // The watch shared by everything that is alive at the time.
    static std::shared_ptr<JackWatch> shared();

    JackWatch();
    ~JackWatch();
    JackWatch(const JackWatch&) = delete;
    JackWatch& operator=(const JackWatch&) = delete;

    // Whether a server runs now; opens the watch's client on a new one.
    bool running();
    // Whether the server of the current client has ended (asks nothing of a
    // new one).
    bool ended() const;
    std::uint64_t generation() const { return m_generation; }
    // Whether the server of that generation still runs.
    bool stillUp(std::uint64_t generation) { return running() && generation == m_generation; }

    // Port notices and the server's end post `wake` from libjack's thread,
    // for this client and every later one; nullptr stops them. Notices reach
    // active clients only, so listening activates the client (without a
    // process callback it takes no part in the server's cycles); a watch
    // nobody listens to stays inactive, which costs a command-line run less.
    void listen(WakeUp* wake);

    struct Ports
    {
        std::vector<std::string> inputs;  // MIDI ports others read: where to send
        std::vector<std::string> outputs; // MIDI ports others write: where to listen
    };
    // The server's MIDI ports by their full names; nothing without a server.
    std::optional<Ports> ports() const;

private:
    struct Client;

    void letGo();

    Client* m_client = nullptr;
    WakeUp* m_listener = nullptr;
    std::uint64_t m_generation = 0;
};

} // namespace dorvane
