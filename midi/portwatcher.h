// SPDX-License-Identifier: GPL-3.0-or-later
// Tells when the operating system's MIDI ports may have come or gone, with
// one listener per system kept for as long as the watcher lives:
//
// - ALSA: a sequencer client subscribed to the System Announce port. Its
//   descriptor is watched on the main thread; no thread of ours.
// - JACK: one client whose port registration and rename callbacks (on
//   libjack's thread) post the wake-up, and whose shutdown callback says the
//   server ended; a moment after the notices settle the wake-up is posted
//   once more (JACK may list a port for a moment after telling that it
//   went). A client whose server ended is kept, never closed (closing
//   it crashes inside libjack), and a new one is tried once a second, as
//   long as no server runs: a server that starts gives no notice.
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

    struct JackPorts
    {
        std::vector<std::string> inputs;  // MIDI ports others read: where to send
        std::vector<std::string> outputs; // MIDI ports others write: where to listen
    };
    // The JACK server's MIDI ports by their full names, read through the
    // listener's own client (no client of its own, unlike a listing through
    // RtMidi); nothing while no listener is attached to a running server.
    std::optional<JackPorts> jackPorts() const;

private:
    struct Alsa;
    struct Jack;

    void tryListeners();
    void openAlsa();
    void readAlsa();
    void openJack();
    void jackNoticed();
    void dropJack();

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
    // Not owned while the server has ended: kept with its dead client.
    Jack* m_jack = nullptr;
};

} // namespace dorvane
