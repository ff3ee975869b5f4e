// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startoptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include <cstring>

namespace dorvane {

namespace {

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Editor and librarian for the Roland MC-505 groovebox.\n\n"
        "Given a .syx file, Dorvane opens it as the File menu would, by its kind: an 8-part\n"
        "file (a whole setup) replaces every part; a part file of parts 1-7 goes onto\n"
        "part 1, a part R file onto part R. Without a groovebox at hand, choose\n"
        "\"MC-505 (built in)\" as the MIDI output on the \"MIDI & Setup\" sheet.\n"
        "The manual is inside the program: Help > Dorvane Help (F1).");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("FILE", "A .syx file to open: a whole 8-part setup or one part.",
                                 "[FILE]");
}

} // namespace

bool wantsTextOnly(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--") == 0)
            return false; // what follows is a file name, whatever it looks like
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
            if (std::strcmp(a, option) == 0)
                return true;
    }
    return false;
}

StartOptions parseStartOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    describe(parser);
    StartOptions result;
    if (!parser.parse(arguments)) {
        result.action = StartOptions::Action::Error;
        result.text = parser.errorText() + "\nSee dorvane --help.";
        return result;
    }
    if (parser.isSet("help") || parser.isSet("help-all")) {
        result.action = StartOptions::Action::Help;
        result.text = parser.helpText();
        return result;
    }
    if (parser.isSet("version")) {
        result.action = StartOptions::Action::Version;
        result.text = QCoreApplication::applicationName().toLower() + " " +
                      QCoreApplication::applicationVersion() + "\n";
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        result.action = StartOptions::Action::Error;
        result.text = "Dorvane opens one file at a time; give only one.\nSee dorvane --help.";
        return result;
    }
    if (!files.isEmpty())
        result.file = localFileOf(files.front());
    return result;
}

QString localFileOf(const QString& argument)
{
    if (argument.startsWith("file:", Qt::CaseInsensitive))
        return QFileInfo(QUrl(argument).toLocalFile()).absoluteFilePath();
    return QFileInfo(argument).absoluteFilePath();
}

} // namespace dorvane
