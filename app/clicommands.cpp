// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/cliofflinecommands.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <functional>
#include <iostream>

namespace dorvane::cli {

namespace {

struct Command
{
    const char* name;
    const char* synopsis; // positional arguments as shown in the usage line
    const char* description;
    std::function<void(QCommandLineParser&)> addOptions;
    // Checks the parsed arguments and runs; returns the exit status.
    std::function<int(const QCommandLineParser&)> run;
};

QCommandLineOption partOption(const char* what)
{
    return QCommandLineOption("part", what, "1..7|R");
}

int usageError(const QString& text)
{
    std::cerr << text.toStdString() << '\n';
    return 1;
}

// Checks the number of positional arguments and gives them back as std strings.
std::optional<std::vector<std::string>> positionals(const QCommandLineParser& p, int min, int max)
{
    const QStringList list = p.positionalArguments();
    if (list.size() < min || (max >= 0 && list.size() > max)) {
        usageError(QString("wrong number of arguments; see %1 --help")
                       .arg(QCoreApplication::applicationName()));
        return std::nullopt;
    }
    std::vector<std::string> out;
    for (const auto& s : list)
        out.push_back(s.toStdString());
    return out;
}

std::optional<std::optional<int>> optionalPart(const QCommandLineParser& p, const QString& name,
                                               bool allowRhythm)
{
    if (!p.isSet(name))
        return std::optional<int>();
    const auto part = parsePart(p.value(name).toStdString(), allowRhythm);
    if (!part) {
        usageError(QString("--%1 must be %2, not \"%3\"")
                       .arg(name, allowRhythm ? "1..7 or R" : "1..7", p.value(name)));
        return std::nullopt;
    }
    return part;
}

std::vector<Command> commands()
{
    std::vector<Command> list;
    list.push_back(
        {"info", "FILE...",
         "Per file: size, kind, the patch names and whether every checksum is right.",
         [](QCommandLineParser& p) { p.addPositionalArgument("FILE", "sysex files", "FILE..."); },
         [](const QCommandLineParser& p) {
             const auto files = positionals(p, 1, -1);
             return files ? info(*files, std::cout, std::cerr) : 1;
         }});
    list.push_back({"fix-checksums", "IN OUT",
                    "Writes IN to OUT with every message's checksum refreshed.",
                    [](QCommandLineParser& p) {
                        p.addPositionalArgument("IN", "sysex file to read");
                        p.addPositionalArgument("OUT", "file to write");
                    },
                    [](const QCommandLineParser& p) {
                        const auto a = positionals(p, 2, 2);
                        return a ? fixChecksums((*a)[0], (*a)[1], std::cerr) : 1;
                    }});
    list.push_back({"export-mid", "IN.syx OUT.mid",
                    "Standard MIDI File of the whole image or of one part.",
                    [](QCommandLineParser& p) {
                        p.addPositionalArgument("IN.syx", "8-part image (9054 or 9807 bytes)");
                        p.addPositionalArgument("OUT.mid", "MIDI file to write");
                        p.addOption(partOption("export only this part"));
                    },
                    [](const QCommandLineParser& p) {
                        const auto a = positionals(p, 2, 2);
                        const auto part = optionalPart(p, "part", true);
                        return a && part ? exportMid((*a)[0], (*a)[1], *part, std::cerr) : 1;
                    }});
    list.push_back({"convert", "IN OUT",
                    "SuperJV/XP <-> MC-505 conversion; the direction comes from the file.",
                    [](QCommandLineParser& p) {
                        p.addPositionalArgument("IN", "sysex file to convert");
                        p.addPositionalArgument("OUT", "converted file to write");
                    },
                    [](const QCommandLineParser& p) {
                        const auto a = positionals(p, 2, 2);
                        return a ? convert((*a)[0], (*a)[1], std::cout, std::cerr) : 1;
                    }});
    list.push_back(
        {"extract-part", "IN.syx OUT.syx", "Writes one part of an 8-part image as a part file.",
         [](QCommandLineParser& p) {
             p.addPositionalArgument("IN.syx", "8-part image (9054 or 9807 bytes)");
             p.addPositionalArgument("OUT.syx", "part file to write");
             p.addOption(partOption("the part to extract (required)"));
             p.addOption(QCommandLineOption("as", "rewrite it as this part", "1..7"));
         },
         [](const QCommandLineParser& p) {
             const auto a = positionals(p, 2, 2);
             if (!a)
                 return 1;
             if (!p.isSet("part"))
                 return usageError("--part is required");
             const auto part = optionalPart(p, "part", true);
             const auto as = optionalPart(p, "as", false);
             return part && as ? extractPart((*a)[0], (*a)[1], **part, *as, std::cerr) : 1;
         }});
    return list;
}

void printUsage(std::ostream& out, const std::vector<Command>& list)
{
    out << "Usage: dorvane-cli COMMAND [options] [arguments]\n\n"
           "Patch files and transfers for the Roland MC-505, without the window.\n\nCommands:\n";
    for (const auto& c : list)
        out << "  " << c.name << ' ' << c.synopsis << "\n      " << c.description << '\n';
    out << "\ndorvane-cli COMMAND --help shows a command's options; --version the version.\n";
}

} // namespace

int run(const QStringList& arguments)
{
    const auto list = commands();
    if (arguments.size() < 2) {
        printUsage(std::cerr, list);
        return 1;
    }
    const QString first = arguments[1];
    if (first == "--help" || first == "-h" || first == "help") {
        printUsage(std::cout, list);
        return 0;
    }
    if (first == "--version" || first == "-v") {
        std::cout << "dorvane-cli " << QCoreApplication::applicationVersion().toStdString() << '\n';
        return 0;
    }
    for (const auto& c : list) {
        if (first != c.name)
            continue;
        QCommandLineParser parser;
        parser.setApplicationDescription(c.description);
        const QCommandLineOption help({"h", "help"}, "Shows this help.");
        parser.addOption(help);
        const QCommandLineOption version({"v", "version"}, "Shows the version.");
        parser.addOption(version);
        c.addOptions(parser);
        QStringList rest = arguments;
        rest.removeAt(1);
        if (!parser.parse(rest))
            return usageError(parser.errorText());
        if (parser.isSet(help)) {
            // Qt names the program by its path; scripts read "dorvane-cli COMMAND".
            QString text = parser.helpText();
            const qsizetype end = text.indexOf(" [options]");
            if (text.startsWith("Usage: ") && end > 0)
                text.replace(7, end - 7, QString("dorvane-cli ") + c.name);
            std::cout << text.toStdString();
            return 0;
        }
        if (parser.isSet(version)) {
            std::cout << "dorvane-cli " << QCoreApplication::applicationVersion().toStdString()
                      << '\n';
            return 0;
        }
        return c.run(parser);
    }
    std::cerr << "unknown command \"" << first.toStdString() << "\"; see dorvane-cli --help\n";
    return 1;
}

} // namespace dorvane::cli
