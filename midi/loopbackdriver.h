// SPDX-License-Identifier: GPL-3.0-or-later
// An in-process MIDI driver for tests: named devices, each an output and an
// input. What is sent to a device is kept for the test to read and, with echo
// on, comes back on the device's own input, as through a cable from MIDI out
// to MIDI in. A test can also feed a device's input directly. Deliveries
// arrive on a thread of the input's own, as from a real driver.
//
// The test side (everything but the MidiDriver overrides) may be called from
// any thread.
#pragma once

#include "midi/mididriver.h"
#include "patch/layout.h"

#include <memory>
#include <string>
#include <vector>

namespace dorvane {

class LoopbackDriver final : public MidiDriver
{
public:
    LoopbackDriver();
    ~LoopbackDriver() override;

    // A device with this name, as output and input; listed at the next refresh
    // (a watching registry hears of it at once, as of every change below).
    void addDevice(const std::string& name);
    // The source's own port, offered as device -1.
    void setVirtualPort(const std::string& name);
    // The device is unplugged: no longer listed, and its open connections
    // refuse every message.
    void removeDevice(const std::string& name);
    // Opening the device fails while busy.
    void setBusy(const std::string& name, bool busy);
    // Every message sent to the device fails while failing.
    void setFailing(const std::string& name, bool failing);
    // Whether what is sent comes back on the device's input (on by default).
    void setEcho(const std::string& name, bool echo);
    // How fast the device takes bytes (0: as fast as they come) and the largest
    // single message it takes, for devices opened from now on.
    void setBytesPerSecond(std::size_t bytesPerSecond);
    void setMaxMessageSize(std::size_t bytes);

    // Each message the device was handed, in order.
    std::vector<Bytes> sent(const std::string& name) const;
    Bytes sentBytes(const std::string& name) const;
    void clearSent(const std::string& name);
    // Waits until the device has been handed at least `count` messages.
    bool waitForSent(const std::string& name, std::size_t count, int timeoutMs) const;

    // Deliveries to the device's input, if it is open; false otherwise.
    bool feedShort(const std::string& name, Bytes message);
    bool feedLong(const std::string& name, Bytes bytes);
    // Waits until everything fed (or echoed) so far has been delivered.
    bool waitUntilDelivered(const std::string& name, int timeoutMs) const;
    bool isInputOpen(const std::string& name) const;

    MidiDeviceNames devices() override;
    std::unique_ptr<MidiOutputConnection> openOutput(int index, const std::string& name) override;
    std::unique_ptr<MidiInputConnection> openInput(int index, const std::string& name,
                                                   MidiInputSink& sink) override;
    bool watchDevices(WakeUp& changed) override;
    void stopWatching() override;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

} // namespace dorvane
