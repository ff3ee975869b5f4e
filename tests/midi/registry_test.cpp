// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/midideviceregistry.h"

#include "loopbacksetup.h"
#include "midi/rtmididriver.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

using namespace dorvane;
using namespace dorvane::test;

TEST(DeviceRegistry, NumbersTheDevicesOfAllSourcesInOrder)
{
    auto first = std::make_shared<LoopbackDriver>();
    first->addDevice("One");
    first->addDevice("Two");
    auto second = std::make_shared<LoopbackDriver>();
    second->addDevice("Three");
    second->setVirtualPort("Second's own");
    MidiDeviceRegistry registry;
    registry.addSource(first);
    registry.addSource(second);

    EXPECT_EQ(registry.outputNames(), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(registry.inputNames(), registry.outputNames());
    EXPECT_EQ(registry.outputName(-1), "Second's own") << "the first source that has one";
    EXPECT_FALSE(registry.outputName(3));
    EXPECT_FALSE(registry.outputName(-2));

    // A port on the second source's device talks to that source.
    TMidiOutput port(registry);
    port.SetDeviceID(2);
    ASSERT_TRUE(port.Open());
    port.SendShortMessage(0x90, 1, 2);
    EXPECT_TRUE(second->waitForSent("Three", 1, 5000));
    EXPECT_TRUE(first->sent("Three").empty());
}

TEST(DeviceRegistry, OpensByNameWhenTheListMovedUnderneath)
{
    auto source = std::make_shared<LoopbackDriver>();
    source->addDevice("B");
    MidiDeviceRegistry registry;
    registry.addSource(source);
    TMidiInput port(registry);
    ASSERT_EQ(port.ProductName(), "B");

    // Another program's device appears in front of ours.
    auto front = std::make_shared<LoopbackDriver>();
    MidiDeviceRegistry moved;
    front->addDevice("A");
    moved.addSource(front);
    moved.addSource(source);
    TMidiOutput out(moved);
    out.SetDeviceID(1);
    EXPECT_EQ(out.ProductName(), "B");
    source->addDevice("C");
    moved.refresh();
    ASSERT_TRUE(out.Open()) << "device 1 is still B";
    out.SendShortMessage(0x90, 1, 1);
    EXPECT_TRUE(source->waitForSent("B", 1, 5000));
}

namespace {

// A source that counts how often it is asked for its devices.
class CountingDriver : public MidiDriver
{
public:
    LoopbackDriver devicesHere;
    int listings = 0;
    MidiDeviceNames devices() override
    {
        ++listings;
        return devicesHere.devices();
    }
    std::unique_ptr<MidiOutputConnection> openOutput(int index, const std::string& name) override
    {
        return devicesHere.openOutput(index, name);
    }
    std::unique_ptr<MidiInputConnection> openInput(int index, const std::string& name,
                                                   MidiInputSink& sink) override
    {
        return devicesHere.openInput(index, name, sink);
    }
};

} // namespace

// Listing the system's MIDI can take a while (ALSA, a JACK server); adding the
// built-in instrument after it must not ask the system again.
TEST(DeviceRegistry, AddingASourceAsksOnlyThatSource)
{
    auto system = std::make_shared<CountingDriver>();
    system->devicesHere.addDevice("System");
    auto builtIn = std::make_shared<CountingDriver>();
    builtIn->devicesHere.addDevice("Built in");
    MidiDeviceRegistry registry;
    registry.addSource(system);
    system->devicesHere.addDevice("Plugged in later");
    registry.addSource(builtIn);
    EXPECT_EQ(system->listings, 1);
    EXPECT_EQ(builtIn->listings, 1);
    EXPECT_EQ(registry.outputNames(), (std::vector<std::string>{"System", "Built in"}))
        << "the snapshot stays until refresh()";
    registry.refresh();
    EXPECT_EQ(system->listings, 2);
    EXPECT_EQ(registry.outputNames(),
              (std::vector<std::string>{"System", "Plugged in later", "Built in"}));
}

// The system's MIDI is read at the first question about devices, whichever it
// is, and its devices still come first: a window can be drawn before ALSA and
// a JACK server are asked.
TEST(DeviceRegistry, ASourceReadWhenWantedIsAskedAtTheFirstQuestion)
{
    struct Question
    {
        const char* name;
        std::function<void(MidiDeviceRegistry&)> ask;
    };
    const Question questions[] = {
        {"outputNames", [](MidiDeviceRegistry& r) { EXPECT_EQ(r.outputNames().size(), 2u); }},
        {"inputCount", [](MidiDeviceRegistry& r) { EXPECT_EQ(r.inputCount(), 2); }},
        {"findOutput",
         [](MidiDeviceRegistry& r) { EXPECT_EQ(r.findOutput("Built in", 0), std::optional(1)); }},
        {"openOutput", [](MidiDeviceRegistry& r) { EXPECT_TRUE(r.openOutput(0, "System")); }},
        {"watch", [](MidiDeviceRegistry& r) { r.watch(); }},
    };
    for (const Question& q : questions) {
        SCOPED_TRACE(q.name);
        auto system = std::make_shared<CountingDriver>();
        system->devicesHere.addDevice("System");
        auto builtIn = std::make_shared<CountingDriver>();
        builtIn->devicesHere.addDevice("Built in");
        MidiDeviceRegistry registry;
        registry.addSource(system, MidiDeviceRegistry::Reading::WhenWanted);
        registry.addSource(builtIn);
        EXPECT_EQ(system->listings, 0);
        EXPECT_EQ(builtIn->listings, 1);
        EXPECT_TRUE(registry.readingPending());
        q.ask(registry);
        EXPECT_EQ(system->listings, 1);
        EXPECT_FALSE(registry.readingPending());
        EXPECT_EQ(registry.outputNames(), (std::vector<std::string>{"System", "Built in"}));
        EXPECT_EQ(system->listings, 1) << "read once";
        registry.stopWatching();
    }
}

TEST(RtMidiDriver, AMissingJackServerIsLeftOutQuietly)
{
    // No server of this name exists: JACK must not count as a live API, the
    // listing must not fail, and a port on it simply does not open.
    setenv("JACK_DEFAULT_SERVER", "dorvane-no-such-server", 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    auto driver = std::make_shared<RtMidiDriver>();
    MidiDeviceRegistry registry;
    ASSERT_NO_THROW(registry.addSource(driver));
    const auto apis = driver->liveApis();
    EXPECT_EQ(std::count(apis.begin(), apis.end(), "JACK"), 0);
    for (const std::string& name : registry.outputNames())
        EXPECT_EQ(name.find("JACK"), std::string::npos);

    TMidiOutput out(registry);
    TMidiInput in(registry);
    if (registry.outputCount() == 0 && !registry.outputName(-1)) {
        EXPECT_FALSE(out.Open()) << "nothing to open";
    }
    unsetenv("JACK_DEFAULT_SERVER");
}
