// SPDX-License-Identifier: GPL-3.0-or-later
// Key events of every platform turned into the US virtual-key codes of the key
// map, and real key events of a window driving the player.
#include "playerrig.h"

#include "player/keymap.h"

#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>

using namespace dorvane;
using namespace dorvane::test;
using keymap::KeyFacts;
using keymap::NativeKeys;

namespace {

KeyFacts qtKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    KeyFacts facts;
    facts.qtKey = key;
    facts.modifiers = modifiers;
    return facts;
}

KeyFacts native(int key, std::uint32_t scanCode, std::uint32_t virtualKey)
{
    KeyFacts facts = qtKey(key);
    facts.nativeScanCode = scanCode;
    facts.nativeVirtualKey = virtualKey;
    return facts;
}

// A window that hands its keys to the player, as the main window does.
class KeyWindow : public QWidget
{
public:
    explicit KeyWindow(TMIDIappUtil& util) : m_util(util) { setFocusPolicy(Qt::StrongFocus); }

protected:
    void keyPressEvent(QKeyEvent* event) override { m_util.handleKeyPress(*event); }
    void keyReleaseEvent(QKeyEvent* event) override { m_util.handleKeyRelease(*event); }

private:
    TMIDIappUtil& m_util;
};

} // namespace

TEST(KeyMap, EveryOffsetHasItsKeysAndSharedKeysShareIt)
{
    const std::string row = "ZSXDCVGBHNJM";
    for (std::size_t i = 0; i < row.size(); ++i)
        EXPECT_EQ(TMIDIappUtil::KeyOffset(row[i]), int(i)) << row[i];
    const std::vector<std::pair<int, int>> upper = {
        {'Q', 12}, {188, 12}, {'2', 13}, {'L', 13}, {'W', 14}, {190, 14}, {'3', 15},
        {186, 15}, {'E', 16}, {191, 16}, {'R', 17}, {'5', 18}, {'T', 19}, {'6', 20},
        {'Y', 21}, {'7', 22}, {'U', 23}, {'I', 24}, {'9', 25}, {'O', 26}, {'0', 27},
        {'P', 28}, {219, 29}, {187, 30}, {221, 31}, {220, 32}};
    for (const auto& [code, offset] : upper)
        EXPECT_EQ(TMIDIappUtil::KeyOffset(code), offset) << code;
    for (int code :
         std::vector<int>{'1', '4', '8', 'A', 'F', 'K', vk::Space, vk::F4, vk::Numpad0, 189, 0, -1})
        EXPECT_EQ(TMIDIappUtil::KeyOffset(code), -1) << code;
}

TEST(KeyMap, QtKeysBecomeUsVirtualKeysShiftedCharactersIncluded)
{
    const auto none = NativeKeys::None;
    EXPECT_EQ(keymap::virtualKeyOf(none, qtKey(Qt::Key_Z)), 90);
    EXPECT_EQ(keymap::virtualKeyOf(none, qtKey(Qt::Key_Comma)), 188);
    EXPECT_EQ(keymap::virtualKeyOf(none, qtKey(Qt::Key_Less, Qt::ShiftModifier)), 188);
    EXPECT_EQ(keymap::virtualKeyOf(none, qtKey(Qt::Key_At, Qt::ShiftModifier)), '2');
    EXPECT_EQ(keymap::virtualKeyOf(none, qtKey(Qt::Key_ParenRight, Qt::ShiftModifier)), '0');
    EXPECT_EQ(keymap::virtualKeyOf(none, qtKey(Qt::Key_BraceRight, Qt::ShiftModifier)), 221);
    EXPECT_EQ(keymap::virtualKeyOf(none, qtKey(Qt::Key_Bar, Qt::ShiftModifier)), 220);
    EXPECT_EQ(keymap::virtualKeyOf(none, qtKey(Qt::Key_Space)), vk::Space);
    EXPECT_EQ(keymap::virtualKeyOf(none, qtKey(Qt::Key_F3)), vk::F3);
    EXPECT_EQ(keymap::virtualKeyOf(none, qtKey(Qt::Key_F8)), vk::F8);
    EXPECT_EQ(keymap::virtualKeyOf(none, qtKey(Qt::Key_Eacute)), 0);
}

TEST(KeyMap, KeypadKeysAreTheirOwnAndNeverPlayNotes)
{
    for (int digit = 0; digit <= 9; ++digit) {
        for (auto platform : {NativeKeys::None, NativeKeys::XkbKeycode, NativeKeys::MacKeyCode}) {
            const int code =
                keymap::virtualKeyOf(platform, qtKey(Qt::Key_0 + digit, Qt::KeypadModifier));
            EXPECT_EQ(code, vk::Numpad0 + digit);
            EXPECT_EQ(TMIDIappUtil::KeyOffset(code), -1);
        }
    }
    // Keypad + and / must not pass for = and / of the main block.
    for (int key : {Qt::Key_Plus, Qt::Key_Slash, Qt::Key_Asterisk, Qt::Key_Down})
        EXPECT_EQ(TMIDIappUtil::KeyOffset(
                      keymap::virtualKeyOf(NativeKeys::None, qtKey(key, Qt::KeypadModifier))),
                  -1)
            << key;
}

TEST(KeyMap, PhysicalKeysPlayTheSameNotesWhateverTheLayout)
{
    // X11 and Wayland: evdev code + 8. On a German keyboard the key left of X
    // says Y, on a French one the key right of Tab says A; both still play as
    // the US keys Z and Q.
    EXPECT_EQ(keymap::virtualKeyOf(NativeKeys::XkbKeycode, native(Qt::Key_Y, 44 + 8, 0x79)), 'Z');
    EXPECT_EQ(keymap::virtualKeyOf(NativeKeys::XkbKeycode, native(Qt::Key_A, 16 + 8, 0x61)), 'Q');
    EXPECT_EQ(keymap::virtualKeyOf(NativeKeys::XkbKeycode, native(Qt::Key_Odiaeresis, 39 + 8, 0)),
              186);
    EXPECT_EQ(keymap::virtualKeyOf(NativeKeys::XkbKeycode, native(Qt::Key_F4, 62 + 8, 0)), vk::F4);
    EXPECT_EQ(keymap::virtualKeyOf(NativeKeys::XkbKeycode, native(Qt::Key_Less, 86 + 8, 0)), 0)
        << "the extra ISO key is no comma";
    EXPECT_EQ(keymap::virtualKeyOf(NativeKeys::XkbKeycode, native(Qt::Key_Z, 0, 0)), 'Z')
        << "no scan code: the Qt key";

    // macOS: hardware key codes, where code 0 is A.
    EXPECT_EQ(keymap::virtualKeyOf(NativeKeys::MacKeyCode, native(Qt::Key_Y, 0, 0x06)), 'Z');
    EXPECT_EQ(keymap::virtualKeyOf(NativeKeys::MacKeyCode, native(Qt::Key_A, 0, 0x00)), 'A');
    EXPECT_EQ(keymap::virtualKeyOf(NativeKeys::MacKeyCode, native(Qt::Key_Z, 0, 0)), 'Z')
        << "a made-up event without a code is not the A key";
    EXPECT_EQ(keymap::virtualKeyOf(NativeKeys::MacKeyCode, native(Qt::Key_F8, 0, 0x64)), vk::F8);

    // Windows: the native virtual key is the code.
    EXPECT_EQ(keymap::virtualKeyOf(NativeKeys::WindowsVirtual, native(Qt::Key_Comma, 0x33, 188)),
              188);

    EXPECT_EQ(keymap::nativeKeysOf("xcb"), NativeKeys::XkbKeycode);
    EXPECT_EQ(keymap::nativeKeysOf("wayland-egl"), NativeKeys::XkbKeycode);
    EXPECT_EQ(keymap::nativeKeysOf("cocoa"), NativeKeys::MacKeyCode);
    EXPECT_EQ(keymap::nativeKeysOf("windows"), NativeKeys::WindowsVirtual);
    EXPECT_EQ(keymap::nativeKeysOf("offscreen"), NativeKeys::None);
}

TEST(KeyMap, KeyCodeOfReadsTheEvent)
{
    const QKeyEvent z(QEvent::KeyPress, Qt::Key_Z, Qt::ShiftModifier, "Z");
    EXPECT_EQ(TMIDIappUtil::KeyCodeOf(z), 'Z');
    const QKeyEvent pad(QEvent::KeyPress, Qt::Key_7, Qt::KeypadModifier, "7");
    EXPECT_EQ(TMIDIappUtil::KeyCodeOf(pad), vk::Numpad0 + 7);
}

TEST(KeyEvents, AWindowsKeysPlayAndAutoRepeatNeverRetriggers)
{
    PlayerRig rig;
    KeyWindow window(rig.util);
    window.show();
    window.setFocus();

    QTest::keyPress(&window, Qt::Key_Z);
    // A held key, as X11 repeats it: release-press pairs marked as repeats.
    for (int i = 0; i < 3; ++i) {
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Z, Qt::NoModifier, "z", true);
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, "z", true);
        QCoreApplication::sendEvent(&window, &up);
        QCoreApplication::sendEvent(&window, &down);
    }
    QTest::keyRelease(&window, Qt::Key_Z);
    EXPECT_EQ(rig.take(), (Messages{"90 24 61", "80 24 00"}));

    // Shift+2 comes as @ and its release, after Shift, as 2: one note, let go.
    QTest::keyPress(&window, Qt::Key_At, Qt::ShiftModifier);
    QTest::keyRelease(&window, Qt::Key_2);
    EXPECT_EQ(rig.take(), (Messages{"90 31 61", "80 31 00"}));

    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_3, Qt::KeypadModifier);
    EXPECT_EQ(rig.take(), Messages{});

    QTest::keyClick(&window, Qt::Key_F4);
    QTest::keyClick(&window, Qt::Key_F8);
    QTest::keyClick(&window, Qt::Key_Z);
    EXPECT_EQ(rig.take(), (Messages{"90 31 61", "80 31 00"}));
    EXPECT_EQ(rig.util.Note(), "C#3  (v97)");
}

TEST(KeyEvents, HandleKeyPressSaysWhichKeysArePlayers)
{
    TMIDIappUtil util; // no port: only keys that send nothing are pressed
    const QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    const QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    const QKeyEvent pad(QEvent::KeyPress, Qt::Key_1, Qt::KeypadModifier, "1");
    EXPECT_TRUE(util.handleKeyPress(f4));
    EXPECT_FALSE(util.handleKeyPress(a));
    EXPECT_FALSE(util.handleKeyPress(pad));
    EXPECT_EQ(util.Octave(), 4);
}
