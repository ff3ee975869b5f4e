// SPDX-License-Identifier: GPL-3.0-or-later
// Argument handling of dorvane-cli: picks the command, parses its options with
// its own --help, and runs it.
#pragma once

#include <QStringList>

namespace dorvane::cli {

// arguments as QCoreApplication::arguments() gives them; returns the exit status.
int run(const QStringList& arguments);

} // namespace dorvane::cli
