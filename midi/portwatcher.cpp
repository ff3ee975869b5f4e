// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/portwatcher.h"

#include "midi/wakeup.h"

#include <RtMidi.h>

#if defined(DORVANE_HAVE_JACK)
#include "midi/jackwatch.h"
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
    if (m_jack)
        m_jack->listen(nullptr);
#endif
}

bool PortWatcher::alsaListening() const
{
    return bool(m_alsa);
}

bool PortWatcher::jackListening() const
{
#if defined(DORVANE_HAVE_JACK)
    return m_jack && !m_jack->ended();
#else
    return false;
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
    if (!jackListening())
        openJack();
    missing |= !jackListening();
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
    if (!m_jack)
        m_jack = JackWatch::shared();
    if (!m_jack->running())
        return;
    m_jack->listen(m_jackWake);
    // A server that just started has ports nobody has read yet.
    m_changed.post();
#endif
}

void PortWatcher::jackNoticed()
{
#if defined(DORVANE_HAVE_JACK)
    if (m_jack && m_jack->ended())
        m_retry.start(); // a new server gives no notice
#endif
    m_changed.post();
    m_settle.start();
}

} // namespace dorvane
