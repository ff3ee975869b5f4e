// SPDX-License-Identifier: GPL-3.0-or-later
// Shake Patch, Undo Shake, the shake options and the shake flags' menu in the
// real main window.
#include "windowrig.h"

#include "editor/bindingtable.h"
#include "patch/imagediff.h"
#include "patch/randomsource.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>

#include <gtest/gtest.h>

using namespace dorvane;
using dorvane::test::WindowRig;

namespace {

const QString NonLinearQuestion = "NON-LINEAR Shake\r\n*Shake Patch will change your current part "
                                  "data\r\nAre you sure to shake patch?";

void trigger(MainWindow& w, const char* action)
{
    w.frame().action(action)->trigger();
}

QAction* menuEntry(MainWindow& w, const char* name)
{
    return w.shake().shakeMenu()->findChild<QAction*>(name);
}

// A part as "Send Patch on Current Part" sends it: All Sound Off and Reset
// All Controllers on the sixteen channels, then the part's five messages.
std::string partSent(const test::Messages& sent)
{
    if (sent.size() != 32 + 5)
        return "(" + std::to_string(sent.size()) + " messages)";
    std::string joined;
    for (std::size_t i = 32; i < sent.size(); ++i)
        joined += (joined.empty() ? "" : " ") + sent[i];
    return joined;
}

// An image with its checksums made right: a send refreshes them in the window's
// image, which is no change of content.
Bytes checked(const Bytes& image)
{
    t505temppatch copy;
    copy.LoadFromBytes(image);
    return copy.AllBytes();
}

std::string ctrlName(const Binding& row)
{
    return std::string(row.name);
}

} // namespace

TEST(MainWindowShake, ReplaysFromTheSeedDrawForDraw)
{
    WindowRig rig;
    {
        // Pitch LFO1 Depth then has two flagged controls: the LFO box's write stands.
        QSettings s(rig.iniFile(), QSettings::IniFormat);
        s.setValue("willshake/DragTweak41", "1");
    }
    MainWindow& w = rig.openPlaying();
    w.shake().autoSendShakeBox()->setChecked(false);
    w.shake().shakeTypeGroup()->button(1)->setChecked(true);
    w.random().setFixedSeed(2024);

    // Part R is refused without a word.
    w.sheets().selectPart(7);
    const Bytes start = w.image().bytes();
    trigger(w, "ShakePatch");
    EXPECT_TRUE(rig.dialogs.asked.empty());
    EXPECT_EQ(w.image().bytes(), start);

    w.sheets().selectPart(1);
    w.session().setToneSelected(3, true);
    w.image().WriteByte(1, 1, 81, 120); // shown tone: the shake starts from its values
    w.image().WriteWave(1, 1, 505);
    w.sheets().refresh();
    const Bytes before = w.image().bytes();
    rig.dialogs.answers = {false};
    trigger(w, "ShakePatch");
    EXPECT_EQ(rig.dialogs.lastText(), NonLinearQuestion);
    EXPECT_EQ(w.image().bytes(), before) << "No leaves everything as it was";
    trigger(w, "ShakePatch");

    // The same draws, made here from the rules: the wave's direction then its
    // size, then for each flagged control in group order its size then its
    // direction; amounts A = B = 3 from a first start.
    t505temppatch expected;
    expected.LoadFromBytes(before);
    RandomSource r;
    r.seed(2024);
    const int waves = w.sheets().waveList()->count();
    ASSERT_EQ(waves, 510);
    const bool waveUp = r.Random(1024) < 512;
    const int waveStep = r.Random((waves - 1) * 35 / 100);
    const int wave = std::clamp(505 + (waveUp ? waveStep : -waveStep), 0, waves - 1);
    for (int t : {1, 3})
        expected.WriteWave(1, t, wave);
    const char* groups[] = {"fxmbox",  "pitchpanel", "filterpanel", "amppanel",
                            "lfo1box", "lfo2box",    "modpanel",    "commonpanel"};
    int shaken = 0;
    for (const char* group : groups) {
        const bool common = std::string(group) == "commonpanel";
        for (const Binding* row : bindingsOfPanel(group)) {
            if (row->tag3 != 1 && row->name != "DragTweak41")
                continue;
            ++shaken;
            const int n = int(valueList(row->values).size());
            const int shown =
                std::min<int>(before[*bytePosition(1, common ? 0 : 1, row->ctrlNo)], n - 1);
            const int d =
                n == 2 ? (r.Random(1024) < 512 ? 1 : 0) : r.Random((n - 1) * 35) / 100 / 2;
            const int value = std::clamp(r.Random(1024) < 512 ? shown + d : shown - d, 0, n - 1);
            for (int t : {1, 3})
                expected.WriteByte(1, common ? 0 : t, row->ctrlNo, value);
        }
    }
    ASSERT_EQ(shaken, 3 + 10 + 16 + 14 + 12 + 12 + 12);
    EXPECT_EQ(w.image().bytes(), expected.bytes());
    EXPECT_EQ(w.shake().undoImage().bytes(), before);
    EXPECT_EQ(w.sheets().waveList()->currentIndex(), wave);
    EXPECT_EQ(w.sheets().waveList()->statusTip(),
              "before shaken: " + w.sheets().waveList()->itemText(505));
    EXPECT_EQ(rig.control("cutoff")->statusTip(), "before shaken: 120");
    EXPECT_EQ(rig.control("coarse")->statusTip(), "wasn't shaken");
    EXPECT_EQ(rig.control("cutoff")->Position(), expected.ReadByte(1, 1, 81));
    EXPECT_TRUE(rig.take().empty()) << "a shake sends nothing of its own";
}

TEST(MainWindowShake, StartsFromThisPartWhateverTheOtherSheetLastShowed)
{
    WindowRig rig;
    rig.store("lshakeamt", "0");
    rig.store("shauto", "0");
    rig.store("shwave", "0");
    {
        QSettings s(rig.iniFile(), QSettings::IniFormat);
        s.setValue("willshake/analog", "1");
    }
    MainWindow& w = rig.openPlaying();
    w.image().WriteByte(0, 1, 21, 5); // Ctrl 1 Dest 1, part 1
    w.image().WriteByte(1, 1, 21, 9); // and part 2
    w.image().WriteByte(0, 0, 48, 40);
    w.image().WriteByte(1, 0, 48, 20);
    w.sheets().showSheet(Sheet::Common); // draws part 1's values
    w.sheets().showSheet(Sheet::Tone);
    w.sheets().selectPart(1);
    w.session().setToneSelected(2, true);
    trigger(w, "ShakePatch");
    // Amount 0 moves nothing, but copies the shown tone into every checked one.
    EXPECT_EQ(w.image().ReadByte(1, 1, 21), 9);
    EXPECT_EQ(w.image().ReadByte(1, 2, 21), 9);
    EXPECT_EQ(w.image().ReadByte(1, 0, 48), 20);
    EXPECT_EQ(rig.dialogs.asked.size(), 1u) << "no send question with auto send off";
    EXPECT_EQ(rig.dialogs.lastText().section('\r', 0, 0), "LINEAR Shake");
}

TEST(MainWindowShake, UndoShakeExchangesTheImagesAndSendsEveryMessageThatChanged)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    const Bytes startUp = w.image().bytes();
    rig.release("cutoff", 90);
    // Another part edited too: the whole image goes back, so the instrument
    // must hear about this part as well, not only about the current one.
    w.sheets().selectPart(2);
    rig.release("q", 77);
    w.sheets().selectPart(0);
    const Bytes edited = w.image().bytes();
    rig.take();

    trigger(w, "UndoShake");
    ASSERT_EQ(rig.dialogs.asked.size(), 1u) << "asked once, sent as Undo sends";
    EXPECT_EQ(rig.dialogs.asked[0].text, "Undo Shake?");
    EXPECT_EQ(w.image().bytes(), startUp) << "before any shake: the image of the start";
    EXPECT_EQ(rig.control("cutoff")->Caption(), "127") << "redrawn at once";
    test::Messages expected;
    bool part3 = false;
    for (const Bytes& m : changedMessages(edited, startUp)) {
        expected.push_back(test::hex(m));
        part3 = part3 || m.at(MessageHeaderSize - 3) == 2;
    }
    EXPECT_TRUE(part3) << "part 3's change goes back to the instrument too";
    EXPECT_EQ(rig.take(), expected);

    trigger(w, "UndoShake");
    EXPECT_EQ(checked(w.image().bytes()), checked(edited));
    expected.clear();
    for (const Bytes& m : changedMessages(startUp, edited))
        expected.push_back(test::hex(m));
    EXPECT_EQ(rig.take(), expected);

    // After a shake: back to the state before it, and again to the shaken one.
    w.shake().autoSendShakeBox()->setChecked(false);
    trigger(w, "ShakePatch");
    const Bytes shaken = w.image().bytes();
    ASSERT_NE(shaken, edited);
    rig.take();
    trigger(w, "UndoShake");
    EXPECT_EQ(checked(w.image().bytes()), checked(edited));
    EXPECT_EQ(rig.take().size(), changedMessages(shaken, w.image().bytes()).size());
    trigger(w, "UndoShake");
    EXPECT_EQ(w.image().bytes(), shaken);
    // A declined question changes and sends nothing.
    rig.dialogs.answers = {false};
    rig.take();
    trigger(w, "UndoShake");
    EXPECT_EQ(w.image().bytes(), shaken);
    EXPECT_TRUE(rig.take().empty());
}

TEST(MainWindowShake, TheMenuSetsFlagsForOneControlOrItsGroup)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    TDragTweak* cutoff = rig.control("cutoff");
    EXPECT_EQ(cutoff->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(rig.control("lfo1offset")->contextMenuPolicy(), Qt::DefaultContextMenu);
    EXPECT_EQ(rig.control("WaveGain")->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(rig.control("DragTweak136")->contextMenuPolicy(), Qt::DefaultContextMenu);

    // "Shaken" turns the control's own flag over and its Tag3 with it.
    emit cutoff->customContextMenuRequested(QPoint(2, 2));
    EXPECT_TRUE(w.shake().shakeMenu()->isVisible());
    EXPECT_TRUE(menuEntry(w, "Shaken")->isChecked());
    w.shake().shakeMenu()->setActiveAction(menuEntry(w, "Shaken"));
    EXPECT_EQ(w.frame().statusText(),
              "this option will be saved for the next time you run Dorvane");
    menuEntry(w, "Shaken")->trigger();
    w.shake().shakeMenu()->close();
    EXPECT_EQ(w.settings().willShake("cutoff"), false);
    EXPECT_EQ(cutoff->Tag3(), 0);
    w.shake().openShakeMenu(cutoff, QPoint(1, 1));
    EXPECT_FALSE(menuEntry(w, "Shaken")->isChecked());
    w.shake().shakeMenu()->close();

    // Group commands opened on a drum-note control reach its whole box.
    w.sheets().selectPart(7);
    w.shake().openShakeMenu(rig.control("DragTweak105"), QPoint(1, 1));
    menuEntry(w, "EnableShakenthisgroup")->trigger();
    for (const Binding* row : bindingsOfPanel("mutegroupbox"))
        EXPECT_EQ(w.settings().willShake(QString::fromStdString(ctrlName(*row))), true);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(rig.control("DragTweak104"), &enter);
    EXPECT_EQ(w.frame().statusText(), "     (Shake)");
    menuEntry(w, "DisableShakenthisgroup")->trigger();
    EXPECT_EQ(w.settings().willShake("drumout"), false);

    // Invert stores the opposite of what each control would do, Tag3 untouched.
    w.sheets().selectPart(0);
    w.shake().openShakeMenu(rig.control("FXMdepth"), QPoint(1, 1));
    menuEntry(w, "InvertShaken")->trigger();
    EXPECT_EQ(w.settings().willShake("fxmswitch"), false);
    EXPECT_EQ(w.settings().willShake("tonedelaymode"), true);
    EXPECT_EQ(rig.control("fxmswitch")->Tag3(), 1);
    EXPECT_FALSE(w.settings().willShake("cutoff").value_or(true)) << "other groups untouched";

    // A later run: the stored choice wins over Tag3.
    rig.closeWindow();
    MainWindow& again = rig.openPlaying();
    EXPECT_FALSE(again.shake().willShake(rig.control("fxmswitch")));
    EXPECT_TRUE(again.shake().willShake(rig.control("tonedelaymode")));
    EXPECT_FALSE(again.shake().willShake(rig.control("cutoff")));
    EXPECT_TRUE(again.shake().willShake(rig.control("q")));
}

TEST(MainWindowShake, OptionsComeBackFromTheLastRun)
{
    WindowRig rig;
    {
        MainWindow& w = rig.open();
        EXPECT_EQ(w.shake().shakeTypeGroup()->checkedId(), 0);
        EXPECT_TRUE(w.shake().autoSendShakeBox()->isChecked());
        EXPECT_TRUE(w.shake().shakeWaveBox()->isChecked());
        w.shake().shakeTypeGroup()->button(1)->setChecked(true);
        w.shake().autoSendShakeBox()->setChecked(false);
        w.shake().shakeWaveBox()->setChecked(false);
        rig.control("wshakeamt")->SetPosition(7);
        rig.closeWindow();
    }
    EXPECT_EQ(rig.stored("shaketype"), "1");
    EXPECT_EQ(rig.stored("shauto"), "0");
    EXPECT_EQ(rig.stored("shwave"), "0");
    MainWindow& w = rig.open();
    EXPECT_EQ(w.shake().shakeTypeGroup()->checkedId(), 1);
    EXPECT_FALSE(w.shake().autoSendShakeBox()->isChecked());
    EXPECT_FALSE(w.shake().shakeWaveBox()->isChecked());
    EXPECT_EQ(rig.control("wshakeamt")->Position(), 7);

    // With the wave off, no wave moves and the wave list keeps its hint.
    w.session().setToneSelected(2, true);
    const int waveBefore = w.image().ReadWave(0, 2);
    trigger(w, "ShakePatch");
    EXPECT_EQ(w.image().ReadWave(0, 2), waveBefore);
    EXPECT_TRUE(w.sheets().waveList()->statusTip().isEmpty());
}

// Every way through a shake asks one question at most: with Auto Send on, the
// shake's own question names the send, and its answer covers both.
TEST(MainWindowShake, EveryShakeAsksOneQuestionAtMost)
{
    WindowRig rig;
    MainWindow& w = rig.openPlaying();
    w.sheets().selectPart(3);
    rig.take();
    struct Path
    {
        const char* what;
        const char* action;
        bool autoSend;
        bool yes;
        bool partSent; // the shaken part sent whole afterwards
    };
    const Path paths[] = {
        {"shake, Auto Send on, Yes", "ShakePatch", true, true, true},
        {"shake, Auto Send on, No", "ShakePatch", true, false, false},
        {"shake, Auto Send off, Yes", "ShakePatch", false, true, false},
        {"shake, Auto Send off, No", "ShakePatch", false, false, false},
        {"undo shake, Yes", "UndoShake", true, true, false},
        {"undo shake, No", "UndoShake", true, false, false},
    };
    for (const Path& p : paths) {
        SCOPED_TRACE(p.what);
        w.shake().autoSendShakeBox()->setChecked(p.autoSend);
        rig.dialogs.asked.clear();
        rig.dialogs.answers = {p.yes};
        const Bytes before = w.image().bytes();
        trigger(w, p.action);
        ASSERT_EQ(rig.dialogs.asked.size(), 1u);
        const QString question = rig.dialogs.asked[0].text;
        const bool shake = p.action == std::string("ShakePatch");
        if (shake) {
            // What the send question guarded is said in the one that is left.
            EXPECT_EQ(question.contains("sends Part 4 to MC-505"), p.autoSend)
                << question.toStdString();
            EXPECT_TRUE(question.startsWith("LINEAR Shake\r\n*Shake Patch will change"));
        }
        const test::Messages sent = rig.take();
        if (!p.yes) {
            EXPECT_EQ(w.image().bytes(), before);
            EXPECT_TRUE(sent.empty());
        } else if (p.partSent) {
            EXPECT_EQ(partSent(sent), test::hex(w.image().PartBytes(3)));
            EXPECT_EQ(w.frame().action("Undo")->text(), "Undo Shake, part 4");
        } else if (shake) {
            EXPECT_TRUE(sent.empty()) << "a shake is heard when the part is sent";
        }
    }
}
