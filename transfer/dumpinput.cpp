// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/dumpinput.h"

#include "midi/tmidiinput.h"

namespace dorvane {

void prepareForDumps(TMidiInput& port)
{
    port.SetCapacity(DumpInputCapacity);
    port.SetSysexBufferSize(DumpSysexBufferSize);
    port.SetSysexBufferCount(DumpSysexBufferCount);
    port.SetSysexOnly(true);
}

} // namespace dorvane
