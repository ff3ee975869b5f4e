// SPDX-License-Identifier: GPL-3.0-or-later
// The computer keyboard as a piano: which key plays which of the 33 offsets,
// and how a key of any platform becomes the US-layout virtual-key code the map
// is written in. Physical keys are what count: the same key plays the same
// note whatever the keyboard's layout, where the platform says which key it was.
#pragma once

#include <QString>
#include <Qt>

#include <cstdint>

namespace dorvane::keymap {

constexpr int KeyOffsetCount = 33;

// The offset 0..32 a US virtual-key code plays, or -1.
int offsetOf(int virtualKey);

// What the platform's native key numbers mean.
enum class NativeKeys
{
    None,           // nothing usable: go by the Qt key
    XkbKeycode,     // X11 and Wayland: the scan code is the evdev code + 8
    MacKeyCode,     // macOS: the native virtual key is the hardware key code
    WindowsVirtual, // Windows: the native virtual key is the code itself
};

NativeKeys nativeKeysOf(const QString& platformName);

struct KeyFacts
{
    int qtKey = 0;
    Qt::KeyboardModifiers modifiers;
    std::uint32_t nativeScanCode = 0;
    std::uint32_t nativeVirtualKey = 0;
};

// The US-layout virtual-key code of a key, or 0 for a key the player does not know.
int virtualKeyOf(NativeKeys native, const KeyFacts& key);

} // namespace dorvane::keymap
