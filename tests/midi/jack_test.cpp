// SPDX-License-Identifier: GPL-3.0-or-later
// End to end over a real JACK server: Dorvane's ports open real JACK ports
// through RtMidi, and a peer written on python-rtmidi (tests/midi/jackpeer.py)
// receives what Dorvane sends and sends what Dorvane receives. The server is a
// private `jackd -d dummy`; when it cannot be reached the tests fail.
#include "loopbacksetup.h"
#include "midi/jackwatch.h"
#include "midi/midisender.h"
#include "midi/portwatcher.h"
#include "midi/rtmididriver.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "patch/initialpatch.h"
#include "support/jackserver.h"
#include "support/testutil.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include <unistd.h>

using namespace dorvane;
using namespace dorvane::test;

namespace {

constexpr char Python[] = "/usr/bin/python3";

// One run of the peer script; the test talks to it line by line.
class Peer
{
public:
    explicit Peer(const QStringList& args)
    {
        m_process.setProgram(Python);
        m_process.setArguments(
            QStringList{QString::fromStdString(sourceDir() + "/tests/midi/jackpeer.py")} + args);
        m_process.start();
        m_ready = m_process.waitForStarted(10000) && readLine(15000) == "READY";
    }

    ~Peer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool ready() const { return m_ready; }

    void write(const QByteArray& line) { m_process.write(line + "\n"); }
    void closeInput() { m_process.closeWriteChannel(); }

    QByteArray readLine(int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_process.canReadLine()) {
            if (clock.elapsed() > timeoutMs || !m_process.waitForReadyRead(100)) {
                if (clock.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                    return m_process.canReadLine() ? m_process.readLine().trimmed() : QByteArray();
            }
        }
        return m_process.readLine().trimmed();
    }

    // The messages a receiving peer printed, once it has ended.
    std::vector<Bytes> received(int timeoutMs)
    {
        std::vector<Bytes> messages;
        if (!m_process.waitForFinished(timeoutMs))
            return messages;
        const QList<QByteArray> lines = m_process.readAllStandardOutput().split('\n');
        for (const QByteArray& line : lines)
            if (line.startsWith("MSG "))
                messages.push_back(fromHex(line.mid(4).toStdString()));
        return messages;
    }

private:
    QProcess m_process;
    bool m_ready = false;
};

Bytes concat(const std::vector<Bytes>& parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::string messagesFile(const TempDir& dir, const std::vector<Bytes>& messages)
{
    std::string text;
    for (const Bytes& m : messages)
        text += hex(m) + "\n";
    const std::string name = dir.file("messages.txt");
    writeFile(name, Bytes(text.begin(), text.end()));
    return name;
}

} // namespace

class JackEndToEnd : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        try {
            s_server = new JackServer;
        } catch (const std::exception& e) {
            s_error = e.what();
        }
    }

    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_server) << "the JACK server cannot be reached:\n" << s_error;
        registry.addSource(driver);
    }

    // Lists the devices afresh (the peer's ports appear after it started).
    void refresh() { registry.refresh(); }

    static JackServer* s_server;
    static std::string s_error;
    std::shared_ptr<RtMidiDriver> driver = std::make_shared<RtMidiDriver>();
    MidiDeviceRegistry registry;
};

JackServer* JackEndToEnd::s_server = nullptr;
std::string JackEndToEnd::s_error;

TEST_F(JackEndToEnd, JackIsTheOneLiveApiAndItsDevicesCarryNoPrefix)
{
    EXPECT_NE(std::find(driver->liveApis().begin(), driver->liveApis().end(), "JACK"),
              driver->liveApis().end());
    Peer peer({"receive", "--timeout-s", "5", "--idle-ms", "100"});
    ASSERT_TRUE(peer.ready());
    refresh();
    const auto& outputs = registry.outputNames();
    EXPECT_NE(std::find(outputs.begin(), outputs.end(), "peer:in"), outputs.end());
    EXPECT_EQ(registry.outputName(-1), RtMidiDriver::VirtualPortName);
}

TEST_F(JackEndToEnd, AWholeImageAsOneLongMessageArrivesByteForByte)
{
    Peer peer({"receive", "--count", QString::number(MessagesInImage)});
    ASSERT_TRUE(peer.ready());
    refresh();
    TMidiOutput port(registry);
    port.SetProductName("peer:in");
    ASSERT_TRUE(port.Open());
    QSignalSpy done(&port, &TMidiOutput::Onmidioutput);
    const Bytes image = initialImage();
    port.SendLongMessage(image);
    ASSERT_TRUE(waitFor([&] { return done.count() == 1; }));

    const std::vector<Bytes> got = peer.received(20000);
    EXPECT_EQ(got.size(), MessagesInImage) << "one JACK event per Data Set message";
    EXPECT_EQ(concat(got), image);
    EXPECT_TRUE(port.Close());
}

TEST_F(JackEndToEnd, AThousandDataSetsSentBackToBackArriveInOrder)
{
    Peer peer({"receive", "--count", "1000"});
    ASSERT_TRUE(peer.ready());
    refresh();
    TMidiOutput port(registry);
    port.SetProductName("peer:in");
    ASSERT_TRUE(port.Open());
    MidiSender sender;
    sender.SetOutput(&port);
    QSignalSpy empty(&sender, &MidiSender::queueEmpty);
    QSignalSpy failed(&sender, &MidiSender::sendFailed);
    std::vector<Bytes> messages;
    for (int i = 0; i < 1000; ++i) {
        messages.push_back(dataSet(ToneMessageSize, i));
        sender.SendLong(messages.back());
    }
    ASSERT_TRUE(waitFor([&] { return empty.count() == 1; }, 20000));
    EXPECT_EQ(failed.count(), 0);

    const std::vector<Bytes> got = peer.received(20000);
    ASSERT_EQ(got.size(), messages.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], messages[i]) << "message " << i;
}

TEST_F(JackEndToEnd, DataSetsComingInAtAHundredTimesWireSpeedAreAllKept)
{
    TempDir dir;
    std::vector<Bytes> messages;
    for (int i = 0; i < 1000; ++i)
        messages.push_back(dataSet(ToneMessageSize, i));
    Peer peer({"send", "--file", QString::fromStdString(messagesFile(dir, messages)), "--rate",
               "312500"});
    ASSERT_TRUE(peer.ready());
    refresh();

    // Set up as a port that receives dumps is: a thousand buffers of 1 KB. With
    // the 32 buffers of 5 KB an input port starts with, a hundred times wire
    // speed fills them in 14 ms, less than a busy machine may keep the main
    // thread away; the loss would be reported, but the bytes would be gone.
    TMidiInput port(registry);
    port.SetCapacity(2048);
    port.SetSysexBufferSize(1024);
    port.SetSysexBufferCount(1024);
    port.SetSysexOnly(true);
    port.SetProductName("peer:out");
    Bytes received;
    int events = 0;
    QObject::connect(&port, &TMidiInput::OnMidiInput, &port, [&](TMidiInput* sender) {
        while (auto event = sender->TakeEvent()) {
            ++events;
            received.insert(received.end(), event->SysexBytes.begin(), event->SysexBytes.end());
        }
    });
    QSignalSpy overflows(&port, &TMidiInput::OnOverflow);
    port.Open();
    ASSERT_EQ(port.State(), misOpen);
    port.Start();
    peer.write("GO");
    // The main thread keeps its event loop running meanwhile, as the program's does.
    const Bytes expected = concat(messages);
    ASSERT_TRUE(waitFor([&] { return received.size() >= expected.size(); }, 20000))
        << received.size() << " of " << expected.size() << " bytes, " << overflows.count()
        << " overflows";
    EXPECT_EQ(peer.readLine(5000), "SENT 1000");
    EXPECT_EQ(received, expected);
    EXPECT_EQ(events, 1000);
    EXPECT_EQ(overflows.count(), 0);
    peer.closeInput();
}

TEST_F(JackEndToEnd, AFullSpeedBurstArrivesWholeOrWithItsLossCounted)
{
    // A thousand Data Set messages in runs of a hundred (a whole image's
    // worth), each run as fast as JACK carries it: in one process cycle. The
    // pause between runs only keeps the peer's own output buffer from losing
    // messages before they reach the server.
    TempDir dir;
    std::vector<Bytes> messages;
    for (int i = 0; i < 1000; ++i)
        messages.push_back(dataSet(ToneMessageSize, i));
    const std::string file = messagesFile(dir, messages);
    const Bytes expected = concat(messages);

    struct Setup
    {
        std::uint16_t count;
        std::uint16_t size;
        bool roomForAll; // every message has a buffer even if none is taken
    };
    // A window's 32 buffers of 5 KB, and a port set up for dumps: a thousand of 1 KB.
    for (const Setup setup : {Setup{32, 5120, false}, Setup{1024, 1024, true}}) {
        SCOPED_TRACE(setup.count);
        Peer peer({"send", "--file", QString::fromStdString(file), "--chunk",
                   QString::number(MessagesInImage)});
        ASSERT_TRUE(peer.ready());
        refresh();
        TMidiInput port(registry);
        port.SetCapacity(2048);
        port.SetSysexBufferSize(setup.size);
        port.SetSysexBufferCount(setup.count);
        port.SetSysexOnly(true);
        port.SetProductName("peer:out");
        std::vector<Bytes> received;
        std::size_t receivedBytes = 0;
        QObject::connect(&port, &TMidiInput::OnMidiInput, &port, [&](TMidiInput* sender) {
            while (auto event = sender->TakeEvent()) {
                receivedBytes += event->SysexBytes.size();
                received.push_back(std::move(event->SysexBytes));
            }
        });
        QSignalSpy overflows(&port, &TMidiInput::OnOverflow);
        port.Open();
        ASSERT_EQ(port.State(), misOpen);
        port.Start();
        peer.write("GO");
        // Every byte is either here or counted as lost. The event loop runs
        // meanwhile, as the program's does.
        ASSERT_TRUE(
            waitFor([&] { return receivedBytes + port.LostByteCount() >= expected.size(); }, 30000))
            << receivedBytes << " bytes received, " << port.LostByteCount() << " counted lost, of "
            << expected.size();
        EXPECT_EQ(peer.readLine(5000), "SENT 1000");
        QTest::qWait(100); // nothing more may come
        EXPECT_EQ(receivedBytes + port.LostByteCount(), expected.size());
        std::printf("[          ] %u buffers of %u bytes: %zu messages kept, %u dropped\n",
                    unsigned(setup.count), unsigned(setup.size), received.size(),
                    unsigned(port.OverflowCount()));
        if (port.OverflowCount() > 0) {
            ASSERT_TRUE(waitFor([&] { return overflows.count() > 0; }));
            EXPECT_EQ(received.size() + port.OverflowCount(), messages.size());
        }
        if (setup.roomForAll) {
            EXPECT_EQ(port.OverflowCount(), 0u);
        }
        // What came is whole messages, in the order sent, none made up.
        auto next = messages.begin();
        for (const Bytes& m : received) {
            next = std::find(next, messages.end(), m);
            ASSERT_NE(next, messages.end()) << "a message that was not sent, or out of order";
            ++next;
        }
        peer.closeInput();
    }
}

TEST_F(JackEndToEnd, ClockSensingAndShortMessagesAreFilteredAsSysexOnlySays)
{
    TempDir dir;
    const std::vector<Bytes> mixed = {
        {0xFE},         {0xF8}, {0x90, 0x3C, 0x64}, dataSet(24, 1), {0xB0, 0x07, 0x64}, {0xF8},
        dataSet(24, 2), {0xFE}, {0xC0, 0x05}};
    const std::string file = messagesFile(dir, mixed);
    for (bool sysexOnly : {true, false}) {
        Peer peer({"send", "--file", QString::fromStdString(file), "--rate", "3125"});
        ASSERT_TRUE(peer.ready());
        refresh();
        TMidiInput port(registry);
        port.SetSysexOnly(sysexOnly);
        port.SetProductName("peer:out");
        std::vector<TMyMidiEvent> events;
        QObject::connect(&port, &TMidiInput::OnMidiInput, &port, [&](TMidiInput* sender) {
            while (auto event = sender->TakeEvent())
                events.push_back(std::move(*event));
        });
        port.Open();
        ASSERT_EQ(port.State(), misOpen);
        port.Start();
        peer.write("GO");
        ASSERT_EQ(peer.readLine(20000), "SENT 9");
        const std::size_t expected = sysexOnly ? 2 : 5;
        ASSERT_TRUE(waitFor([&] { return events.size() >= expected; }, 10000));
        QTest::qWait(200); // anything filtered wrongly would come by now
        peer.closeInput();
        std::vector<std::string> shown;
        for (const TMyMidiEvent& e : events)
            shown.push_back(e.StatusByte == 0xF0 ? hex(e.SysexBytes)
                                                 : hex({e.StatusByte, e.DataByte1}));
        std::vector<std::string> wanted;
        if (!sysexOnly)
            wanted.push_back("90 3C");
        wanted.push_back(hex(dataSet(24, 1)));
        if (!sysexOnly)
            wanted.push_back("B0 07");
        wanted.push_back(hex(dataSet(24, 2)));
        if (!sysexOnly)
            wanted.push_back("C0 05");
        EXPECT_EQ(shown, wanted) << (sysexOnly ? "SysexOnly" : "everything");
    }
}

TEST_F(JackEndToEnd, DeviceMinusOneIsDorvanesOwnPortThatOthersConnectTo)
{
    Peer peer({"receive", "--count", "1"});
    ASSERT_TRUE(peer.ready());
    refresh();
    TMidiOutput port(registry);
    port.SetDeviceID(-1);
    ASSERT_TRUE(port.Open());
    TMidiOutput second(registry); // another client of the same name
    second.SetProductName("peer:in");
    ASSERT_TRUE(second.Open());
    ASSERT_TRUE(s_server->waitForPort("Dorvane:MIDI out", 5000));

    refresh();
    for (const std::string& name : registry.outputNames())
        EXPECT_EQ(name.rfind("Dorvane", 0), std::string::npos)
            << "Dorvane's own ports are not offered as devices: " << name;

    const ProcessResult connected =
        runProcess("jack_connect", {"Dorvane:MIDI out", "peer:in"}, 10000);
    ASSERT_EQ(connected.exitCode, 0) << connected.err;
    const Bytes message = dataSet(ToneMessageSize, 5);
    port.SendLongMessage(message);
    const std::vector<Bytes> got = peer.received(20000);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], message);
}

namespace {

// Waits for the peer's answer line to a command.
bool tell(Peer& peer, const char* command)
{
    peer.write(command);
    return peer.readLine(15000) == command;
}

// Ends a peer as it ends itself: its clients leave the server cleanly.
void finish(Peer& peer)
{
    peer.closeInput();
    peer.received(10000);
}

} // namespace

TEST_F(JackEndToEnd, TheWatchersListingIsTheOneRtMidiGives)
{
    // Once watching, the names come through the watcher's own client; a
    // name that differed would lose every open port at the first notice.
    Peer peer({"blink"});
    ASSERT_TRUE(peer.ready());
    const MidiDeviceNames throughRtMidi = driver->devices();
    registry.watch();
    ASSERT_TRUE(driver->watcher());
    ASSERT_TRUE(driver->watcher()->jackListening());
    const MidiDeviceNames throughWatcher = driver->devices();
    EXPECT_EQ(throughWatcher.outputs, throughRtMidi.outputs);
    EXPECT_EQ(throughWatcher.inputs, throughRtMidi.inputs);
    EXPECT_EQ(throughWatcher.virtualOutput, throughRtMidi.virtualOutput);
    EXPECT_NE(std::find(throughWatcher.outputs.begin(), throughWatcher.outputs.end(), "blink:in"),
              throughWatcher.outputs.end());
    EXPECT_NE(
        std::find(throughWatcher.inputs.begin(), throughWatcher.inputs.end(), "blink-out:out"),
        throughWatcher.inputs.end());
    finish(peer);
}

TEST_F(JackEndToEnd, APeerThatVanishesIsLostOnceAndReopenedWhenItComesBack)
{
    Peer peer({"blink"});
    ASSERT_TRUE(peer.ready());
    refresh();
    TMidiOutput out(registry);
    out.SetProductName("blink:in");
    ASSERT_TRUE(out.Open());
    TMidiInput in(registry);
    in.SetProductName("blink-out:out");
    in.Open();
    ASSERT_EQ(in.State(), misOpen);
    in.Start();
    // Through the peer and back: both ports are live.
    auto roundTrip = [&](std::uint8_t note) {
        out.SendShortMessage(0x90, note, 100);
        if (!waitFor([&] { return in.PendingEventCount() > 0; }, 10000))
            return false;
        const auto event = in.TakeEvent();
        return event && event->DataByte1 == note;
    };
    ASSERT_TRUE(roundTrip(60));

    QSignalSpy outLost(&out, &TMidiOutput::deviceLost);
    QSignalSpy inLost(&in, &TMidiInput::deviceLost);
    QSignalSpy outBack(&out, &TMidiOutput::deviceReturned);
    QSignalSpy inBack(&in, &TMidiInput::deviceReturned);
    ASSERT_TRUE(tell(peer, "GONE"));
    ASSERT_TRUE(waitFor([&] { return outLost.count() == 1 && inLost.count() == 1; }, 10000));
    EXPECT_EQ(outLost.at(0).at(0).toString(), "The MIDI output blink:in is gone");
    EXPECT_EQ(inLost.at(0).at(0).toString(), "The MIDI input blink-out:out is gone");
    EXPECT_FALSE(out.IsOpen());
    EXPECT_EQ(in.State(), misClosed);
    EXPECT_FALSE(registry.outputListed("blink:in"));
    EXPECT_FALSE(out.Reopen()) << "not back yet";

    ASSERT_TRUE(tell(peer, "BACK"));
    ASSERT_TRUE(waitFor([&] { return outBack.count() == 1 && inBack.count() == 1; }, 10000));
    EXPECT_EQ(outBack.at(0).at(0).toString(), "blink:in");
    EXPECT_EQ(inBack.at(0).at(0).toString(), "blink-out:out");
    ASSERT_TRUE(out.Reopen());
    ASSERT_TRUE(in.Reopen());
    in.Start();
    EXPECT_TRUE(roundTrip(62));
    EXPECT_EQ(outLost.count(), 1);
    EXPECT_EQ(inLost.count(), 1);
    finish(peer);
}

// A server of its own: the one that ends here is not the suite's.
TEST(JackServerEnds, ThePortsOnItAreLostAndTheSameNamesOnTheNextServerReturn)
{
    std::unique_ptr<JackServer> server;
    try {
        server = std::make_unique<JackServer>();
    } catch (const std::exception& e) {
        FAIL() << "no JACK server: " << e.what();
    }
    auto peer = std::make_unique<Peer>(QStringList{"blink"});
    ASSERT_TRUE(peer->ready());
    MidiDeviceRegistry registry;
    auto driver = std::make_shared<RtMidiDriver>();
    registry.addSource(driver);
    TMidiOutput out(registry);
    out.SetProductName("blink:in");
    ASSERT_TRUE(out.Open());
    QSignalSpy lost(&out, &TMidiOutput::deviceLost);
    QSignalSpy back(&out, &TMidiOutput::deviceReturned);

    server->stop();
    ASSERT_TRUE(waitFor([&] { return lost.count() == 1; }, TMidiOutput::DeviceCheckMs * 5));
    EXPECT_FALSE(driver->watcher()->jackListening()) << "its client ended with the server";
    peer.reset();
    server.reset();

    // A new server (under a new name, which the environment now gives) and
    // the peer on it: the watcher finds the server by itself.
    try {
        server = std::make_unique<JackServer>();
    } catch (const std::exception& e) {
        FAIL() << "no second JACK server: " << e.what();
    }
    peer = std::make_unique<Peer>(QStringList{"blink"});
    ASSERT_TRUE(peer->ready());
    ASSERT_TRUE(waitFor([&] { return back.count() == 1; }, 10000));
    EXPECT_TRUE(waitFor([&] { return driver->watcher()->jackListening(); }, 5000));
    ASSERT_TRUE(out.Reopen());
    // The reopened port is connected to the peer's, on the new server.
    const ProcessResult lsp = runProcess("jack_lsp", {"-c"}, 10000);
    const QStringList lines = QString::fromStdString(lsp.out).split('\n');
    bool connected = false;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        connected |= lines[i].startsWith("Dorvane") && lines[i].endsWith(":MIDI out") &&
                     lines[i + 1].trimmed() == "blink:in";
    EXPECT_TRUE(connected) << lsp.out;
    EXPECT_EQ(lost.count(), 1);
    finish(*peer);
}

// Before libjack is asked (which takes its database, shared by every JACK
// program on the machine), a server is looked for by the traces it leaves:
// JACK 2's socket for that server and user, or JACK 1's folder of the user's.
// The real server's trace is where it is looked for, while it runs only.
TEST(JackWatch, AServerIsLookedForByItsTraceBeforeLibjackIsAsked)
{
    struct Case
    {
        const char* made;
        const char* server;
        unsigned uid;
        bool mayRun;
    };
    for (const Case& c :
         {Case{"", "default", 1000, false}, Case{"jack_default_1000_0", "default", 1000, true},
          Case{"jack_default_1000_0", "default", 1001, false},
          Case{"jack_default_1000_0", "studio", 1000, false},
          Case{"jack-1000", "studio", 1000, true}}) {
        TempDir dir;
        if (*c.made)
            std::filesystem::create_directory(dir.path() / c.made);
        EXPECT_EQ(jackServerMayRun(dir.path().string(), c.server, c.uid), c.mayRun)
            << c.made << " for " << c.server << " of " << c.uid;
    }

    std::string name;
    {
        JackServer server;
        name = server.name();
        EXPECT_TRUE(jackServerMayRun("/dev/shm", name, getuid()));
        EXPECT_TRUE(JackWatch::shared()->running());
    }
    EXPECT_FALSE(jackServerMayRun("/dev/shm", name, getuid()));
}
