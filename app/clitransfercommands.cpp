// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clitransfercommands.h"

#include "transfer/dumpinput.h"

#include "midi/builtininstrument.h"
#include "midi/midideviceregistry.h"
#include "midi/midisender.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "patch/fileio.h"
#include "patch/rolandmessage.h"
#include "transfer/devicematch.h"
#include "transfer/dumpreceiver.h"
#include "transfer/sendcheck.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
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

int send(const std::string& file, const std::string& outPort, int pauseMs, std::ostream& out,
         std::ostream& err)
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
    TMidiOutput output(devices());
    if (!openOutput(output, outPort, err))
        return 1;

    MidiSender sender;
    sender.SetOutput(&output);
    sender.SetMessagePause(pauseMs);
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
        return 1;
    }
    out << "Sent " << bytes.size() << " bytes (" << splitSysex(bytes).size() << " messages) to "
        << quoted(output.ProductName().toStdString()) << '\n';
    output.Close();
    return 0;
}

int get(std::optional<int> part, const std::string& outPort, const std::string& inPort,
        const std::string& file, double timeoutSeconds, std::ostream& out, std::ostream& err)
{
    TMidiOutput output(devices());
    TMidiInput input(devices());
    if (!openOutput(output, outPort, err) || !openInput(input, inPort, err))
        return 1;
    MidiSender sender;
    sender.SetOutput(&output);
    DumpReceiver receiver(&input);
    receiver.SetTempFile({}); // the output file is the record; no temp file for scripts

    QEventLoop loop;
    std::optional<DumpResult> result;
    QString failure;
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

    if (part)
        receiver.startPart(*part);
    else
        receiver.startAll();
    sender.SendLong(part ? requestMessageForPart(*part) : requestAllMessage());
    timer.start(int(std::lround(timeoutSeconds * 1000)));
    loop.exec();

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

} // namespace dorvane::cli
