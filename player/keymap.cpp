// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/keymap.h"

#include <array>
#include <utility>

namespace dorvane::keymap {
namespace {

using Row = std::pair<int, int>; // (from, to)

template <std::size_t N> int lookUp(const std::array<Row, N>& table, int from, int otherwise)
{
    for (const auto& [key, value] : table) {
        if (key == from)
            return value;
    }
    return otherwise;
}

// US virtual-key code -> key offset. Two keys on one row of the keyboard
// overlap the next row, so Q/comma, 2/L, W/period, 3/semicolon and E/slash
// play the same notes.
constexpr std::array<Row, 38> OffsetTable = {{
    {90, 0},   // Z
    {83, 1},   // S
    {88, 2},   // X
    {68, 3},   // D
    {67, 4},   // C
    {86, 5},   // V
    {71, 6},   // G
    {66, 7},   // B
    {72, 8},   // H
    {78, 9},   // N
    {74, 10},  // J
    {77, 11},  // M
    {81, 12},  // Q
    {188, 12}, // comma
    {50, 13},  // 2
    {76, 13},  // L
    {87, 14},  // W
    {190, 14}, // period
    {51, 15},  // 3
    {186, 15}, // semicolon
    {69, 16},  // E
    {191, 16}, // slash
    {82, 17},  // R
    {53, 18},  // 5
    {84, 19},  // T
    {54, 20},  // 6
    {89, 21},  // Y
    {55, 22},  // 7
    {85, 23},  // U
    {73, 24},  // I
    {57, 25},  // 9
    {79, 26},  // O
    {48, 27},  // 0
    {80, 28},  // P
    {219, 29}, // [
    {187, 30}, // =
    {221, 31}, // ]
    {220, 32}, // backslash
}};

// Virtual-key codes of the US layout's punctuation keys.
constexpr int VkSemicolon = 186, VkEqual = 187, VkComma = 188, VkMinus = 189, VkPeriod = 190,
              VkSlash = 191, VkGrave = 192, VkBracketLeft = 219, VkBackslash = 220,
              VkBracketRight = 221, VkApostrophe = 222;
constexpr int VkF1 = 112;
constexpr int VkMultiply = 106, VkAdd = 107, VkSubtract = 109, VkDecimal = 110, VkDivide = 111;

// evdev key code -> virtual key, for the keys of the main block and F1..F12.
// The keypad is left out: it goes by the Qt key, which knows about Num Lock.
constexpr std::array<Row, 61> EvdevTable = {{
    {2, '1'},
    {3, '2'},
    {4, '3'},
    {5, '4'},
    {6, '5'},
    {7, '6'},
    {8, '7'},
    {9, '8'},
    {10, '9'},
    {11, '0'},
    {12, VkMinus},
    {13, VkEqual},
    {16, 'Q'},
    {17, 'W'},
    {18, 'E'},
    {19, 'R'},
    {20, 'T'},
    {21, 'Y'},
    {22, 'U'},
    {23, 'I'},
    {24, 'O'},
    {25, 'P'},
    {26, VkBracketLeft},
    {27, VkBracketRight},
    {30, 'A'},
    {31, 'S'},
    {32, 'D'},
    {33, 'F'},
    {34, 'G'},
    {35, 'H'},
    {36, 'J'},
    {37, 'K'},
    {38, 'L'},
    {39, VkSemicolon},
    {40, VkApostrophe},
    {41, VkGrave},
    {43, VkBackslash},
    {44, 'Z'},
    {45, 'X'},
    {46, 'C'},
    {47, 'V'},
    {48, 'B'},
    {49, 'N'},
    {50, 'M'},
    {51, VkComma},
    {52, VkPeriod},
    {53, VkSlash},
    {57, ' '},
    {59, VkF1},
    {60, VkF1 + 1},
    {61, VkF1 + 2},
    {62, VkF1 + 3},
    {63, VkF1 + 4},
    {64, VkF1 + 5},
    {65, VkF1 + 6},
    {66, VkF1 + 7},
    {67, VkF1 + 8},
    {68, VkF1 + 9},
    {87, VkF1 + 10},
    {88, VkF1 + 11},
    {86, 0}, // the extra key of ISO keyboards has no US counterpart
}};
constexpr int XkbKeycodeOffset = 8;

// macOS hardware key code -> virtual key.
constexpr std::array<Row, 61> MacTable = {{
    {0x00, 'A'},         {0x01, 'S'},          {0x02, 'D'},
    {0x03, 'F'},         {0x04, 'H'},          {0x05, 'G'},
    {0x06, 'Z'},         {0x07, 'X'},          {0x08, 'C'},
    {0x09, 'V'},         {0x0B, 'B'},          {0x0C, 'Q'},
    {0x0D, 'W'},         {0x0E, 'E'},          {0x0F, 'R'},
    {0x10, 'Y'},         {0x11, 'T'},          {0x12, '1'},
    {0x13, '2'},         {0x14, '3'},          {0x15, '4'},
    {0x16, '6'},         {0x17, '5'},          {0x18, VkEqual},
    {0x19, '9'},         {0x1A, '7'},          {0x1B, VkMinus},
    {0x1C, '8'},         {0x1D, '0'},          {0x1E, VkBracketRight},
    {0x1F, 'O'},         {0x20, 'U'},          {0x21, VkBracketLeft},
    {0x22, 'I'},         {0x23, 'P'},          {0x25, 'L'},
    {0x26, 'J'},         {0x27, VkApostrophe}, {0x28, 'K'},
    {0x29, VkSemicolon}, {0x2A, VkBackslash},  {0x2B, VkComma},
    {0x2C, VkSlash},     {0x2D, 'N'},          {0x2E, 'M'},
    {0x2F, VkPeriod},    {0x31, ' '},          {0x32, VkGrave},
    {0x7A, VkF1},        {0x78, VkF1 + 1},     {0x63, VkF1 + 2},
    {0x76, VkF1 + 3},    {0x60, VkF1 + 4},     {0x61, VkF1 + 5},
    {0x62, VkF1 + 6},    {0x64, VkF1 + 7},     {0x65, VkF1 + 8},
    {0x6D, VkF1 + 9},    {0x67, VkF1 + 10},    {0x6F, VkF1 + 11},
    {0x0A, 0}, // the extra key of ISO keyboards
}};

// Qt key -> virtual key, when the platform does not say which key it was. The
// shifted characters of the US layout count as their keys, so that Shift+2
// (which Qt reports as @) plays the note of 2, and its release finds it.
constexpr std::array<Row, 32> QtTable = {{
    {Qt::Key_Space, ' '},
    {Qt::Key_Comma, VkComma},
    {Qt::Key_Less, VkComma},
    {Qt::Key_Period, VkPeriod},
    {Qt::Key_Greater, VkPeriod},
    {Qt::Key_Slash, VkSlash},
    {Qt::Key_Question, VkSlash},
    {Qt::Key_Semicolon, VkSemicolon},
    {Qt::Key_Colon, VkSemicolon},
    {Qt::Key_Equal, VkEqual},
    {Qt::Key_Plus, VkEqual},
    {Qt::Key_Minus, VkMinus},
    {Qt::Key_Underscore, VkMinus},
    {Qt::Key_BracketLeft, VkBracketLeft},
    {Qt::Key_BraceLeft, VkBracketLeft},
    {Qt::Key_Backslash, VkBackslash},
    {Qt::Key_Bar, VkBackslash},
    {Qt::Key_BracketRight, VkBracketRight},
    {Qt::Key_BraceRight, VkBracketRight},
    {Qt::Key_Apostrophe, VkApostrophe},
    {Qt::Key_QuoteDbl, VkApostrophe},
    {Qt::Key_QuoteLeft, VkGrave},
    {Qt::Key_AsciiTilde, VkGrave},
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
}};

// Keys of the numeric keypad, told apart from their twins by the keypad modifier.
constexpr std::array<Row, 7> KeypadTable = {{
    {Qt::Key_Asterisk, VkMultiply},
    {Qt::Key_Plus, VkAdd},
    {Qt::Key_Minus, VkSubtract},
    {Qt::Key_Period, VkDecimal},
    {Qt::Key_Comma, VkDecimal},
    {Qt::Key_Slash, VkDivide},
    {Qt::Key_Enter, 0},
}};
constexpr int VkNumpad0 = 96;

int fromQtKey(int qtKey)
{
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey; // the same codes
    if (qtKey == Qt::Key_ParenRight)
        return '0';
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return VkF1 + (qtKey - Qt::Key_F1);
    return lookUp(QtTable, qtKey, 0);
}

} // namespace

int offsetOf(int virtualKey)
{
    return lookUp(OffsetTable, virtualKey, -1);
}

NativeKeys nativeKeysOf(const QString& platformName)
{
    if (platformName == u"xcb" || platformName.startsWith(u"wayland"))
        return NativeKeys::XkbKeycode;
    if (platformName == u"cocoa")
        return NativeKeys::MacKeyCode;
    if (platformName == u"windows")
        return NativeKeys::WindowsVirtual;
    return NativeKeys::None;
}

int virtualKeyOf(NativeKeys native, const KeyFacts& key)
{
    // The keypad first: its digits choose play modes and must never play the
    // notes of the digit keys above the letters.
    if (key.modifiers.testFlag(Qt::KeypadModifier)) {
        if (key.qtKey >= Qt::Key_0 && key.qtKey <= Qt::Key_9)
            return VkNumpad0 + (key.qtKey - Qt::Key_0);
        return lookUp(KeypadTable, key.qtKey, 0);
    }
    switch (native) {
    case NativeKeys::WindowsVirtual:
        if (key.nativeVirtualKey != 0)
            return int(key.nativeVirtualKey);
        break;
    case NativeKeys::XkbKeycode:
        if (key.nativeScanCode > XkbKeycodeOffset)
            return lookUp(EvdevTable, int(key.nativeScanCode - XkbKeycodeOffset),
                          fromQtKey(key.qtKey));
        break;
    case NativeKeys::MacKeyCode:
        // Code 0 is the A key, but also what a made-up event carries: trust it
        // only when the Qt key agrees.
        if (key.nativeVirtualKey != 0 || key.qtKey == Qt::Key_A)
            return lookUp(MacTable, int(key.nativeVirtualKey), fromQtKey(key.qtKey));
        break;
    case NativeKeys::None:
        break;
    }
    return fromQtKey(key.qtKey);
}

} // namespace dorvane::keymap
