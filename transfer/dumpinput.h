// SPDX-License-Identifier: GPL-3.0-or-later
// How an input port is set up to receive dumps, in the window and in the
// command-line tool alike.
#pragma once

#include "patch/layout.h"

#include <cstdint>

namespace dorvane {

class TMidiInput;

// Each delivered message takes at least one sysex buffer until the main thread
// has taken it. Buffers of 1 KB (longer messages fill several) and a thousand
// of them keep a burst of a thousand Data Set messages (ten whole images)
// whole while the main thread is busy painting; 1 MB in all. A software peer
// on JACK hands a whole image over in one process cycle, faster than any main
// thread takes it, so the room must not depend on the main thread at all.
constexpr std::uint16_t DumpInputCapacity = 2048;
constexpr std::uint16_t DumpSysexBufferSize = 1024;
constexpr std::uint16_t DumpSysexBufferCount = 1024;

static_assert(DumpSysexBufferSize >= ToneMessageSize, "a Data Set message fits one buffer");
static_assert(DumpSysexBufferCount >= 10 * MessagesInImage, "ten images in flight");
static_assert(DumpInputCapacity >= DumpSysexBufferCount, "an event for every buffer");

// Sets the port's ring and buffers for dumps and drops short messages. The
// port must be closed; the settings take effect at the next Open.
void prepareForDumps(TMidiInput& port);

} // namespace dorvane
