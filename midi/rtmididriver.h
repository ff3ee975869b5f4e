// SPDX-License-Identifier: GPL-3.0-or-later
// The operating system's MIDI through RtMidi: the ports of every RtMidi API
// that starts here (ALSA sequencer, JACK, CoreMIDI, Windows MIDI). An API that
// does not start (no /dev/snd/seq, no JACK server) is left out and the rest go
// on, even when nothing is left. With more than one API answering, each name
// carries the API in front ("JACK: ..."). Dorvane's own ports are not listed:
// its virtual port is device -1, on the first API that has virtual ports.
#pragma once

#include "midi/mididriver.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RtMidiIn;
class RtMidiOut;

namespace dorvane {

class JackWatch;
class PortWatcher;
struct ServerTie;

class RtMidiDriver final : public MidiDriver
{
public:
    // `clientName` is how other programs see Dorvane (the JACK client name).
    explicit RtMidiDriver(std::string clientName = "Dorvane");
    ~RtMidiDriver() override;

    MidiDeviceNames devices() override;
    std::unique_ptr<MidiOutputConnection> openOutput(int index, const std::string& name) override;
    std::unique_ptr<MidiInputConnection> openInput(int index, const std::string& name,
                                                   MidiInputSink& sink) override;
    // Listens to ALSA's and JACK's own notices (see PortWatcher).
    bool watchDevices(WakeUp& changed) override;
    void stopWatching() override;
    // The listeners while watching, else none.
    const PortWatcher* watcher() const;

    // The APIs that answered at the last listing ("ALSA", "JACK", ...).
    std::vector<std::string> liveApis() const;

    // Port names Dorvane gives its own ports.
    static constexpr char OutputPortName[] = "MIDI out";
    static constexpr char InputPortName[] = "MIDI in";
    static constexpr char VirtualPortName[] = "Dorvane virtual port";

private:
    struct ApiPorts
    {
        int api; // RtMidi::Api
        std::string label;
        bool hasVirtualPorts;
        std::vector<std::string> outputs; // the API's own port names
        std::vector<std::string> inputs;
    };
    struct Listed
    {
        std::size_t api; // index into m_live
        std::string portName;
        std::string shown; // as devices() lists it
    };

    // The clients a listing used, per API, until an open takes them over.
    struct Spare
    {
        int api;
        std::unique_ptr<RtMidiOut> out;
        std::unique_ptr<RtMidiIn> in;
        std::uint64_t generation; // of the JACK server they were made under
    };

    static const Listed* listed(const std::vector<Listed>& devices, int index,
                                const std::string& name);
    bool isOwnPort(const std::string& portName) const;
    const ApiPorts* virtualApi() const;
    Spare& spareFor(int api);
    // The API's spare clients, when they are still good to use.
    Spare* liveSpare(int api);
    // Lets the API's spare clients go (closed, or kept unclosed when their
    // server has ended).
    void retireSpare(int api);
    ServerTie tie(int api);

    std::string m_clientName;
    std::vector<ApiPorts> m_live;
    std::vector<Listed> m_outputs;
    std::vector<Listed> m_inputs;
    std::vector<Spare> m_spares;
    std::shared_ptr<JackWatch> m_jackWatch;
    std::unique_ptr<PortWatcher> m_watcher;
};

} // namespace dorvane
