// SPDX-License-Identifier: GPL-3.0-or-later
// Finds which output and input lead to the instrument: every output is sent
// the universal Identity Request and the Data Request for part 1's name
// (device ID 10, and any other ID an identity reply names), and every input
// listens. An input that answers with a Data Set of this model is the
// instrument's; a message byte for byte one the search sent is an echo (a
// MIDI thru loop), never an answer.
//
// All pairs get their time at once: the requests go to every output together
// and every input listens for at most PairTimeoutMs, so silent pairs cost one
// second in all rather than one each. An input that heard something is then
// matched to its output by asking the outputs one at a time (those whose name
// is most like the input's first), each only as long as the first round's
// answer took, a few times over, and never past PairTimeoutMs.
//
// Uses the registry's devices as they stand (refresh it first to see devices
// plugged in since) but not Dorvane's own virtual ports; a device already
// open elsewhere that cannot be opened twice is reported and left out.
// Main thread only.
#pragma once

#include "patch/identity.h"
#include "patch/layout.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dorvane {

class MidiDeviceRegistry;
class TMidiInput;
class TMidiOutput;

struct SearchPair
{
    enum Verdict
    {
        NotTried,   // stopped before the pair had its time
        Silent,     // nothing came back
        Loop,       // only echoes of what was sent came back: a MIDI thru loop
        Answered,   // something answered (an identity reply), but no Data Set of this model
        Instrument, // a Data Set of this model came back
    };

    // The output of a pair whose input heard an answer no output would give again.
    static constexpr int UnknownOutput = -2;

    int output = 0; // device numbers of the registry
    std::string outputName;
    int input = 0;
    std::string inputName;
    Verdict verdict = NotTried;
    // The device ID the instrument answered with: every message to it is to
    // carry this one.
    std::optional<std::uint8_t> deviceId;
    // Part 1's name as the instrument answered it.
    std::optional<std::string> patchName;
    // Identity replies as received, in order, each once.
    std::vector<IdentityReply> identities;

    bool isInstrument() const { return verdict == Instrument; }
    // One of the identity replies is the built-in instrument's own.
    bool builtIn() const;
};

struct InstrumentSearchResult
{
    // Every output with every input, output by output; pairs of an input
    // whose output was not found follow with UnknownOutput.
    std::vector<SearchPair> pairs;
    bool stopped = false;
    // Devices that could not be opened or failed on the way, for the musician.
    std::vector<std::string> problems;

    // The first pair found to be the instrument, or none.
    const SearchPair* instrument() const;
};

class InstrumentSearch : public QObject
{
    Q_OBJECT

public:
    static constexpr int PairTimeoutMs = 1000;
    // The shortest a matching step waits, however fast the first answer came.
    static constexpr int MatchFloorMs = 50;
    static constexpr int ListeningShare = 80;
    static constexpr int ProgressTickMs = 100;

    explicit InstrumentSearch(MidiDeviceRegistry& devices, QObject* parent = nullptr);
    ~InstrumentSearch() override;

    // Opens every device and starts; finished follows on a later turn, even
    // when there is nothing to search. False (and nothing starts) while running.
    bool start();
    // Ends the search now: the ports close and finished follows at once, with
    // the pairs not yet through as NotTried. Nothing while not running.
    void stop();
    bool isRunning() const { return m_phase != Phase::Idle; }

    // The last search's result (empty before the first has finished).
    const InstrumentSearchResult& result() const { return m_result; }

signals:
    // 0 to 100, and what is going on. The first round, in which every pair
    // has its time at once, is the first ListeningShare percent, by the clock
    // (a step every ProgressTickMs); matching inputs to their outputs the rest,
    // by outputs tried.
    void progress(int percent, const QString& text);
    // One pair has its verdict (silent pairs come together at the end of the
    // first round).
    void pairFinished(const dorvane::SearchPair& pair);
    void finished(const dorvane::InstrumentSearchResult& result);

private:
    enum class Phase
    {
        Idle,
        Listening,
        Matching,
    };
    struct Heard
    {
        bool echo = false;
        bool identity = false;
        bool answer = false;
        std::optional<std::uint8_t> deviceId;
        std::optional<std::string> patchName;
        std::vector<IdentityReply> identities;
        qint64 latestMs = 0; // after the requests went out
    };
    struct Input
    {
        int id;
        std::string name;
        std::unique_ptr<TMidiInput> port;
        Bytes stream; // bytes of a message not yet complete
        Heard first;  // what the first round brought
        Heard step;   // what the current matching step brought
        bool matched = false;
    };
    struct Output
    {
        int id;
        std::string name;
        std::unique_ptr<TMidiOutput> port;
    };

    void openPorts();
    void sendRequests(Output& output, const std::vector<Bytes>& messages);
    void drain(std::size_t input);
    void heard(std::size_t input, ByteView message);
    void endListening();
    void nextStep();
    void endStep();
    void finish(bool stopped);
    void closePorts();
    void tick();
    void addPair(const Output* output, const Input& input, const Heard* heard);
    std::vector<std::size_t> outputsByLikeness() const;

    MidiDeviceRegistry& m_devices;
    Phase m_phase = Phase::Idle;
    std::vector<Input> m_inputs;
    std::vector<Output> m_outputs;
    std::vector<Bytes> m_sent;               // every distinct message sent
    std::vector<std::uint8_t> m_askedIds;    // device IDs the name was asked of
    std::vector<std::size_t> m_pending;      // inputs still to be matched
    std::vector<std::size_t> m_stepOrder;    // outputs still to try
    std::optional<std::size_t> m_stepOutput; // the output being tried
    QElapsedTimer m_clock;                   // since the current requests went out
    QTimer m_timer;
    QTimer m_tick; // progress during the first round
    int m_outputsTried = 0;
    InstrumentSearchResult m_result;
    std::vector<bool> m_pairSeen; // output index * inputs + input index: reported
    int m_total = 0;
};

} // namespace dorvane
