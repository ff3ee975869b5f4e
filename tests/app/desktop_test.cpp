// SPDX-License-Identifier: GPL-3.0-or-later
// Dorvane as the desktop meets it: its command line, the installed files and
// their validators, a .syx opened through the file type, and the Debian
// package unpacked into a scratch root. Tools that are missing skip their test
// with a word; ./dorvane test installs them.
#include "app/startoptions.h"
#include "patch/initialpatch.h"

#include "support/testutil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace dorvane;
using dorvane::test::TempDir;

namespace {

const QString AppId = "org.quellrin.Dorvane";

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

std::string buildDir()
{
    return DORVANE_BUILD_DIR;
}

// The tool's path, or empty; the test skips without it.
QString tool(const char* name)
{
    return QStandardPaths::findExecutable(name);
}

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome run(const QString& program, const QStringList& args,
            const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
            int timeoutMs = 120000)
{
    std::vector<std::string> list;
    for (const QString& a : args)
        list.push_back(a.toStdString());
    const test::ProcessResult p = test::runProcess(program.toStdString(), list, timeoutMs, env);
    return {p.exitCode, QString::fromStdString(p.out), QString::fromStdString(p.err)};
}

// A fresh profile in a temporary folder: settings, cache and data of our own,
// and no display but the offscreen one.
QProcessEnvironment freshProfile(const TempDir& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString h = q(home.path().string());
    env.insert("HOME", h);
    env.insert("XDG_CONFIG_HOME", h + "/config");
    env.insert("XDG_CACHE_HOME", h + "/cache");
    env.insert("XDG_DATA_HOME", h + "/data");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    return env;
}

// The recent list Dorvane keeps in that profile's settings.
QStringList recentIn(const TempDir& home)
{
    QSettings s(q(home.file("config/Quellrin/Dorvane.conf")), QSettings::IniFormat);
    QStringList files;
    for (int i = 1; i <= 10; ++i)
        if (const QString f = s.value("recent/" + QString::number(i)).toString(); !f.isEmpty())
            files << f;
    return files;
}

// Waits until the program running on that profile has opened the file: it
// names it on its recent list as soon as the load succeeded.
bool waitForRecent(const TempDir& home, const QString& file, int timeoutMs = 60000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (recentIn(home).contains(file))
            return true;
        QThread::msleep(50);
    }
    return false;
}

// A program started by someone else (gio) on that profile: found by the
// profile folder in its environment, so nothing else is ever touched.
std::vector<pid_t> processesOfProfile(const TempDir& home)
{
    const std::string marker = "XDG_CONFIG_HOME=" + home.file("config");
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream environ(entry.path() / "environ", std::ios::binary);
        std::stringstream all;
        all << environ.rdbuf();
        const std::string text = all.str();
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\0', start)) != std::string::npos;
             start = end + 1) {
            if (text.compare(start, end - start, marker) == 0) {
                found.push_back(pid_t(std::stol(name)));
                break;
            }
        }
    }
    return found;
}

Bytes startImage()
{
    return initialImage();
}

} // namespace

TEST(StartOptions, FileHelpVersionAndMistakes)
{
    const QString program = "dorvane";
    auto o = parseStartOptions({program});
    EXPECT_EQ(o.action, StartOptions::Action::Run);
    EXPECT_TRUE(o.file.isEmpty());

    o = parseStartOptions({program, "songs/a b.syx"});
    EXPECT_EQ(o.action, StartOptions::Action::Run);
    EXPECT_EQ(o.file, QDir::current().absoluteFilePath("songs/a b.syx"));
    o = parseStartOptions({program, "file:///tmp/my%20song.syx"});
    EXPECT_EQ(o.file, "/tmp/my song.syx") << "a file: address from the desktop";
    o = parseStartOptions({program, "--", "-odd-name.syx"});
    EXPECT_EQ(o.file, QDir::current().absoluteFilePath("-odd-name.syx"));

    EXPECT_EQ(parseStartOptions({program, "--help"}).action, StartOptions::Action::Help);
    const QString version = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("9.8.7");
    o = parseStartOptions({program, "--version"});
    QCoreApplication::setApplicationVersion(version);
    EXPECT_EQ(o.action, StartOptions::Action::Version);
    EXPECT_TRUE(o.text.endsWith(" 9.8.7\n")) << o.text.toStdString();

    o = parseStartOptions({program, "a.syx", "b.syx"});
    EXPECT_EQ(o.action, StartOptions::Action::Error);
    EXPECT_TRUE(o.text.contains("one file at a time"));
    o = parseStartOptions({program, "--frobnicate"});
    EXPECT_EQ(o.action, StartOptions::Action::Error);
    EXPECT_TRUE(o.text.contains("frobnicate"));

    const char* help[] = {"dorvane", "x.syx", "-h"};
    EXPECT_TRUE(wantsTextOnly(3, help));
    const char* file[] = {"dorvane", "--", "--version"};
    EXPECT_FALSE(wantsTextOnly(3, file)) << "after --, a file named like an option";
    const char* plain[] = {"dorvane", "x.syx"};
    EXPECT_FALSE(wantsTextOnly(2, plain));
}

// --help and --version answer on a machine without any display (help2man,
// scripts over ssh), and a wrong command line says so with status 1.
TEST(DorvaneProgram, AnswersWithoutADisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    const QString dorvane = q(test::binDir() + "/dorvane");
    Outcome r = run(dorvane, {"--help"}, env);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("Usage: ")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("[FILE]"));
    r = run(dorvane, {"--version"}, env);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), "dorvane " + QString(DORVANE_VERSION));

    env.insert("QT_QPA_PLATFORM", "offscreen");
    r = run(dorvane, {"a.syx", "b.syx"}, env);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("one file at a time")) << r.err.toStdString();
}

TEST(DorvaneProgram, OpensTheFileNamedOnItsCommandLine)
{
    TempDir home;
    const std::string file = home.file("my song.syx");
    test::writeFile(file, startImage());
    QProcess dorvane;
    dorvane.setProcessEnvironment(freshProfile(home));
    dorvane.start(q(test::binDir() + "/dorvane"), {q(file)});
    ASSERT_TRUE(dorvane.waitForStarted(10000));
    const bool opened = waitForRecent(home, q(file));
    dorvane.kill();
    dorvane.waitForFinished();
    EXPECT_TRUE(opened) << dorvane.readAllStandardError().toStdString();
}

class InstalledTree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        prefix = q(dir.file("usr"));
        const Outcome r = run(DORVANE_CMAKE, {"--install", q(buildDir()), "--prefix", prefix});
        ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    }
    QString path(const QString& rel) const { return prefix + "/" + rel; }
    bool exists(const QString& rel) const { return QFile::exists(path(rel)); }

    // The installed share folder first, then the system's, as a session would.
    QProcessEnvironment sessionOver(const TempDir& home) const
    {
        QProcessEnvironment env = freshProfile(home);
        env.insert("XDG_DATA_DIRS", prefix + "/share:/usr/share");
        env.insert("PATH", prefix + "/bin:" + env.value("PATH"));
        return env;
    }

    TempDir dir;
    QString prefix;
};

TEST_F(InstalledTree, EverythingLandsWhereTheDesktopLooks)
{
    for (const QString& f : QStringList{
             "bin/dorvane", "bin/dorvane-cli", "lib/dorvane/dorvane", "lib/dorvane/perf.syx",
             "lib/dorvane/part.syx", "lib/dorvane/wavelist.txt", "lib/dorvane/help/manual.md",
             "share/applications/" + AppId + ".desktop",
             "share/metainfo/" + AppId + ".metainfo.xml", "share/mime/packages/" + AppId + ".xml",
             "share/icons/hicolor/scalable/apps/" + AppId + ".svg"})
        EXPECT_TRUE(exists(f)) << f.toStdString();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(exists(QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId)))
            << size;
    if (!tool("help2man").isEmpty()) {
        EXPECT_TRUE(exists("share/man/man1/dorvane.1"));
        EXPECT_TRUE(exists("share/man/man1/dorvane-cli.1"));
        QFile page(path("share/man/man1/dorvane.1"));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        EXPECT_TRUE(page.readAll().contains("dorvane-cli")) << "the page's own sections are in";
    }
    // Every picture the manual shows is installed with it.
    QFile manual(path("lib/dorvane/help/manual.md"));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(manual.readAll());
    const QRegularExpression image(R"(!\[[^\]]*\]\(([^)\s]+))");
    int pictures = 0;
    for (const auto& m : image.globalMatch(text)) {
        ++pictures;
        EXPECT_TRUE(exists("lib/dorvane/help/" + m.captured(1))) << m.captured(1).toStdString();
    }
    EXPECT_GT(pictures, 0);
}

TEST_F(InstalledTree, DesktopEntryAndMetainfoPassTheirValidators)
{
    const QString desktopValidate = tool("desktop-file-validate");
    const QString appstream = tool("appstreamcli");
    if (desktopValidate.isEmpty() || appstream.isEmpty())
        GTEST_SKIP() << "desktop-file-validate or appstreamcli is missing "
                        "(Debian: desktop-file-utils, appstream)";
    Outcome r = run(desktopValidate, {path("share/applications/" + AppId + ".desktop")});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.trimmed().isEmpty()) << "no hints either: " << r.out.toStdString();
    r = run(appstream, {"validate", "--no-net", "--no-color",
                        path("share/metainfo/" + AppId + ".metainfo.xml")});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    QFile meta(path("share/metainfo/" + AppId + ".metainfo.xml"));
    ASSERT_TRUE(meta.open(QIODevice::ReadOnly));
    const QByteArray xml = meta.readAll();
    EXPECT_TRUE(xml.contains("<release version=\"" DORVANE_VERSION "\""));
    EXPECT_FALSE(xml.contains("@")) << "every placeholder filled in";
}

// .syx files are a type of their own, recognised by name or by their first
// byte, and Dorvane is the program that opens them.
TEST_F(InstalledTree, SyxFilesAreOursThroughTheMimeDatabase)
{
    const QString updateMime = tool("update-mime-database");
    const QString updateDesktop = tool("update-desktop-database");
    const QString gio = tool("gio");
    if (updateMime.isEmpty() || updateDesktop.isEmpty() || gio.isEmpty())
        GTEST_SKIP() << "update-mime-database, update-desktop-database or gio is missing "
                        "(Debian: shared-mime-info, desktop-file-utils, libglib2.0-bin)";
    ASSERT_EQ(run(updateMime, {path("share/mime")}).exitCode, 0);
    ASSERT_EQ(run(updateDesktop, {path("share/applications")}).exitCode, 0);
    TempDir home;
    const QProcessEnvironment env = sessionOver(home);
    test::writeFile(home.file("song.syx"), startImage());
    test::writeFile(home.file("no-extension"), {0xF0, 0x41, 0x10, 0x00, 0x0B, 0x12});
    test::writeFile(home.file("plain.txt"), {'h', 'i', '\n'});
    for (const char* name : {"song.syx", "no-extension"}) {
        const Outcome r =
            run(gio, {"info", "-a", "standard::content-type", q(home.file(name))}, env);
        EXPECT_TRUE(r.out.contains("audio/x-sysex")) << name << ": " << r.out.toStdString();
    }
    Outcome r = run(gio, {"info", "-a", "standard::content-type", q(home.file("plain.txt"))}, env);
    EXPECT_FALSE(r.out.contains("audio/x-sysex")) << r.out.toStdString();
    r = run(gio, {"mime", "audio/x-sysex"}, env);
    // The quotes around the type follow the locale.
    const QRegularExpression handler("Default application for \\S+audio/x-sysex\\S+: " +
                                     QRegularExpression::escape(AppId + ".desktop"));
    EXPECT_TRUE(handler.match(r.out).hasMatch()) << r.out.toStdString() << r.err.toStdString();
}

// What a double click in a file manager does: the file's type leads to the
// menu entry, whose Exec line starts Dorvane on the file.
TEST_F(InstalledTree, OpeningASyxFileStartsDorvaneOnIt)
{
    const QString updateMime = tool("update-mime-database");
    const QString updateDesktop = tool("update-desktop-database");
    const QString gio = tool("gio");
    if (updateMime.isEmpty() || updateDesktop.isEmpty() || gio.isEmpty())
        GTEST_SKIP() << "update-mime-database, update-desktop-database or gio is missing";
    ASSERT_EQ(run(updateMime, {path("share/mime")}).exitCode, 0);
    ASSERT_EQ(run(updateDesktop, {path("share/applications")}).exitCode, 0);
    TempDir home;
    const std::string file = home.file("double clicked.syx");
    test::writeFile(file, startImage());
    // gio leaves Dorvane running with its own output: into a file, not a pipe
    // that closes as gio ends and would end Dorvane at its first warning.
    QProcess open;
    open.setProcessEnvironment(sessionOver(home));
    open.setStandardOutputFile(q(home.file("output")));
    open.setStandardErrorFile(q(home.file("output")), QIODevice::Append);
    open.start(gio, {"open", q(file)});
    ASSERT_TRUE(open.waitForFinished(60000));
    EXPECT_EQ(open.exitCode(), 0);
    const bool opened = waitForRecent(home, q(file));
    for (pid_t pid : processesOfProfile(home))
        ::kill(pid, SIGKILL);
    EXPECT_TRUE(opened);
}

// The .deb holds a program that runs from wherever it is unpacked and reads
// its files from beside itself.
TEST(DebianPackage, RunsFromAScratchRoot)
{
    const QString cpack = DORVANE_CPACK;
    const QString dpkg = tool("dpkg");
    const QString strace = tool("strace");
    if (tool("dpkg-shlibdeps").isEmpty() || dpkg.isEmpty() || strace.isEmpty())
        GTEST_SKIP() << "dpkg-shlibdeps, dpkg or strace is missing (Debian: dpkg-dev, strace)";
    TempDir dir;
    Outcome r =
        run(cpack, {"--config", q(buildDir() + "/CPackConfig.cmake"), "-B", q(dir.file("out"))},
            QProcessEnvironment::systemEnvironment(), 600000);
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    const QStringList debs = QDir(q(dir.file("out"))).entryList({"dorvane_*.deb"});
    ASSERT_EQ(debs.size(), 1) << r.out.toStdString();
    const QString deb = q(dir.file("out")) + "/" + debs.front();
    EXPECT_TRUE(debs.front().startsWith("dorvane_" DORVANE_VERSION "_"));

    r = run(tool("dpkg-deb"), {"-f", deb, "Depends"});
    for (const char* lib : {"libqt6widgets6", "librtmidi", "qt6-qpa-plugins"})
        EXPECT_TRUE(r.out.contains(lib)) << lib << " in " << r.out.toStdString();

    const QString root = q(dir.file("root"));
    ASSERT_EQ(run(dpkg, {"-x", deb, root}).exitCode, 0);
    r = run(root + "/usr/bin/dorvane", {"--version"});
    EXPECT_EQ(r.out.trimmed(), "dorvane " DORVANE_VERSION) << r.err.toStdString();

    // Started offscreen on a file: it opens the file, and the start-up files it
    // read came from its own folder in the scratch root.
    TempDir home;
    const std::string file = home.file("song.syx");
    test::writeFile(file, startImage());
    const QString trace = q(home.file("trace"));
    QProcess dorvane;
    dorvane.setProcessEnvironment(freshProfile(home));
    dorvane.start(strace,
                  {"-f", "-e", "trace=openat", "-o", trace, root + "/usr/bin/dorvane", q(file)});
    ASSERT_TRUE(dorvane.waitForStarted(10000));
    const bool opened = waitForRecent(home, q(file));
    for (pid_t pid : processesOfProfile(home))
        if (pid != pid_t(dorvane.processId()))
            ::kill(pid, SIGKILL);
    dorvane.waitForFinished();
    EXPECT_TRUE(opened);
    QFile log(trace);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString calls = QString::fromLocal8Bit(log.readAll());
    for (const char* name : {"perf.syx", "wavelist.txt"}) {
        // openat(AT_FDCWD, "<root>/usr/lib/dorvane/perf.syx", O_RDONLY) = 5
        const QRegularExpression found(
            QRegularExpression::escape("\"" + root + "/usr/lib/dorvane/" + name + "\"") +
            R"([^\n]*\) = \d+)");
        EXPECT_TRUE(found.match(calls).hasMatch()) << name << " read from the scratch root";
    }
}
