// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/jackwatch.h"

#include "midi/wakeup.h"

#include <jack/jack.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#if __has_include(<unistd.h>)
#include <unistd.h>
#endif

#if __has_include(<pthread.h>)
#include <pthread.h>
#endif

namespace dorvane {

namespace {

void quiet(const char*) {}

// libjack cancels its notification thread when its server ends, and that thread
// may be inside one of our call backs then: a cancellation unwinding through
// them (through a held lock and a noexcept wake-up) ends the program. They are
// short, so cancellation waits until they return to libjack.
class CancellationHeld
{
public:
#if __has_include(<pthread.h>)
    CancellationHeld()
    {
        pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &m_before);
    }
    ~CancellationHeld()
    {
        pthread_setcancelstate(m_before, nullptr);
    }

private:
    int m_before = PTHREAD_CANCEL_ENABLE;
#endif
};

bool& exiting()
{
    static bool flag = false;
    return flag;
}

} // namespace

// Shared with libjack's notification thread; outlives the watch whenever its
// server ended first, since the call backs may still come.
struct JackWatch::Client
{
    jack_client_t* handle = nullptr;
    std::atomic<bool> gone{false};
    bool active = false;
    std::mutex mutex;
    WakeUp* wake = nullptr; // guarded by mutex

    void setWake(WakeUp* to)
    {
        std::lock_guard lock(mutex);
        wake = to;
    }
    void post()
    {
        CancellationHeld held;
        std::lock_guard lock(mutex);
        if (wake)
            wake->post();
    }

    static void portRegistered(jack_port_id_t, int, void* arg)
    {
        static_cast<Client*>(arg)->post();
    }
    static void portRenamed(jack_port_id_t, const char*, const char*, void* arg)
    {
        static_cast<Client*>(arg)->post();
    }
    static void shutdown(void* arg)
    {
        auto* self = static_cast<Client*>(arg);
        self->gone.store(true, std::memory_order_release);
        self->post();
    }
};

std::shared_ptr<JackWatch> JackWatch::shared()
{
    static std::weak_ptr<JackWatch> current;
    auto watch = current.lock();
    if (!watch) {
        watch = std::make_shared<JackWatch>();
        current = watch;
    }
    return watch;
}

JackWatch::JackWatch() = default;

JackWatch::~JackWatch()
{
    if (!m_client)
        return;
    m_client->setWake(nullptr);
    // At the program's end the server lets go of a client that was never
    // activated by itself; closing it would only keep a command-line run
    // waiting for the server's answer.
    if (!m_client->gone.load(std::memory_order_acquire) && !(exiting() && !m_client->active)) {
        jack_client_close(m_client->handle);
        delete m_client;
    } else {
        letGo();
    }
}

bool JackWatch::ended() const
{
    return !m_client || m_client->gone.load(std::memory_order_acquire);
}

bool jackServerMayRun(const std::string& serverDir, const std::string& serverName, unsigned uid)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path dir(serverDir);
    return fs::exists(dir / ("jack_" + serverName + "_" + std::to_string(uid) + "_0"), error) ||
           fs::exists(dir / ("jack-" + std::to_string(uid)), error);
}

bool JackWatch::running()
{
    if (!ended())
        return true;
    if (m_client)
        letGo();
#if defined(__linux__)
    // Where the servers' traces are known; a server shared between users
    // (JACK_PROMISCUOUS_SERVER) is left to libjack to find.
    const char* server = std::getenv("JACK_DEFAULT_SERVER");
    if (!std::getenv("JACK_PROMISCUOUS_SERVER") &&
        !jackServerMayRun("/dev/shm", server && *server ? server : "default", getuid()))
        return false;
#endif
    // libjack's own messages go nowhere from now on; RtMidi and the watch
    // report what matters.
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    jack_status_t status{};
    jack_client_t* handle = jack_client_open("Dorvane-watch", JackNoStartServer, &status);
    if (!handle)
        return false;
    auto* client = new Client;
    client->handle = handle;
    client->wake = m_listener;
    // Set before any activation, which is the only time libjack takes them.
    jack_set_port_registration_callback(handle, &Client::portRegistered, client);
    jack_set_port_rename_callback(handle, &Client::portRenamed, client);
    jack_on_shutdown(handle, &Client::shutdown, client);
    m_client = client;
    ++m_generation;
    if (m_listener)
        client->active = jack_activate(handle) == 0;
    // Registered after the objects that own the watch were made, so it runs
    // before they are destroyed at the program's end.
    static const bool registered = std::atexit([] { exiting() = true; }) == 0;
    (void)registered;
    return true;
}

void JackWatch::listen(WakeUp* wake)
{
    m_listener = wake;
    if (!m_client)
        return;
    m_client->setWake(wake);
    if (wake && !m_client->active && !ended())
        m_client->active = jack_activate(m_client->handle) == 0;
}

std::optional<JackWatch::Ports> JackWatch::ports() const
{
    if (ended())
        return std::nullopt;
    auto names = [this](unsigned long flags) {
        std::vector<std::string> list;
        const char** ports =
            jack_get_ports(m_client->handle, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
        for (const char** port = ports; port && *port; ++port)
            list.emplace_back(*port);
        jack_free(ports);
        return list;
    };
    return Ports{names(JackPortIsInput), names(JackPortIsOutput)};
}

void JackWatch::letGo()
{
    // Its server has ended: closing the client would crash inside libjack.
    // Kept reachable, with what its call backs point to.
    static auto* const kept = new std::vector<Client*>;
    m_client->setWake(nullptr);
    kept->push_back(m_client);
    m_client = nullptr;
}

} // namespace dorvane
