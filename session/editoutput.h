// SPDX-License-Identifier: GPL-3.0-or-later
// Where the edit session's messages leave for the instrument. The window
// hands the session its sender behind this; tests hand it a recorder.
#pragma once

#include "patch/layout.h"

#include <utility>

namespace dorvane {

class EditOutput
{
public:
    virtual ~EditOutput() = default;

    // An edit's message: to the port at once when nothing waits before it,
    // so the instrument hears the edit before the window redraws.
    virtual void sendNow(Bytes message) = 0;
    // Queued behind whatever is on its way.
    virtual void send(Bytes message) = 0;
    // A drag's newest value for its address: it may take the place of an
    // earlier one not yet sent. An output that cannot thin sends it at once.
    virtual void offer(Bytes message) { sendNow(std::move(message)); }
};

} // namespace dorvane
