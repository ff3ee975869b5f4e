// SPDX-License-Identifier: GPL-3.0-or-later
// The program as a screen reader meets it: started on a private X server, a
// private session bus and the accessibility bus that bus starts, and read by
// an AT-SPI client of Debian's (python3-pyatspi), not through Qt.
#include "editor/bindingtable.h"
#include "editor/valuelists.h"
#include "patch/t505temppatch.h"
#include "support/testutil.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace dorvane;
using dorvane::test::TempDir;

namespace {

// A process the test started, ended with the test whatever happens.
struct Started
{
    QProcess process;
    ~Started()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    // The first line the process writes (Xvfb's display, the bus's address).
    QString firstLine(int timeoutMs = 30000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!process.canReadLine() && !deadline.hasExpired() &&
               process.state() != QProcess::NotRunning)
            process.waitForReadyRead(100);
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }
};

bool pyatspiPresent()
{
    return test::runProcess("/usr/bin/python3", {"-c", "import pyatspi"}, 30000).exitCode == 0;
}

QString shownValue(const t505temppatch& image, int partIndex, const char* control)
{
    const Binding* row = findBinding(control);
    return row ? valueList(row->values).value(image.ReadByte(partIndex, 1, row->ctrlNo))
               : QString();
}

} // namespace

TEST(DorvaneProgram, AScreenReaderReadsEachValueByItsPartAndToneSetsItAndHearsItChange)
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    const QString dbus = QStandardPaths::findExecutable("dbus-daemon");
    if (xvfb.isEmpty() || dbus.isEmpty() ||
        !QFile::exists("/usr/share/dbus-1/services/org.a11y.Bus.service") || !pyatspiPresent())
        GTEST_SKIP() << "Xvfb, dbus-daemon, at-spi2-core or python3-pyatspi is missing "
                        "(Debian: xvfb, dbus, at-spi2-core, python3-pyatspi)";

    TempDir home;
    const QString h = QString::fromStdString(home.path().string());
    QDir().mkpath(h + "/runtime");
    QFile::setPermissions(h + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // A profile of its own, on which the first start asks nothing.
    QSettings(h + "/config/Quellrin/Dorvane.conf", QSettings::IniFormat)
        .setValue("setup/findoffered", "1");

    Started x;
    x.process.start(xvfb, {"-displayfd", "1", "-screen", "0", "1366x768x24", "-nolisten", "tcp"});
    const QString display = x.firstLine();
    ASSERT_FALSE(display.isEmpty()) << x.process.readAllStandardError().toStdString();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", h);
    env.insert("XDG_CONFIG_HOME", h + "/config");
    env.insert("XDG_CACHE_HOME", h + "/cache");
    env.insert("XDG_DATA_HOME", h + "/data");
    env.insert("XDG_RUNTIME_DIR", h + "/runtime");
    env.insert("DISPLAY", ":" + display);
    env.remove("WAYLAND_DISPLAY");
    env.remove("AT_SPI_BUS_ADDRESS");
    env.remove("NO_AT_BRIDGE");
    Started bus;
    bus.process.setProcessEnvironment(env);
    bus.process.start(dbus, {"--session", "--nofork", "--print-address=1"});
    const QString address = bus.firstLine();
    ASSERT_FALSE(address.isEmpty()) << bus.process.readAllStandardError().toStdString();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address);

    QProcessEnvironment program = env;
    program.insert("QT_QPA_PLATFORM", "xcb");
    // Qt speaks AT-SPI only when a reader is known to run; the client starts later.
    program.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    // A reader is running before the program starts, as on a desktop: asking
    // for the desktop starts the accessibility bus and its registry, which
    // the program then finds at once.
    ASSERT_EQ(test::runProcess("/usr/bin/python3",
                               {"-c", "import pyatspi; pyatspi.Registry.getDesktop(0).childCount"},
                               60000, env)
                  .exitCode,
              0);
    Started dorvane;
    dorvane.process.setProcessEnvironment(program);
    dorvane.process.start(QString::fromStdString(test::binDir() + "/dorvane"), {});
    ASSERT_TRUE(dorvane.process.waitForStarted(10000));

    t505temppatch image;
    image.LoadFromFile(test::binDir() + "/perf.syx");
    const test::ProcessResult r = test::runProcess(
        "/usr/bin/python3",
        {test::sourceDir() + "/tests/support/atspiread.py", "Dorvane",
         // A first start with no output chosen shows the MIDI & Setup sheet.
         "read:Velocity@spin button", "press:Tone@page tab", "read:Cutoff Frequency, part 1 tone 1",
         "read:Cutoff Keyfollow, part 1 tone 1", "press:Part 3",
         "read:Cutoff Frequency, part 3 tone 1", "listen",
         "set:Cutoff Frequency, part 3 tone 1=100", "heard:Cutoff Frequency, part 3 tone 1",
         "key:Cutoff Frequency, part 3 tone 1=Left", "heard:Cutoff Frequency, part 3 tone 1",
         "read:Part 3", "press:Part 4", "heard:Cutoff Frequency, part 4 tone 1"},
        240000, env);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err
                             << dorvane.process.readAllStandardError().toStdString();

    std::map<QString, QJsonObject> steps;
    std::vector<QJsonArray> heardSteps; // in order: two name the same control
    for (const QByteArray& line : QByteArray::fromStdString(r.out).split('\n'))
        if (!line.isEmpty()) {
            const QJsonObject step = QJsonDocument::fromJson(line).object();
            steps[step["step"].toString()] = step;
            if (step["step"].toString().startsWith("heard:"))
                heardSteps.push_back(step["heard"].toArray());
        }
    for (const auto& [name, step] : steps)
        EXPECT_FALSE(step.contains("error"))
            << name.toStdString() << ": " << step["error"].toString().toStdString();

    const QJsonObject cutoff1 = steps["read:Cutoff Frequency, part 1 tone 1"];
    EXPECT_EQ(cutoff1["text"].toString(), shownValue(image, 0, "cutoff"));
    EXPECT_EQ(cutoff1["value"].toDouble(), image.ReadByte(0, 1, 81));
    EXPECT_EQ(cutoff1["maximum"].toDouble(), 127);
    EXPECT_EQ(cutoff1["role"].toString(), "spin button");
    EXPECT_EQ(steps["read:Cutoff Keyfollow, part 1 tone 1"]["text"].toString(),
              shownValue(image, 0, "Fkbt"));
    // Another part's values, under that part's names.
    EXPECT_EQ(steps["read:Cutoff Frequency, part 3 tone 1"]["text"].toString(),
              shownValue(image, 2, "cutoff"));
    EXPECT_EQ(steps["set:Cutoff Frequency, part 3 tone 1=100"]["text"].toString(), "100");
    EXPECT_EQ(steps["read:Part 3"]["role"].toString(), "radio button");

    // What a reader is told as it happens: each new value, by a reader's set
    // and by a key, and on another part the new names with their values.
    std::vector<std::string> heard;
    for (const QJsonArray& said : heardSteps) {
        QStringList words;
        for (const QJsonValue& e : said)
            words << (e.toObject().contains("name")
                          ? "name " + e["name"].toString()
                          : QString("value %1").arg(e["value"].toDouble()));
        heard.push_back(words.join("; ").toStdString());
    }
    EXPECT_EQ(heard,
              (std::vector<std::string>{"value 100", "value 99",
                                        QString("name Cutoff Frequency, part 4 tone 1; value %1")
                                            .arg(image.ReadByte(3, 1, 81))
                                            .toStdString()}));
}
