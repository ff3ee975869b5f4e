// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/portwatcher.h"

#include "midi/wakeup.h"

#include <RtMidi.h>

#if defined(DORVANE_HAVE_JACK)
#include <jack/jack.h>
#endif
#if defined(DORVANE_HAVE_ALSA)
#include <QSocketNotifier>
#include <alsa/asoundlib.h>
#include <poll.h>
#endif

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <vector>

namespace dorvane {

#if defined(DORVANE_HAVE_JACK)
namespace {

void quiet(const char*) {}

void silenceJack()
{
    // RtMidi and the watcher report what matters; libjack's own lines on the
    // terminal (a server that is not running) help nobody.
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
}

} // namespace

// Shared with libjack's notification thread, which posts through it; the
// watcher lets go of it (under the lock) before it goes.
struct PortWatcher::Jack
{
    jack_client_t* client = nullptr;
    std::mutex mutex;
    WakeUp* wake = nullptr; // guarded by mutex; none once the watcher let go
    std::atomic<bool> ended{false};

    void post()
    {
        std::lock_guard lock(mutex);
        if (wake)
            wake->post();
    }
    void letGo()
    {
        std::lock_guard lock(mutex);
        wake = nullptr;
    }

    static void portRegistered(jack_port_id_t, int, void* arg) { static_cast<Jack*>(arg)->post(); }
    static void portRenamed(jack_port_id_t, const char*, const char*, void* arg)
    {
        static_cast<Jack*>(arg)->post();
    }
    static void shutdown(void* arg)
    {
        auto* self = static_cast<Jack*>(arg);
        self->ended.store(true, std::memory_order_release);
        self->post();
    }
};
#else
struct PortWatcher::Jack
{
};
#endif

#if defined(DORVANE_HAVE_ALSA)
struct PortWatcher::Alsa
{
    snd_seq_t* seq = nullptr;
    std::vector<std::unique_ptr<QSocketNotifier>> notifiers;

    ~Alsa()
    {
        notifiers.clear();
        if (seq)
            snd_seq_close(seq);
    }
};
#else
struct PortWatcher::Alsa
{
};
#endif

namespace {

// Whether RtMidi was built with a system that this watcher cannot hear from.
bool needsPolling()
{
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    for (RtMidi::Api api : apis) {
        switch (api) {
        case RtMidi::RTMIDI_DUMMY:
            break;
#if defined(DORVANE_HAVE_ALSA)
        case RtMidi::LINUX_ALSA:
            break;
#endif
#if defined(DORVANE_HAVE_JACK)
        case RtMidi::UNIX_JACK:
            break;
#endif
        default:
            return true;
        }
    }
    return false;
}

} // namespace

PortWatcher::PortWatcher(const std::string& clientName, WakeUp& changed, QObject* parent)
    : QObject(parent), m_clientName(clientName), m_changed(changed), m_jackWake(new WakeUp(this)),
      m_pollNames(needsPolling())
{
    connect(m_jackWake, &WakeUp::woken, this, &PortWatcher::jackNoticed);
    m_retry.setInterval(RetryMs);
    connect(&m_retry, &QTimer::timeout, this, &PortWatcher::tryListeners);
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] { m_changed.post(); });
    tryListeners();
}

PortWatcher::~PortWatcher()
{
    m_retry.stop();
    m_alsa.reset();
#if defined(DORVANE_HAVE_JACK)
    if (m_jack) {
        m_jack->letGo();
        // Its server tells when it ends, before the client could be closed.
        if (!m_jack->ended.load(std::memory_order_acquire)) {
            jack_client_close(m_jack->client);
            delete m_jack;
        } else {
            dropJack();
        }
    }
#endif
}

bool PortWatcher::alsaListening() const
{
    return bool(m_alsa);
}

bool PortWatcher::jackListening() const
{
    return m_jack != nullptr;
}

std::optional<PortWatcher::JackPorts> PortWatcher::jackPorts() const
{
#if defined(DORVANE_HAVE_JACK)
    if (!m_jack || m_jack->ended.load(std::memory_order_acquire))
        return std::nullopt;
    auto names = [this](unsigned long flags) {
        std::vector<std::string> list;
        const char** ports = jack_get_ports(m_jack->client, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
        for (const char** port = ports; port && *port; ++port)
            list.emplace_back(*port);
        jack_free(ports);
        return list;
    };
    return JackPorts{names(JackPortIsInput), names(JackPortIsOutput)};
#else
    return std::nullopt;
#endif
}

void PortWatcher::tryListeners()
{
    bool missing = false;
#if defined(DORVANE_HAVE_ALSA)
    if (!m_alsa)
        openAlsa();
    missing |= !m_alsa;
#endif
#if defined(DORVANE_HAVE_JACK)
    if (!m_jack)
        openJack();
    missing |= !m_jack;
#endif
    if (m_pollNames)
        m_changed.post();
    if (missing || m_pollNames)
        m_retry.start();
    else
        m_retry.stop();
}

void PortWatcher::openAlsa()
{
#if defined(DORVANE_HAVE_ALSA)
    // Without the sequencer device ALSA cannot start, and says so on the
    // terminal at every try.
    if (!std::filesystem::exists("/dev/snd/seq"))
        return;
    auto alsa = std::make_unique<Alsa>();
    if (snd_seq_open(&alsa->seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0) {
        alsa->seq = nullptr;
        return;
    }
    snd_seq_set_client_name(alsa->seq, (m_clientName + " watch").c_str());
    // Written to by the system only: no other program sees it or lists it.
    const int port = snd_seq_create_simple_port(alsa->seq, "announcements",
                                                SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
                                                SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0 || snd_seq_connect_from(alsa->seq, port, SND_SEQ_CLIENT_SYSTEM,
                                         SND_SEQ_PORT_SYSTEM_ANNOUNCE) < 0)
        return;
    const int count = snd_seq_poll_descriptors_count(alsa->seq, POLLIN);
    std::vector<pollfd> fds(std::size_t(count > 0 ? count : 0));
    snd_seq_poll_descriptors(alsa->seq, fds.data(), unsigned(fds.size()), POLLIN);
    for (const pollfd& fd : fds) {
        auto notifier = std::make_unique<QSocketNotifier>(qintptr(fd.fd), QSocketNotifier::Read);
        connect(notifier.get(), &QSocketNotifier::activated, this, &PortWatcher::readAlsa);
        alsa->notifiers.push_back(std::move(notifier));
    }
    m_alsa = std::move(alsa);
    // The ports may have changed while nobody listened.
    m_changed.post();
#endif
}

void PortWatcher::readAlsa()
{
#if defined(DORVANE_HAVE_ALSA)
    bool changed = false;
    for (;;) {
        snd_seq_event_t* event = nullptr;
        const int left = snd_seq_event_input(m_alsa->seq, &event);
        if (left == -ENOSPC) {
            changed = true; // announcements were lost: anything may have changed
            continue;
        }
        if (left < 0)
            break; // -EAGAIN: nothing more for now
        // Clients come and go without ports (RtMidi's own listings are
        // clients); only ports are devices.
        if (event &&
            (event->type == SND_SEQ_EVENT_PORT_START || event->type == SND_SEQ_EVENT_PORT_EXIT ||
             event->type == SND_SEQ_EVENT_PORT_CHANGE))
            changed = true;
    }
    if (changed)
        m_changed.post();
#endif
}

void PortWatcher::openJack()
{
#if defined(DORVANE_HAVE_JACK)
    silenceJack();
    jack_status_t status{};
    jack_client_t* client =
        jack_client_open((m_clientName + " watch").c_str(), JackNoStartServer, &status);
    if (!client)
        return;
    auto* jack = new Jack;
    jack->client = client;
    jack->wake = m_jackWake;
    jack_set_port_registration_callback(client, &Jack::portRegistered, jack);
    jack_set_port_rename_callback(client, &Jack::portRenamed, jack);
    jack_on_shutdown(client, &Jack::shutdown, jack);
    // Notices reach active clients only. Without a process callback the
    // client takes no part in the server's cycles.
    if (jack_activate(client) != 0) {
        jack_client_close(client);
        delete jack;
        return;
    }
    m_jack = jack;
    // A server that just started has ports nobody has read yet.
    m_changed.post();
#endif
}

void PortWatcher::jackNoticed()
{
#if defined(DORVANE_HAVE_JACK)
    if (m_jack && m_jack->ended.load(std::memory_order_acquire)) {
        dropJack();
        m_retry.start(); // a new server gives no notice
    }
#endif
    m_changed.post();
    m_settle.start();
}

void PortWatcher::dropJack()
{
#if defined(DORVANE_HAVE_JACK)
    // Its server has ended: closing the client would crash inside libjack.
    // Kept reachable, with what its callbacks point to.
    static auto* const ended = new std::vector<Jack*>;
    m_jack->letGo();
    ended->push_back(m_jack);
    m_jack = nullptr;
#endif
}

} // namespace dorvane
