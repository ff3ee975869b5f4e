// SPDX-License-Identifier: GPL-3.0-or-later
// End to end over a real JACK server: the note player sends through RtMidi to
// jack_midi_dump, JACK's own MIDI monitor, and what it prints is compared byte
// for byte with what a musician's key presses should have sent.
#include "midi/midideviceregistry.h"
#include "midi/rtmididriver.h"
#include "midi/tmidioutput.h"
#include "player/tmidiapputil.h"
#include "support/jackserver.h"
#include "support/testutil.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace dorvane;
using namespace dorvane::test;

namespace {

// jack_midi_dump under a client name of its own; "   0: 90 24 61 note on ..."
// is one event, its bytes up to the first word that is not a hex byte.
class MidiDump
{
public:
    explicit MidiDump(const QString& client)
    {
        // Line-buffered, so each event is readable as soon as it is printed.
        m_process.start("stdbuf", {"-oL", "jack_midi_dump", client});
        m_started = m_process.waitForStarted(10000);
    }
    ~MidiDump()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    bool started() const { return m_started; }

    // Waits until `count` events have been printed (or the time is up).
    std::vector<std::string> events(std::size_t count, int timeoutMs)
    {
        // Timing out is no failure here: the caller compares what came.
        (void)QTest::qWaitFor(
            [&] {
                m_process.waitForReadyRead(20);
                while (m_process.canReadLine())
                    parse(m_process.readLine());
                return m_events.size() >= count;
            },
            timeoutMs);
        return m_events;
    }

private:
    void parse(const QByteArray& line)
    {
        const int colon = line.indexOf(':');
        if (colon < 0)
            return;
        static const QRegularExpression hexByte("^[0-9a-fA-F]{2}$");
        Bytes bytes;
        for (const QByteArray& word : line.mid(colon + 1).simplified().split(' ')) {
            if (!hexByte.match(QString::fromLatin1(word)).hasMatch())
                break;
            bytes.push_back(std::uint8_t(word.toUInt(nullptr, 16)));
        }
        if (!bytes.empty())
            m_events.push_back(hex(bytes));
    }

    QProcess m_process;
    bool m_started = false;
    std::vector<std::string> m_events;
};

} // namespace

TEST(PlayerOverJack, KeysChordsSustainAndPanicReachAnotherProgram)
{
    std::unique_ptr<JackServer> server;
    try {
        server = std::make_unique<JackServer>();
    } catch (const std::exception& e) {
        FAIL() << "the JACK server cannot be reached:\n" << e.what();
    }
    MidiDump dump("player-monitor");
    ASSERT_TRUE(dump.started());
    ASSERT_TRUE(server->waitForPort("player-monitor:input", 10000));

    MidiDeviceRegistry registry;
    registry.addSource(std::make_shared<RtMidiDriver>("DorvanePlayerTest"));
    TMidiOutput output(registry);
    TMIDIappUtil util;
    util.SetOUTPUT(&output);
    const QStringList outputs = util.ListOutputs();
    const int device = int(outputs.indexOf(QRegularExpression(".*player-monitor:input$")));
    ASSERT_GE(device, 0) << outputs.join(", ").toStdString();
    ASSERT_TRUE(util.SelectOutput(device));

    util.SetChannel(2);
    util.SetVelocity(96);
    util.SetVelRnd(0);
    util.SetPlaymode(pmMajor);
    util.KeyDown('Z', Qt::NoModifier);
    util.KeyDown(vk::Space, Qt::NoModifier);
    util.KeyUp('Z');
    util.KeyUp(vk::Space);
    util.SetOctave(10);
    util.KeyDown('Q', Qt::NoModifier); // 132..144: nothing may go out
    util.KeyUp('Q');
    util.AllSoundOff();
    util.ResetAllControllers();

    std::vector<std::string> expected = {"92 24 60", "92 28 60", "92 2B 60", "92 30 60",
                                         "B2 40 40", "82 24 00", "82 28 00", "82 2B 00",
                                         "82 30 00", "B2 40 00"};
    for (int controller : {0x78, 0x79}) {
        for (int channel = 0; channel < 16; ++channel)
            expected.push_back(
                hex(Bytes{std::uint8_t(0xB0 + channel), std::uint8_t(controller), 0}));
    }
    // Wait for one more than expected, so an extra message would be seen.
    EXPECT_EQ(dump.events(expected.size() + 1, 3000), expected);
    EXPECT_EQ(util.Note(), "");
    output.Close();
}
