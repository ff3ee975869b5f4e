// SPDX-License-Identifier: GPL-3.0-or-later
// The text of the exception of type E a call raises, for tests of messages.
#pragma once

#include <string>

namespace dorvane::test {

template <typename E, typename Call> std::string errorOf(Call&& call)
{
    try {
        call();
    } catch (const E& e) {
        return e.what();
    }
    return "(nothing raised)";
}

} // namespace dorvane::test
