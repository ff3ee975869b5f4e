// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/instrumentsearch.h"

#include "midi/midideviceregistry.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "patch/rolandmessage.h"

#include <algorithm>
#include <climits>

namespace dorvane {

namespace {

// The search hears a few short messages per input: small rings and buffers
// keep a dozen open inputs light. A longer message fills several buffers and
// is put together again below.
constexpr std::uint16_t SearchCapacity = 256;
constexpr std::uint16_t SearchBufferSize = 256;
constexpr std::uint16_t SearchBufferCount = 64;
// A message that has not ended by then is no answer of ours.
constexpr std::size_t LongestAwaited = 4096;
// A matching step waits this many times the first round's answer took.
constexpr int LatencyFactor = 3;
// When every input has answered early, what is still on its way gets this
// long before matching starts, so that it is not taken for an answer to the
// first output tried.
constexpr int SettleMs = 50;

void addIdentity(std::vector<IdentityReply>& list, const IdentityReply& reply)
{
    if (std::find(list.begin(), list.end(), reply) == list.end())
        list.push_back(reply);
}

std::size_t commonPrefix(const std::string& a, const std::string& b)
{
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

} // namespace

bool SearchPair::builtIn() const
{
    return std::any_of(identities.begin(), identities.end(), isBuiltInIdentity);
}

const SearchPair* InstrumentSearchResult::instrument() const
{
    for (const SearchPair& p : pairs)
        if (p.isInstrument())
            return &p;
    return nullptr;
}

InstrumentSearch::InstrumentSearch(MidiDeviceRegistry& devices, QObject* parent)
    : QObject(parent), m_devices(devices)
{
    m_tick.setInterval(ProgressTickMs);
    connect(&m_tick, &QTimer::timeout, this, &InstrumentSearch::tick);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_phase == Phase::Listening)
            endListening();
        else if (m_phase == Phase::Matching)
            endStep();
    });
}

InstrumentSearch::~InstrumentSearch()
{
    closePorts();
}

bool InstrumentSearch::start()
{
    if (isRunning())
        return false;
    m_result = {};
    m_sent = {identityRequestMessage(), nameRequestMessage(DeviceId)};
    m_askedIds = {DeviceId};
    m_pending.clear();
    m_stepOrder.clear();
    m_stepOutput.reset();
    m_phase = Phase::Listening;
    openPorts();
    m_total = int(m_outputs.size() * m_inputs.size());
    m_pairSeen.assign(std::size_t(m_total), false);
    m_clock.start();
    for (Output& o : m_outputs)
        sendRequests(o, m_sent);
    m_outputsTried = 0;
    // With nothing to search, the first round ends on the next turn.
    m_timer.start(m_total ? PairTimeoutMs : 0);
    m_tick.start();
    tick();
    return true;
}

void InstrumentSearch::tick()
{
    if (m_phase != Phase::Listening)
        return;
    const qint64 ms = std::min<qint64>(m_clock.elapsed(), PairTimeoutMs);
    // Said in full: with no translation loaded, %n leaves "input(s)" as it stands.
    emit progress(int(ms * ListeningShare / PairTimeoutMs),
                  m_inputs.size() == 1
                      ? tr("Listening on 1 input for an answer")
                      : tr("Listening on %1 inputs for an answer").arg(m_inputs.size()));
}

void InstrumentSearch::stop()
{
    if (isRunning())
        finish(true);
}

void InstrumentSearch::openPorts()
{
    // Reserved first: the ports' signals find their entry by index.
    m_inputs.clear();
    m_outputs.clear();
    m_inputs.reserve(std::size_t(m_devices.inputCount()));
    m_outputs.reserve(std::size_t(m_devices.outputCount()));
    for (int id = 0; id < m_devices.inputCount(); ++id) {
        const std::string name = m_devices.inputName(id).value_or(std::string());
        auto port = std::make_unique<TMidiInput>(m_devices);
        port->SetCapacity(SearchCapacity);
        port->SetSysexBufferSize(SearchBufferSize);
        port->SetSysexBufferCount(SearchBufferCount);
        port->SetSysexOnly(true);
        port->SetDeviceID(id);
        port->Open();
        if (port->State() != misOpen) {
            m_result.problems.push_back("cannot open input device " + std::to_string(id) + " \"" +
                                        name + "\" (error " + std::to_string(port->Error()) + ")");
            continue;
        }
        const std::size_t index = m_inputs.size();
        connect(port.get(), &TMidiInput::OnMidiInput, this, [this, index] { drain(index); });
        port->Start();
        m_inputs.push_back({id, name, std::move(port), {}, {}, {}, false});
    }
    for (int id = 0; id < m_devices.outputCount(); ++id) {
        const std::string name = m_devices.outputName(id).value_or(std::string());
        auto port = std::make_unique<TMidiOutput>(m_devices);
        port->SetDeviceID(id);
        if (!port->Open()) {
            m_result.problems.push_back("cannot open output device " + std::to_string(id) + " \"" +
                                        name + "\" (error " + std::to_string(port->LastError()) +
                                        ")");
            continue;
        }
        connect(port.get(), &TMidiOutput::deviceLost, this,
                [this](const QString& text) { m_result.problems.push_back(text.toStdString()); });
        m_outputs.push_back({id, name, std::move(port)});
    }
}

void InstrumentSearch::sendRequests(Output& output, const std::vector<Bytes>& messages)
{
    if (!output.port->IsOpen())
        return;
    try {
        for (const Bytes& m : messages)
            output.port->SendLongMessage(m);
    } catch (const EmidioutputError& e) {
        m_result.problems.push_back("output device " + std::to_string(output.id) + " \"" +
                                    output.name + "\": " + e.what());
    }
}

void InstrumentSearch::drain(std::size_t index)
{
    Input& in = m_inputs[index];
    while (in.port && in.port->State() == misOpen) {
        const std::optional<TMyMidiEvent> event = in.port->TakeEvent();
        if (!event)
            break;
        const std::size_t count =
            std::min<std::size_t>(event->SysexByteCount, event->SysexBytes.size());
        in.stream.insert(in.stream.end(), event->SysexBytes.begin(),
                         event->SysexBytes.begin() + std::ptrdiff_t(count));
        // Whole messages out of the stream; a new F0 before the F7 starts afresh.
        for (;;) {
            const auto start = std::find(in.stream.begin(), in.stream.end(), SysexStart);
            in.stream.erase(in.stream.begin(), start);
            if (in.stream.empty())
                break;
            const auto next = std::find_if(in.stream.begin() + 1, in.stream.end(),
                                           [](std::uint8_t b) { return b & 0x80; });
            if (next == in.stream.end()) {
                if (in.stream.size() > LongestAwaited)
                    in.stream.clear();
                break;
            }
            if (*next != SysexEnd) {
                in.stream.erase(in.stream.begin(), next);
                continue;
            }
            const Bytes message(in.stream.begin(), next + 1);
            in.stream.erase(in.stream.begin(), next + 1);
            heard(index, message);
            if (!isRunning())
                return;
        }
    }
}

void InstrumentSearch::heard(std::size_t index, ByteView message)
{
    Input& in = m_inputs[index];
    const ProbeReply reply = classifyReply(message, m_sent);
    if (reply.kind == ReplyKind::Other)
        return;
    Heard& h = m_phase == Phase::Listening ? in.first : in.step;
    if (m_phase == Phase::Matching &&
        std::find(m_pending.begin(), m_pending.end(), index) == m_pending.end())
        return; // matched already, or a late answer on a quiet input: proves nothing now
    h.latestMs = m_clock.elapsed();
    switch (reply.kind) {
    case ReplyKind::Echo:
        h.echo = true;
        break;
    case ReplyKind::Identity:
        h.identity = true;
        addIdentity(h.identities, *reply.identity);
        // The instrument may be set to another device ID: ask that one too.
        if (reply.device != AllCall &&
            std::find(m_askedIds.begin(), m_askedIds.end(), reply.device) == m_askedIds.end()) {
            m_askedIds.push_back(reply.device);
            const Bytes request = nameRequestMessage(reply.device);
            m_sent.push_back(request);
            if (m_phase == Phase::Listening) {
                for (Output& o : m_outputs)
                    sendRequests(o, {request});
            } else if (m_stepOutput) {
                sendRequests(m_outputs[*m_stepOutput], {request});
            }
        }
        break;
    case ReplyKind::Answer:
        h.answer = true;
        if (!h.deviceId)
            h.deviceId = reply.device;
        if (reply.patchName && !h.patchName)
            h.patchName = reply.patchName;
        break;
    case ReplyKind::Other:
        break;
    }

    if (m_phase == Phase::Listening) {
        // Every input has answered: no more can be learnt by waiting.
        if (std::all_of(m_inputs.begin(), m_inputs.end(),
                        [](const Input& i) { return i.first.answer; }) &&
            m_timer.remainingTime() > SettleMs)
            m_timer.start(SettleMs);
        return;
    }
    // The step ends early once every input it waits for has heard what it
    // heard in the first round.
    const bool all = std::all_of(m_pending.begin(), m_pending.end(), [this](std::size_t i) {
        const Heard& first = m_inputs[i].first;
        const Heard& now = m_inputs[i].step;
        return first.answer ? now.answer : first.identity ? now.identity : now.echo;
    });
    if (all)
        endStep();
}

void InstrumentSearch::endListening()
{
    m_timer.stop();
    m_tick.stop();
    for (std::size_t i = 0; i < m_inputs.size(); ++i) {
        const Heard& h = m_inputs[i].first;
        if (h.echo || h.identity || h.answer) {
            m_pending.push_back(i);
            continue;
        }
        for (const Output& o : m_outputs) {
            addPair(&o, m_inputs[i], nullptr);
            if (!isRunning())
                return;
        }
    }
    m_phase = Phase::Matching;
    m_stepOrder = outputsByLikeness();
    nextStep();
}

std::vector<std::size_t> InstrumentSearch::outputsByLikeness() const
{
    // The two ends of one device mostly share the start of their names.
    auto likeness = [this](std::size_t o) {
        std::size_t best = 0;
        for (std::size_t i : m_pending)
            best = std::max(best, commonPrefix(m_outputs[o].name, m_inputs[i].name));
        return best;
    };
    std::vector<std::size_t> order(m_outputs.size());
    for (std::size_t o = 0; o < order.size(); ++o)
        order[o] = o;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return likeness(a) > likeness(b); });
    return order;
}

void InstrumentSearch::nextStep()
{
    if (m_pending.empty() || m_stepOrder.empty()) {
        finish(false);
        return;
    }
    m_stepOutput = m_stepOrder.front();
    m_stepOrder.erase(m_stepOrder.begin());
    qint64 slowest = 0;
    for (std::size_t i : m_pending) {
        m_inputs[i].step = {};
        slowest = std::max(slowest, m_inputs[i].first.latestMs);
    }
    Output& o = m_outputs[*m_stepOutput];
    emit progress(ListeningShare + (100 - ListeningShare) * m_outputsTried++ /
                                       int(std::max<std::size_t>(m_outputs.size(), 1)),
                  tr("Trying output %1 \"%2\"").arg(o.id).arg(QString::fromStdString(o.name)));
    if (!isRunning())
        return;
    const int wait =
        std::clamp(int(slowest) * LatencyFactor, int(MatchFloorMs), int(PairTimeoutMs));
    m_clock.start();
    std::vector<Bytes> probe = {identityRequestMessage()};
    for (std::uint8_t id : m_askedIds)
        probe.push_back(nameRequestMessage(id));
    sendRequests(o, probe);
    m_timer.start(wait);
}

void InstrumentSearch::endStep()
{
    m_timer.stop();
    if (!m_stepOutput)
        return;
    const Output& o = m_outputs[*m_stepOutput];
    std::vector<std::size_t> still;
    for (std::size_t i : m_pending) {
        Input& in = m_inputs[i];
        const Heard& first = in.first;
        Heard& now = in.step;
        const bool same = first.answer ? now.answer : first.identity ? now.identity : now.echo;
        if (!same) {
            addPair(&o, in, nullptr);
            if (!isRunning())
                return;
            still.push_back(i);
            continue;
        }
        // What this step brought, with what only the first round caught.
        for (const IdentityReply& r : first.identities)
            addIdentity(now.identities, r);
        if (!now.patchName)
            now.patchName = first.patchName;
        in.matched = true;
        addPair(&o, in, &now);
        if (!isRunning())
            return;
    }
    m_pending = std::move(still);
    m_stepOutput.reset();
    nextStep();
}

void InstrumentSearch::addPair(const Output* output, const Input& input, const Heard* heard)
{
    SearchPair p;
    p.output = output ? output->id : SearchPair::UnknownOutput;
    p.outputName = output ? output->name : std::string();
    p.input = input.id;
    p.inputName = input.name;
    p.verdict = SearchPair::Silent;
    if (heard) {
        p.verdict = heard->answer     ? SearchPair::Instrument
                    : heard->identity ? SearchPair::Answered
                    : heard->echo     ? SearchPair::Loop
                                      : SearchPair::Silent;
        p.deviceId = heard->deviceId;
        p.patchName = heard->patchName;
        p.identities = heard->identities;
    }
    if (output) {
        const std::size_t o = std::size_t(output - m_outputs.data());
        const std::size_t i = std::size_t(&input - m_inputs.data());
        const std::size_t at = o * m_inputs.size() + i;
        if (m_pairSeen[at])
            return;
        m_pairSeen[at] = true;
    }
    m_result.pairs.push_back(p);
    emit pairFinished(p);
}

void InstrumentSearch::finish(bool stopped)
{
    m_timer.stop();
    m_tick.stop();
    const Phase was = m_phase;
    m_phase = Phase::Idle;
    closePorts();
    // Every pair not reported yet: not tried when stopped; otherwise its input
    // answered another output, or no output would make it answer again.
    for (std::size_t o = 0; o < m_outputs.size(); ++o)
        for (std::size_t i = 0; i < m_inputs.size(); ++i) {
            if (m_pairSeen[o * m_inputs.size() + i])
                continue;
            m_pairSeen[o * m_inputs.size() + i] = true;
            SearchPair p;
            p.output = m_outputs[o].id;
            p.outputName = m_outputs[o].name;
            p.input = m_inputs[i].id;
            p.inputName = m_inputs[i].name;
            p.verdict = stopped ? SearchPair::NotTried : SearchPair::Silent;
            m_result.pairs.push_back(p);
            emit pairFinished(p);
        }
    if (!stopped && was == Phase::Matching)
        for (std::size_t i : m_pending)
            addPair(nullptr, m_inputs[i], &m_inputs[i].first);
    // Output by output, as the musician reads them.
    std::stable_sort(m_result.pairs.begin(), m_result.pairs.end(),
                     [](const SearchPair& a, const SearchPair& b) {
                         const int ka = a.output == SearchPair::UnknownOutput ? INT_MAX : a.output;
                         const int kb = b.output == SearchPair::UnknownOutput ? INT_MAX : b.output;
                         return ka != kb ? ka < kb : a.input < b.input;
                     });
    m_result.stopped = stopped;
    m_pending.clear();
    m_stepOutput.reset();
    emit progress(100, stopped ? tr("Stopped") : tr("Done"));
    emit finished(m_result);
}

void InstrumentSearch::closePorts()
{
    for (Input& in : m_inputs)
        if (in.port)
            in.port->Close();
    for (Output& o : m_outputs)
        if (o.port)
            o.port->Close();
}

} // namespace dorvane
