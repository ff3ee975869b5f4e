// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/clilibrarycommands.h"
#include "app/cliofflinecommands.h"
#include "app/clitransfercommands.h"

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

QCommandLineOption portOption(const char* name, const char* what)
{
    return QCommandLineOption(name, what, "PORT");
}

QCommandLineOption deviceIdOption()
{
    return QCommandLineOption("device-id",
                              "the instrument's device ID in hex, 00..7F (default 10); "
                              "find tells which one it answers to",
                              "HEX", "10");
}

// The --device-id given, or a usage error.
std::optional<std::uint8_t> deviceIdOf(const QCommandLineParser& p)
{
    const auto id = parseDeviceId(p.value("device-id").toStdString());
    if (!id)
        std::cerr << "--device-id must be 00..7F in hex, not \""
                  << p.value("device-id").toStdString() << "\"\n";
    return id;
}

// Beyond these a value is a typing error rather than a wish.
constexpr int MaxPauseMs = 10000;
constexpr double MaxTimeoutSeconds = 3600;

int usageError(const QString& text)
{
    std::cerr << text.toStdString() << '\n';
    return 1;
}

// The --timeout given, or a usage error.
std::optional<double> timeoutOf(const QCommandLineParser& p)
{
    bool ok = false;
    const double timeout = p.value("timeout").toDouble(&ok);
    if (!ok || !(timeout > 0) || timeout > MaxTimeoutSeconds) {
        usageError(QString("--timeout must be above 0 and at most %1 seconds, not \"%2\"")
                       .arg(MaxTimeoutSeconds)
                       .arg(p.value("timeout")));
        return std::nullopt;
    }
    return timeout;
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
    list.push_back({"ports", "",
                    "The output and input devices, numbered as the window numbers them.",
                    [](QCommandLineParser&) {},
                    [](const QCommandLineParser& p) {
                        return positionals(p, 0, 0) ? ports(std::cout, std::cerr) : 1;
                    }});
    list.push_back(
        {"send",
         "FILE --out PORT [--pause MS] [--device-id HEX] [--verify --in PORT [--timeout S]]",
         "Sends the file's messages; PORT is a device number or a part of a device name. With "
         "--verify, the area the file writes (the whole image, a part or part R) is then asked "
         "back and compared: each parameter that differs is printed in words, and the exit "
         "status is 2.",
         [](QCommandLineParser& p) {
             p.addPositionalArgument("FILE", "sysex file to send as it stands");
             p.addOption(portOption("out", "the output device (required)"));
             p.addOption(QCommandLineOption("pause", "milliseconds after each message (default 0)",
                                            "MS", "0"));
             p.addOption(deviceIdOption());
             p.addOption(QCommandLineOption(
                 "verify", "read the area back after sending and compare it with the file"));
             p.addOption(portOption("in", "--verify: the input device the instrument answers on"));
             p.addOption(QCommandLineOption(
                 "timeout", "--verify: seconds to wait for the answer (default 10)", "S", "10"));
         },
         [](const QCommandLineParser& p) {
             const auto a = positionals(p, 1, 1);
             if (!a)
                 return 1;
             if (!p.isSet("out"))
                 return usageError("--out is required");
             bool ok = false;
             const int pause = p.value("pause").toInt(&ok);
             if (!ok || pause < 0 || pause > MaxPauseMs)
                 return usageError(QString("--pause must be 0..%1 milliseconds, not \"%2\"")
                                       .arg(MaxPauseMs)
                                       .arg(p.value("pause")));
             const auto id = deviceIdOf(p);
             if (!id)
                 return 1;
             std::optional<VerifyOptions> verify;
             if (p.isSet("verify")) {
                 if (!p.isSet("in"))
                     return usageError("--verify needs --in, the input the instrument answers on");
                 const auto timeout = timeoutOf(p);
                 if (!timeout)
                     return 1;
                 verify = VerifyOptions{p.value("in").toStdString(), *timeout};
             } else if (p.isSet("in") || p.isSet("timeout")) {
                 return usageError("--in and --timeout belong to --verify");
             }
             return send((*a)[0], p.value("out").toStdString(), pause, *id, std::cout, std::cerr,
                         verify);
         }});
    list.push_back(
        {"get", "all|1..7|R --out PORT --in PORT -o FILE [--timeout S] [--device-id HEX]",
         "Requests the whole area or one part, receives it and writes FILE when it is complete "
         "and every checksum is right; PORT is a device number or a part of a device name.",
         [](QCommandLineParser& p) {
             p.addPositionalArgument("WHAT", "all, a part 1..7, or R", "all|1..7|R");
             p.addOption(portOption("out", "the output device the request goes to (required)"));
             p.addOption(portOption("in", "the input device the dump comes from (required)"));
             p.addOption(QCommandLineOption("o", "the file to write (required)", "FILE"));
             p.addOption(QCommandLineOption("timeout", "seconds to wait for the dump (default 10)",
                                            "S", "10"));
             p.addOption(deviceIdOption());
         },
         [](const QCommandLineParser& p) {
             const auto a = positionals(p, 1, 1);
             if (!a)
                 return 1;
             std::optional<int> part;
             if ((*a)[0] != "all") {
                 part = parsePart((*a)[0], true);
                 if (!part)
                     return usageError(QString("get takes all, 1..7 or R, not \"%1\"")
                                           .arg(QString::fromStdString((*a)[0])));
             }
             for (const char* required : {"out", "in", "o"})
                 if (!p.isSet(required))
                     return usageError(QString(required[1] ? "--%1 is required" : "-%1 is required")
                                           .arg(required));
             const auto timeout = timeoutOf(p);
             if (!timeout)
                 return 1;
             const auto id = deviceIdOf(p);
             if (!id)
                 return 1;
             return get(part, p.value("out").toStdString(), p.value("in").toStdString(),
                        p.value("o").toStdString(), *timeout, *id, std::cout, std::cerr);
         }});
    list.push_back({"find", "",
                    "Finds the instrument: asks every output for its identity and part 1's "
                    "name, listens on every input, and names the pair that answers, with the "
                    "device ID it answered with.",
                    [](QCommandLineParser&) {},
                    [](const QCommandLineParser& p) {
                        return positionals(p, 0, 0) ? find(std::cout, std::cerr) : 1;
                    }});
    list.push_back(
        {"library",
         "add DIR | scan | find TEXT [--favourites] [--kits] [--duplicates] | "
         "export OUT PART... [--base IMAGE] | like FILE [--part N] [--count N]",
         "The library of patch files the window shows: add a folder and read it, read every "
         "folder again (only new and changed files), or find parts by name, tag or file name, "
         "one line per part: name, part, file, marks, tags. export writes a bank (OUT.syx, or "
         "OUT.mid): each PART is FILE, FILE#PLACE (its place in the file, from 1) and =N for "
         "the part it goes on (1-7 or R; else the next free one), the other parts from IMAGE "
         "or the initial image, checksums fresh. like lists the parts nearest in sound to part N "
         "of FILE (its place in the file, from 1), with their distance from 0 (the same) to 100.",
         [](QCommandLineParser& p) {
             p.addPositionalArgument("WHAT",
                                     "add DIR, scan, find TEXT, export OUT PART..., or like FILE",
                                     "add|scan|find|export|like");
             p.addOption(QCommandLineOption("favourites", "find: only favourites"));
             p.addOption(QCommandLineOption("kits", "find: only part R kits"));
             p.addOption(QCommandLineOption("duplicates", "find: only sounds held more than once"));
             p.addOption(QCommandLineOption("base", "export: the image the other parts come from",
                                            "IMAGE"));
             p.addOption(QCommandLineOption("part", "like: the part's place in FILE", "N", "1"));
             p.addOption(QCommandLineOption("count", "like: how many to list", "N", "20"));
         },
         [](const QCommandLineParser& p) {
             const QStringList a = p.positionalArguments();
             const QString what = a.value(0);
             if (what == "add" && a.size() == 2)
                 return libraryAdd(a[1], std::cout, std::cerr);
             if (what == "scan" && a.size() == 1)
                 return libraryScan(std::cout, std::cerr);
             if (what == "find" && a.size() <= 2)
                 return libraryFind(
                     {a.value(1), p.isSet("favourites"), p.isSet("kits"), p.isSet("duplicates")},
                     std::cout, std::cerr);
             if (what == "like" && a.size() == 2) {
                 bool ok = false;
                 const int count = p.value("count").toInt(&ok);
                 if (!ok || count < 1)
                     return usageError("--count is a number from 1");
                 return libraryLike(a[1], p.value("part"), count, std::cout, std::cerr);
             }
             if (what == "export" && a.size() >= 3)
                 return libraryExport(a[1], a.mid(2), p.value("base"), std::cout, std::cerr);
             return usageError("library takes add DIR, scan, find [TEXT] or export OUT PART...; "
                               "see dorvane-cli library --help");
         }});
    return list;
}

void printUsage(std::ostream& out, const std::vector<Command>& list)
{
    out << "Usage: dorvane-cli COMMAND [options] [arguments]\n\n"
           "Patch files and transfers for the Roland MC-505, without the window.\n\nCommands:\n";
    for (const auto& c : list)
        out << "  " << c.name << (*c.synopsis ? " " : "") << c.synopsis << "\n      "
            << c.description << '\n';
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
