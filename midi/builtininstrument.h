// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated MC-505 listed as one output and one input device, so Dorvane does
// everything it is for without the hardware, and tests have something that
// answers like the instrument. It runs on a thread of its own like a real
// device: what the program sends is queued to it; its answers reach the open
// input, a Data Set message at a time, paced at the MIDI wire rate unless full
// speed is asked for. At the wire rate it also hears what it is sent at that
// rate: each message counts as received once its last byte would have crossed
// the wire, so whatever it is asked after a whole image answers no sooner than
// the hardware would.
#pragma once

#include "midi/mididriver.h"
#include "patch/instrumentstate.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace dorvane {

class BuiltInInstrument : public MidiDriver, public std::enable_shared_from_this<BuiltInInstrument>
{
public:
    static constexpr const char* DeviceName = "MC-505 (built in)";
    // 31,250 baud with start and stop bits: 3,125 bytes a second.
    static constexpr double WireBytesPerSecond = 3125.0;
    // Full speed is a hundred times that, as fast as any MIDI transport here
    // carries data (JACK output is paced the same): a dump then takes
    // milliseconds, and still arrives as a stream a receiver can follow, not as
    // one burst no real device could send.
    static constexpr double FullSpeedBytesPerSecond = 100 * WireBytesPerSecond;

    // imageFile is read when the device is first opened (perf.syx beside the
    // program); a missing or unusable file gives the neutral area.
    explicit BuiltInInstrument(std::string imageFile);
    ~BuiltInInstrument() override;

    MidiDeviceNames devices() override;
    std::unique_ptr<MidiOutputConnection> openOutput(int index, const std::string& name) override;
    std::unique_ptr<MidiInputConnection> openInput(int index, const std::string& name,
                                                   MidiInputSink& sink) override;
    // Always there: nothing to tell, nothing to poll.
    bool watchDevices(WakeUp&) override { return true; }

    // Answers at the wire rate (the default) or at full speed.
    void setFullSpeed(bool fullSpeed);
    bool fullSpeed() const;

    // A copy of the instrument's area and counts, once everything sent to it so
    // far has been handled (waits for its queue to empty, up to timeoutMs).
    Bytes image(int timeoutMs = 5000);
    InstrumentCounts counts(int timeoutMs = 5000);

private:
    class Output;
    class Input;
    friend class Output;
    friend class Input;

    void post(ByteView message);
    void setSink(MidiInputSink* sink);
    void run();
    void ensureState();
    bool waitIdle(std::unique_lock<std::mutex>& lock, int timeoutMs);

    std::string m_imageFile;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    struct Posted
    {
        Bytes message;
        std::chrono::steady_clock::time_point at;
    };
    std::deque<Posted> m_queue;
    // When the last message heard had wholly crossed the wire in.
    std::chrono::steady_clock::time_point m_heard;
    bool m_busy = false;
    bool m_stop = false;
    bool m_fullSpeed = false;
    MidiInputSink* m_sink = nullptr;
    std::unique_ptr<InstrumentState> m_state;
    std::thread m_thread;
};

} // namespace dorvane
