// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clitransfercommands.h"

#include "transfer/dumpinput.h"

#include "editor/parameterwords.h"
#include "midi/builtininstrument.h"
#include "midi/midideviceregistry.h"
#include "midi/midisender.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "patch/fileio.h"
#include "patch/rolandmessage.h"
#include "patch/textlines.h"
#include "transfer/devicematch.h"
#include "transfer/dumpreceiver.h"
#include "transfer/inputsettle.h"
#include "transfer/instrumentsearch.h"
#include "transfer/sendcheck.h"
#include "transfer/sendverify.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace dorvane::cli {

namespace {

// The program's devices, with the built-in instrument added as the window adds it.
MidiDeviceRegistry& devices()
{
    static MidiDeviceRegistry& registry = []() -> MidiDeviceRegistry& {
        MidiDeviceRegistry& r = MidiDeviceRegistry::application();
        const QString perf = QCoreApplication::applicationDirPath() + "/perf.syx";
        r.addSource(std::make_shared<BuiltInInstrument>(perf.toStdString()));
        return r;
    }();
    return registry;
}

std::string quoted(const std::string& name)
{
    return "\"" + name + "\"";
}

// Device -1 is Dorvane's own virtual port, where the system offers one.
DeviceMatch matchOrVirtual(const std::vector<std::string>& names, bool hasVirtual,
                           const std::string& wanted, const std::string& kind)
{
    if (wanted != "-1")
        return matchDevice(names, wanted, kind);
    if (hasVirtual)
        return {-1, {}};
    return {std::nullopt, "this system offers no virtual " + kind + " port (device -1)"};
}

// Opens the output device a script named, or says on err why not.
bool openOutput(TMidiOutput& port, const std::string& wanted, std::ostream& err)
{
    const DeviceMatch m =
        matchOrVirtual(devices().outputNames(), devices().hasVirtualOutput(), wanted, "output");
    if (!m.id) {
        err << m.problem << '\n';
        return false;
    }
    port.SetDeviceID(*m.id);
    if (!port.Open()) {
        err << "cannot open output device " << *m.id << ' '
            << quoted(port.ProductName().toStdString()) << " (error " << port.LastError() << ")\n";
        return false;
    }
    return true;
}

bool openInput(TMidiInput& port, const std::string& wanted, std::ostream& err)
{
    const DeviceMatch m =
        matchOrVirtual(devices().inputNames(), devices().hasVirtualInput(), wanted, "input");
    if (!m.id) {
        err << m.problem << '\n';
        return false;
    }
    prepareForDumps(port); // as the window's input port is
    port.SetDeviceID(*m.id);
    port.Open();
    if (port.State() != misOpen) {
        err << "cannot open input device " << *m.id << ' '
            << quoted(port.ProductName().toStdString()) << " (error " << port.Error() << ")\n";
        return false;
    }
    return true;
}

void list(std::ostream& out, const char* title, const std::vector<std::string>& names,
          const std::optional<std::string>& virtualName)
{
    out << title << ":\n";
    if (virtualName)
        out << "  -1  " << *virtualName << '\n';
    if (names.empty())
        out << "  (none)\n";
    for (std::size_t i = 0; i < names.size(); ++i)
        out << "  " << i << "  " << names[i] << '\n';
}

} // namespace

int ports(std::ostream& out, std::ostream&)
{
    MidiDeviceRegistry& d = devices();
    list(out, "Output devices", d.outputNames(),
         d.hasVirtualOutput() ? d.outputName(-1) : std::nullopt);
    list(out, "Input devices", d.inputNames(),
         d.hasVirtualInput() ? d.inputName(-1) : std::nullopt);
    return 0;
}

namespace {

// Sends every byte of the file as it stands and waits until the port has
// taken them; false with one line on err when it failed.
bool sendFileBytes(const std::string& file, TMidiOutput& output, MidiSender& sender,
                   std::ostream& err)
{
    QEventLoop loop;
    QString failure;
    QObject::connect(&sender, &MidiSender::sendFailed, &loop, [&](const QString& text) {
        if (failure.isEmpty())
            failure = text;
        loop.quit();
    });
    QObject::connect(&sender, &MidiSender::queueEmpty, &loop, &QEventLoop::quit);
    if (sender.SendFile(QString::fromStdString(file)) && failure.isEmpty())
        loop.exec();
    if (!failure.isEmpty()) {
        err << "sending to " << quoted(output.ProductName().toStdString())
            << " failed: " << failure.toStdString() << '\n';
        return false;
    }
    return true;
}

// The window's words for parameters, with the wave names of the list beside
// the program when it is there.
BindingWords parameterWords()
{
    QStringList waves;
    try {
        const Bytes text =
            readWholeFile((QCoreApplication::applicationDirPath() + "/wavelist.txt").toStdString());
        for (const std::string& line :
             textLines(std::string_view(reinterpret_cast<const char*>(text.data()), text.size())))
            waves << QString::fromStdString(line);
    } catch (const FileError&) {
        // Without the list a wave is named by its number.
    }
    return BindingWords(waves);
}

// Sends the request and waits for the dump the receiver was started for, at
// most `timeoutSeconds`: the result, or nothing with the sender's failure, if
// any, in `failure` (the receiver then holds what came in part).
std::optional<DumpResult> awaitDump(MidiSender& sender, DumpReceiver& receiver,
                                    const Bytes& request, double timeoutSeconds, QString& failure)
{
    QEventLoop loop;
    std::optional<DumpResult> result;
    QObject::connect(&receiver, &DumpReceiver::finished, &loop, [&](const DumpResult& r) {
        result = r;
        loop.quit();
    });
    QObject::connect(&sender, &MidiSender::sendFailed, &loop, [&](const QString& text) {
        failure = text;
        loop.quit();
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    sender.SendLong(request);
    timer.start(int(std::lround(timeoutSeconds * 1000)));
    loop.exec();
    return result;
}

// Asks the instrument for the area and waits for the whole dump, or for the
// time. Nothing with one line on err when it did not come.
std::optional<DumpResult> readBack(const VerifyArea& area, TMidiOutput& output, TMidiInput& input,
                                   MidiSender& sender, double timeoutSeconds, std::ostream& err)
{
    {
        // Echoes of the file (a MIDI thru, a loop) pass before the request goes.
        InputSettle settle(&input);
        QEventLoop quiet;
        QObject::connect(&settle, &InputSettle::settled, &quiet, &QEventLoop::quit);
        settle.start();
        quiet.exec();
    }
    DumpReceiver receiver(&input);
    receiver.SetTempFile({});
    area.startReception(receiver);
    QString failure;
    if (std::optional<DumpResult> result =
            awaitDump(sender, receiver, area.request(), timeoutSeconds, failure))
        return result;
    const std::optional<DumpResult> partial = receiver.finish();
    if (!failure.isEmpty())
        err << "the Data Request could not be sent to "
            << quoted(output.ProductName().toStdString()) << ": " << failure.toStdString() << '\n';
    else if (partial && holdsRequest(partial->received, area.request()))
        err << "timed out after " << timeoutSeconds << " s: " << LoopProblem << '\n';
    else
        err << "timed out after " << timeoutSeconds << " s: received "
            << (partial ? partial->received.size() : 0) << " bytes, expected " << area.blockSize()
            << '\n';
    return std::nullopt;
}

} // namespace

int send(const std::string& file, const std::string& outPort, int pauseMs, std::uint8_t deviceId,
         std::ostream& out, std::ostream& err, const std::optional<VerifyOptions>& verify)
{
    Bytes bytes;
    try {
        bytes = readWholeFile(file);
    } catch (const FileError& e) {
        err << e.what() << '\n';
        return 1;
    }
    if (const auto problem = sysexFileProblem(bytes)) {
        err << file << " is not a sysex file: " << *problem << '\n';
        return 1;
    }
    // What a verify reads back is known before anything goes out: a file it
    // cannot check is refused unsent.
    const FileArea area = verify ? verifyAreaOfFile(bytes) : FileArea{};
    if (verify && !area.area) {
        err << file << " cannot be verified: " << area.problem << '\n';
        return 1;
    }
    TMidiOutput output(devices());
    TMidiInput input(devices());
    if (!openOutput(output, outPort, err) || (verify && !openInput(input, verify->inPort, err)))
        return 1;

    MidiSender sender;
    sender.SetOutput(&output);
    sender.SetMessagePause(pauseMs);
    sender.SetInstrumentDeviceId(deviceId);
    if (!sendFileBytes(file, output, sender, err))
        return 1;
    out << "Sent " << bytes.size() << " bytes (" << splitSysex(bytes).size() << " messages) to "
        << quoted(output.ProductName().toStdString()) << '\n';
    if (!verify) {
        output.Close();
        return 0;
    }

    const VerifyArea& what = *area.area;
    const std::optional<DumpResult> result =
        readBack(what, output, input, sender, verify->timeoutSeconds, err);
    if (!result)
        return 1;
    const BindingWords words = parameterWords();
    const VerifyVerdict verdict = verifyVerdict(
        what, ByteView(bytes).subspan(area.blockOffset, what.blockSize()), *result, &words);
    const std::string from = quoted(input.ProductName().toStdString());
    switch (verdict.outcome) {
    case VerifyVerdict::Outcome::Clean:
        out << "Verified: " << what.name() << " read back from " << from << " as sent\n";
        return 0;
    case VerifyVerdict::Outcome::Differs:
        for (const ImageDifference& d : verdict.differences)
            out << differenceSentence(d) << '\n';
        err << "verify failed: " << differenceSummary(verdict.differences) << " read back from "
            << from << '\n';
        return VerifyDiffers;
    case VerifyVerdict::Outcome::NotRead:
        break;
    }
    err << "sent, but " << what.name() << " could not be read back from " << from << ": "
        << verdict.problem << '\n';
    return 1;
}

int get(std::optional<int> part, const std::string& outPort, const std::string& inPort,
        const std::string& file, double timeoutSeconds, std::uint8_t deviceId, std::ostream& out,
        std::ostream& err)
{
    TMidiOutput output(devices());
    TMidiInput input(devices());
    if (!openOutput(output, outPort, err) || !openInput(input, inPort, err))
        return 1;
    MidiSender sender;
    sender.SetOutput(&output);
    sender.SetInstrumentDeviceId(deviceId);
    DumpReceiver receiver(&input);
    receiver.SetTempFile({}); // the output file is the record; no temp file for scripts

    if (part)
        receiver.startPart(*part);
    else
        receiver.startAll();
    QString failure;
    const std::optional<DumpResult> result =
        awaitDump(sender, receiver, part ? requestMessageForPart(*part) : requestAllMessage(),
                  timeoutSeconds, failure);

    if (!result) {
        const std::optional<DumpResult> partial = receiver.finish();
        const std::size_t count = partial ? partial->received.size() : 0;
        if (!failure.isEmpty())
            err << "the Data Request could not be sent to "
                << quoted(output.ProductName().toStdString()) << ": " << failure.toStdString()
                << '\n';
        else
            err << "timed out after " << timeoutSeconds << " s: received " << count
                << " bytes, expected " << receiver.ExpectedCount() << '\n';
        return 1;
    }
    if (!result->loadable()) {
        err << result->status.toStdString() << '\n';
        return 1;
    }
    try {
        writeFileAtomically(file, *result->block);
    } catch (const FileError& e) {
        err << e.what() << '\n';
        return 1;
    }
    out << "Received " << result->block->size() << " bytes from "
        << quoted(input.ProductName().toStdString()) << ", written to " << file << '\n';
    return 0;
}

std::optional<std::uint8_t> parseDeviceId(const std::string& text)
{
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 2)
        return std::nullopt;
    int value = 0;
    for (char c : digits) {
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                      : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                  : -1;
        if (d < 0)
            return std::nullopt;
        value = value * 16 + d;
    }
    if (value > 0x7F)
        return std::nullopt;
    return std::uint8_t(value);
}

namespace {

std::string hexByte(std::uint8_t b)
{
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", b);
    return buf;
}

std::string pairText(const SearchPair& p)
{
    const std::string output =
        p.output == SearchPair::UnknownOutput
            ? std::string("an output not found again")
            : "output " + std::to_string(p.output) + " " + quoted(p.outputName);
    return output + " and input " + std::to_string(p.input) + " " + quoted(p.inputName);
}

void printIdentities(std::ostream& out, const SearchPair& p)
{
    for (const IdentityReply& r : p.identities)
        out << "  identity reply: " << identityText(r)
            << (isBuiltInIdentity(r) ? " (Dorvane's built-in instrument)" : "") << '\n';
}

} // namespace

int find(std::ostream& out, std::ostream& err)
{
    MidiDeviceRegistry& registry = devices();
    InstrumentSearch search(registry);
    QEventLoop loop;
    QObject::connect(&search, &InstrumentSearch::finished, &loop, &QEventLoop::quit);
    search.start();
    if (search.isRunning())
        loop.exec();
    const InstrumentSearchResult& r = search.result();
    for (const std::string& problem : r.problems)
        err << problem << '\n';

    int silent = 0;
    for (const SearchPair& p : r.pairs) {
        switch (p.verdict) {
        case SearchPair::Instrument:
            out << "Instrument: " << pairText(p) << ", device ID "
                << (p.deviceId ? hexByte(*p.deviceId) : std::string("unknown"));
            if (p.patchName)
                out << ", part 1 " << quoted(*p.patchName);
            out << '\n';
            printIdentities(out, p);
            break;
        case SearchPair::Answered:
            out << "Answered, but with no Data Set of this model: " << pairText(p) << '\n';
            printIdentities(out, p);
            break;
        case SearchPair::Loop:
            out << "Loop (only echoes of what was sent came back): " << pairText(p) << '\n';
            break;
        case SearchPair::Silent:
        case SearchPair::NotTried:
            ++silent;
            break;
        }
    }
    if (silent)
        out << "No answer: " << silent << (silent == 1 ? " other pair\n" : " other pairs\n");
    if (!r.instrument()) {
        err << "no instrument answered on " << registry.outputCount() << " outputs and "
            << registry.inputCount() << " inputs\n";
        return 1;
    }
    return 0;
}

} // namespace dorvane::cli
