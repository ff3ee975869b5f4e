// SPDX-License-Identifier: GPL-3.0-or-later
// Dorvane's own command line: an optional file to open, --help and --version.
// Help and version are answered before any window system is touched, so they
// work on a machine without a display (help2man, scripts, ssh).
#pragma once

#include <QString>
#include <QStringList>

namespace dorvane {

struct StartOptions
{
    enum class Action
    {
        Run,     // open the window, then the file if one is given
        Help,    // print text, exit 0
        Version, // print text, exit 0
        Error    // print text, exit 1
    };
    Action action = Action::Run;
    QString text;
    QString file; // absolute path, or empty
};

// Whether argv asks only for text (--help, --version and their short forms):
// then a QCoreApplication is enough and no display is needed.
bool wantsTextOnly(int argc, const char* const* argv);

// Reads the arguments left after Qt took its own (QCoreApplication::arguments()).
// Needs an application object for the program's name and version.
StartOptions parseStartOptions(const QStringList& arguments);

// A file named by the desktop (a path or a file: URL) as an absolute path.
QString localFileOf(const QString& argument);

} // namespace dorvane
