// SPDX-License-Identifier: GPL-3.0-or-later
// The window's start: the settings file is left alone until the window has
// been drawn, then holds what a crash must not lose, and everything at close;
// the panels a start does not show are made the first time they are opened.
#include "windowrig.h"

#include "editor/copycommands.h"
#include "editor/drummixerpanel.h"
#include "editor/findinstrumentpanel.h"
#include "editor/instrumentfinder.h"
#include "editor/librarycommands.h"
#include "editor/librarypanel.h"
#include "editor/midimonitor.h"
#include "editor/presetsandscales.h"
#include "editor/toolcommands.h"
#include "editor/windowtexts.h"
#include "patch/rolandmessage.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace dorvane;
using dorvane::test::Messages;
using dorvane::test::waitUntil;
using dorvane::test::WindowRig;

namespace {

QByteArray fileBytes(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no file)");
}

// What the file holds in the "setup" group, read as another program would.
QString onDisk(const QString& ini, const QString& key)
{
    // Not through QSettings: in one process it shares what is not yet written.
    for (const QByteArray& line : fileBytes(ini).split('\n'))
        if (line.startsWith(key.toLatin1() + '='))
            return QString::fromLatin1(line.mid(key.size() + 1)).trimmed();
    return "(none)";
}

// Notes, at the main window's first paint, whether something had already happened.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(std::function<bool()> happened) : m_happened(std::move(happened))
    {
        qApp->installEventFilter(this);
    }
    ~PaintWatch() override { qApp->removeEventFilter(this); }
    std::optional<bool> seenAtFirstPaint;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!seenAtFirstPaint && event->type() == QEvent::Paint &&
            qobject_cast<MainWindow*>(watched))
            seenAtFirstPaint = m_happened();
        return false;
    }
    std::function<bool()> m_happened;
};

} // namespace

TEST(MainWindowStart, AFreshProfileIsWrittenOnceTheWindowIsDrawnAndAgainAtClose)
{
    WindowRig rig;
    QFile::remove(rig.iniFile());
    rig.dialogs.answers = {false}; // no search now
    PaintWatch paint([&] { return QFile::exists(rig.iniFile()) || !rig.dialogs.asked.empty(); });
    MainWindow& w = rig.open();

    // Drawn: the offer comes over the window, and a crash from here on must
    // not offer it again.
    ASSERT_TRUE(waitUntil([&] { return onDisk(rig.iniFile(), "findoffered") == "1"; }))
        << fileBytes(rig.iniFile()).toStdString();
    ASSERT_TRUE(paint.seenAtFirstPaint.has_value());
    EXPECT_FALSE(*paint.seenAtFirstPaint) << "the file written, or the offer made, before";
    ASSERT_EQ(rig.dialogs.asked.size(), 1u);
    EXPECT_EQ(rig.dialogs.asked[0].text, texts::withLineBreaks(texts::FindOffer));
    EXPECT_EQ(onDisk(rig.iniFile(), "keepimage"), "1");
    EXPECT_EQ(onDisk(rig.iniFile(), "hint"), "(none)") << "written at close";
    EXPECT_FALSE(w.settings().writesHeld());

    rig.closeWindow();
    const std::pair<const char*, const char*> atClose[] = {
        {"findoffered", "1"}, {"keepimage", "1"}, {"hint", "1"},       {"autotrig", "1"},
        {"shakeamt", "3"},    {"wshakeamt", "3"}, {"lshakeamt", "12"}, {"shaketype", "0"},
        {"shauto", "1"},      {"midiout", "99"},  {"midiin", "99"},
    };
    for (const auto& [key, value] : atClose)
        EXPECT_EQ(onDisk(rig.iniFile(), key), value) << key;
    EXPECT_NE(onDisk(rig.iniFile(), "windowstate"), "(none)");
    EXPECT_NE(onDisk(rig.iniFile(), "geometry"), "(none)");
}

// Started minimized, or on a screen that is off: never drawn, yet not kept
// from the disk for long.
TEST(MainWindowStart, AWindowNotDrawnStillWritesItsSettings)
{
    WindowRig rig;
    QFile::remove(rig.iniFile());
    MainWindow::Setup setup;
    setup.dialogs = &rig.dialogs;
    setup.settings = std::make_unique<SettingsStore>(rig.iniFile());
    setup.programFolder = QString::fromStdString(rig.dir.path().string());
    setup.devices = &rig.registry;
    setup.dataFolder = rig.dataFolder();
    rig.window = std::make_unique<MainWindow>(std::move(setup));
    EXPECT_TRUE(rig.window->settings().writesHeld());
    EXPECT_TRUE(waitUntil([&] { return onDisk(rig.iniFile(), "keepimage") == "1"; }, 10000));
}

TEST(MainWindowStart, AStartThatChangesNothingLeavesTheFileAsItWas)
{
    WindowRig rig;
    // The user's own choices, laid out by hand: a rewrite would show.
    const QByteArray before = "[setup]\nfindoffered = 1\nkeepimage = 1\nshakeamt = 7\n"
                              "messagepause = 5\n";
    {
        QFile f(rig.iniFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(before);
    }

    // Started and drawn, then killed: the file is the one the last run left.
    MainWindow& w = rig.open();
    ASSERT_TRUE(waitUntil([&] { return !w.settings().writesHeld(); }));
    QTest::qWait(50); // the store's own turn to write, had it anything to write
    EXPECT_EQ(fileBytes(rig.iniFile()), before);
    EXPECT_EQ(rig.control("shakeamt")->Position(), 7);

    // A choice made now reaches the disk without a close, and loses nothing.
    w.sheets().keepImageBox()->setChecked(false);
    EXPECT_TRUE(waitUntil([&] { return onDisk(rig.iniFile(), "keepimage") == "0"; }));
    for (const auto& [key, value] :
         {std::pair{"shakeamt", "7"}, {"messagepause", "5"}, {"findoffered", "1"}})
        EXPECT_EQ(onDisk(rig.iniFile(), key), value) << key;
}

// The devices are listed, and the remembered output opened, once the window
// is drawn; it is then shown by name and takes the edits.
TEST(MainWindowStart, ARememberedOutputIsOpenedOnceTheWindowIsDrawn)
{
    WindowRig rig;
    auto late = std::make_shared<LoopbackDriver>();
    late->addDevice("Synth D");
    rig.registry.addSource(late, MidiDeviceRegistry::Reading::WhenWanted);
    rig.store("midioutname", "Synth D");
    rig.store("midiout", "3");
    rig.store("autotrig", "0");
    PaintWatch paint([&] {
        return !rig.registry.readingPending() || (rig.window && rig.window->midiOutput().IsOpen());
    });
    MainWindow& w = rig.open();
    ASSERT_TRUE(paint.seenAtFirstPaint.has_value());
    EXPECT_FALSE(*paint.seenAtFirstPaint) << "listed or opened before the first paint";
    ASSERT_TRUE(w.midiOutput().IsOpen());
    EXPECT_EQ(w.midiOutput().ProductName(), "Synth D");
    EXPECT_EQ(rig.control("midiout")->DisplayedText(), "Synth D");
    EXPECT_EQ(rig.control("midiin")->Items().size(), 5) << "none and four inputs";
    w.frame().action("Panic")->trigger();
    EXPECT_TRUE(waitUntil([&] { return !late->sent("Synth D").empty(); }));
}

TEST(MainWindowStart, PanelsNotShownAtStartAreMadeWhenFirstOpened)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    QStackedWidget* area = w.frame().sheetArea();
    EXPECT_EQ(area->count(), 1) << "the sheets alone";
    EXPECT_FALSE(w.monitor().view());

    struct Row
    {
        const char* panel; // its class
        std::function<void()> open, close;
    };
    const Row rows[] = {
        {"QWidget",
         [&] {
             rig.dialogs.answers.push_back(true);
             w.frame().action("Get8Part")->trigger();
         },
         [&] { w.transfers().sysexButton()->click(); }},
        {"dorvane::DrumMixerPanel", [&] { w.frame().action("DrumMixer")->trigger(); },
         [&] { w.tools().drumMixer()->closeButton()->click(); }},
        {"dorvane::CopyPanel", [&] { w.frame().action("CopyToneOrDrum")->trigger(); },
         [&] { w.copy().copyDone(); }},
        {"dorvane::FindInstrumentPanel", [&] { w.finder().findButton()->click(); },
         [&] {
             waitUntil([&] { return !w.finder().searching(); });
             w.finder().panel()->backButton()->click();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.panel);
        for (int time = 0; time < 2; ++time) {
            row.open();
            QWidget* page = area->currentWidget();
            EXPECT_STREQ(page->metaObject()->className(), row.panel);
            EXPECT_TRUE(page->isVisible());
            row.close();
            EXPECT_TRUE(waitUntil([&] { return w.sheets().pages()->isVisible(); }));
        }
    }
    EXPECT_EQ(area->count(), 5) << "each made once";

    w.frame().action("MidiMonitor")->trigger();
    ASSERT_TRUE(w.monitor().view());
    EXPECT_TRUE(waitUntil([&] { return w.monitor().view()->isVisible(); }, 1000))
        << w.monitor().isVisible();
}

// A first start shows the Setup sheet alone: the Tone and Common sheets and
// the library's dock are built when first wanted. Built later, a sheet shows
// the image as it is by then and its edits take the same road as any; the
// dock works from the View menu on.
TEST(MainWindowStart, WhatIsBuiltLateShowsTheImageAsItIsAndTakesEdits)
{
    WindowRig rig;
    rig.store("autotrig", "0");
    MainWindow& w = rig.open();
    EXPECT_EQ(w.sheets().pages()->currentWidget(), w.sheets().sheet(Sheet::Setup));
    EXPECT_FALSE(w.sheets().sheetBuilt(Sheet::Tone));
    EXPECT_FALSE(w.sheets().sheetBuilt(Sheet::Common));
    EXPECT_EQ(w.library().builtPanel(), nullptr);
    QAction* view = w.frame().action("ViewLibrary");
    ASSERT_TRUE(view);
    EXPECT_FALSE(view->isChecked());
    // The output chosen there, as a musician does at a first start.
    rig.release("midiout", int(rig.control("midiout")->Items().indexOf("Synth A")));
    ASSERT_TRUE(w.midiOutput().IsOpen());

    // Changed while the sheets behind are not there: part 3, tone 1.
    w.sheets().selectPart(2);
    w.image().WriteByte(2, 0, 48, 77);
    w.image().WriteByte(2, 1, 81, 33);
    rig.take();
    struct Row
    {
        Sheet sheet;
        const char* control;
        int area, offset, shown, edited;
        std::uint8_t address3; // the message's third address byte
    };
    const Row rows[] = {
        {Sheet::Setup, nullptr, 0, 0, 0, 0, 0},
        {Sheet::Common, "analog", 0, 48, 77, 90, 0x00},
        {Sheet::Tone, "cutoff", 1, 81, 33, 60, 0x10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.sheet));
        w.sheets().showSheet(row.sheet);
        auto* area = qobject_cast<QScrollArea*>(w.sheets().sheet(row.sheet));
        ASSERT_TRUE(area && area->widget());
        EXPECT_TRUE(waitUntil([&] { return area->widget()->isVisible(); }));
        if (!row.control)
            continue;
        TDragTweak* c = rig.control(row.control);
        ASSERT_TRUE(c && area->widget()->isAncestorOf(c));
        EXPECT_EQ(c->Position(), row.shown);
        rig.release(row.control, row.edited);
        EXPECT_EQ(
            rig.take(),
            (Messages{test::hex(parameterMessage(
                tsMC505, {0x02, 0x02, row.address3, std::uint8_t(row.offset)}, row.edited))}));
        EXPECT_EQ(w.image().ReadByte(2, row.area, row.offset), row.edited);
    }
    // Its part box (sent, not stored) and its preset list were made with it.
    EXPECT_EQ(rig.control("DragTweak167")->DisplayedText(), QString::fromUtf8("\u2014"));
    EXPECT_GT(w.presets().bankList()->count(), 0);

    view->trigger();
    LibraryPanel* dock = w.library().builtPanel();
    ASSERT_TRUE(dock);
    EXPECT_TRUE(waitUntil([&] { return dock->isVisible(); }));
    EXPECT_TRUE(view->isChecked());
    view->trigger();
    EXPECT_TRUE(waitUntil([&] { return dock->isHidden(); }));
    EXPECT_FALSE(view->isChecked());
    EXPECT_EQ(w.library().builtPanel(), dock) << "built once";

    // Closed at exit, it is not built at the next start.
    rig.closeWindow();
    MainWindow& again = rig.openPlaying();
    EXPECT_EQ(again.library().builtPanel(), nullptr);
}
