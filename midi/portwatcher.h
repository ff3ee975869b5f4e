// SPDX-License-Identifier: GPL-3.0-or-later
// Tells when the operating system's MIDI ports may have come or gone, with
// one listener per system kept for as long as the watcher lives:
//
// - ALSA: a sequencer client subscribed to the System Announce port. Its
//   descriptor is watched on the main thread; no thread of ours.
// - JACK: the process's one JackWatch client, listened to; its notices and
//   the server's end post the wake-up; a moment after the notices settle the
//   wake-up is posted once more (JACK may list a port for a moment after
//   telling that it went). While no server runs a new client is tried once a
//   second: a server that starts gives no notice.
// - Any other system RtMidi was built with gives no notice here: the watcher
//   posts once a second and the names are compared.
//
// Posts may come when nothing changed (Dorvane's own ports come and go too);
// the receiver compares the names. Main thread, but for the posts.
#pragma once

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dorvane {

class JackWatch;
class WakeUp;

class PortWatcher : public QObject
{
    Q_OBJECT

public:
    // How often a missing listener is tried again, and how often a system
    // without notice is read.
    static constexpr int RetryMs = 1000;
    // After JACK's last notice, when the names are read once more.
    static constexpr int SettleMs = 250;

    // `clientName` is the program's client name; the listeners take names of
    // their own after it, so that Dorvane's ports keep theirs.
    PortWatcher(const std::string& clientName, WakeUp& changed, QObject* parent = nullptr);
    ~PortWatcher() override;

    bool alsaListening() const;
    bool jackListening() const;

private:
    struct Alsa;

    void tryListeners();
    void openAlsa();
    void readAlsa();
    void openJack();
    void jackNoticed();

    std::string m_clientName;
    WakeUp& m_changed;
    // JACK's notices come through here first, so that an ended server is
    // seen on the main thread before the names are read.
    WakeUp* m_jackWake;
    QTimer m_retry;
    // JACK may still list a port for a moment after its notice that the
    // port went: the names are read once more when the notices settle.
    QTimer m_settle;
    bool m_pollNames = false;
    std::unique_ptr<Alsa> m_alsa;
    // Shared with the driver's own use of it: one JACK client for both.
    std::shared_ptr<JackWatch> m_jack;
};

} // namespace dorvane
