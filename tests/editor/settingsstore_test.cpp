// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/settingsstore.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace dorvane {
namespace {

QString iniIn(const test::TempDir& dir)
{
    return QString::fromStdString(dir.file("dorvane.ini"));
}

void writeText(const QString& name, const QByteArray& text)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

TEST(SettingsStore, TableHoldsEveryValueWithItsTypeAndDefault)
{
    struct Row
    {
        Setting setting;
        const char* key;
        SettingType type;
        const char* defaultValue;
    };
    const Row rows[] = {
        {Setting::Font, "font", SettingType::Text, "tahoma"},
        {Setting::SaveDirectory, "savedirectory", SettingType::Text, "untitled.syx"},
        {Setting::Hint, "hint", SettingType::Boolean, "1"},
        {Setting::AutoTrig, "autotrig", SettingType::Boolean, "1"},
        {Setting::MidiOut, "midiout", SettingType::Integer, "99"},
        {Setting::MidiIn, "midiin", SettingType::Integer, "99"},
        {Setting::ShAuto, "shauto", SettingType::Boolean, "1"},
        {Setting::ShakeAmt, "shakeamt", SettingType::Integer, "3"},
        {Setting::WShakeAmt, "wshakeamt", SettingType::Integer, "3"},
        {Setting::LShakeAmt, "lshakeamt", SettingType::Integer, "12"},
        {Setting::ShakeType, "shaketype", SettingType::Integer, "0"},
        {Setting::ShWave, "shwave", SettingType::Boolean, "1"},
        {Setting::Test, "test", SettingType::Boolean, "0"},
        {Setting::AutoSave, "autosave", SettingType::Text, "autosave.syx"},
        {Setting::AutoSavePath, "autosavepath", SettingType::Text, ""},
        {Setting::Directory, "directory", SettingType::Text, ""},
        {Setting::MessagePause, "messagepause", SettingType::Integer, "0"},
        {Setting::WindowState, "windowstate", SettingType::Text, ""},
        {Setting::LibraryShown, "libraryshown", SettingType::Boolean, "0"},
        {Setting::LibraryInFront, "libraryinfront", SettingType::Boolean, "0"},
        {Setting::MidiOutName, "midioutname", SettingType::Text, ""},
        {Setting::MidiInName, "midiinname", SettingType::Text, ""},
        {Setting::KeepImage, "keepimage", SettingType::Boolean, "1"},
        {Setting::ImageFile, "imagefile", SettingType::Text, ""},
        {Setting::ImageChanged, "imagechanged", SettingType::Boolean, "0"},
        {Setting::Geometry, "geometry", SettingType::Text, ""},
        {Setting::DeviceId, "deviceid", SettingType::Integer, "0x10"},
        {Setting::DeviceIdOutput, "deviceidout", SettingType::Text, ""},
        {Setting::FindOffered, "findoffered", SettingType::Boolean, "0"},
        {Setting::SendWhileDragging, "sendwhiledragging", SettingType::Boolean, "0"},
    };
    ASSERT_EQ(SettingsStore::table().size(), std::size(rows));
    for (const Row& r : rows) {
        const SettingInfo& i = SettingsStore::info(r.setting);
        EXPECT_EQ(i.key, std::string_view(r.key));
        EXPECT_EQ(i.type, r.type) << r.key;
        EXPECT_EQ(i.defaultValue, std::string_view(r.defaultValue)) << r.key;
        const bool folder = r.setting == Setting::AutoSavePath || r.setting == Setting::Directory;
        EXPECT_EQ(i.defaultIsProgramFolder, folder) << r.key;
    }
}

// First run: nothing stored, so hints and auto trigger are on, the shake amounts are
// 3, 3 and 12 and no MIDI device has been chosen.
TEST(SettingsStore, EmptyStoreGivesTheDefaults)
{
    test::TempDir dir;
    SettingsStore s(iniIn(dir));
    s.setProgramFolder(QStringLiteral("/opt/dorvane"));
    EXPECT_EQ(s.text(Setting::Font).toStdString(), "tahoma");
    EXPECT_EQ(s.text(Setting::SaveDirectory).toStdString(), "untitled.syx");
    EXPECT_TRUE(s.boolean(Setting::Hint));
    EXPECT_TRUE(s.boolean(Setting::AutoTrig));
    EXPECT_TRUE(s.boolean(Setting::ShAuto));
    EXPECT_TRUE(s.boolean(Setting::ShWave));
    EXPECT_FALSE(s.boolean(Setting::Test));
    EXPECT_EQ(s.integer(Setting::ShakeAmt), 3);
    EXPECT_EQ(s.integer(Setting::WShakeAmt), 3);
    EXPECT_EQ(s.integer(Setting::LShakeAmt), 12);
    EXPECT_EQ(s.integer(Setting::ShakeType), 0);
    EXPECT_EQ(s.integer(Setting::MidiOut), SettingsStore::NoDevice);
    EXPECT_EQ(s.device(Setting::MidiOut), std::nullopt);
    EXPECT_EQ(s.device(Setting::MidiIn), std::nullopt);
    EXPECT_EQ(s.text(Setting::AutoSave).toStdString(), "autosave.syx");
    EXPECT_EQ(s.text(Setting::AutoSavePath).toStdString(), "/opt/dorvane");
    EXPECT_EQ(s.text(Setting::Directory).toStdString(), "/opt/dorvane");
    EXPECT_EQ(s.integer(Setting::DeviceId), 0x10);
    EXPECT_FALSE(s.boolean(Setting::FindOffered));
    for (const SettingInfo& i : SettingsStore::table())
        EXPECT_FALSE(s.contains(i.setting)) << i.key;
    EXPECT_FALSE(QFile::exists(iniIn(dir))); // reading writes nothing
}

TEST(SettingsStore, ValuesRoundTripAsTextInTheSetupGroup)
{
    test::TempDir dir;
    {
        SettingsStore s(iniIn(dir));
        s.setText(Setting::Font, QStringLiteral("DejaVu Sans, Bold \u00e9\u65e5"));
        s.setText(Setting::SaveDirectory, QStringLiteral("/home/me/patches/bass.syx"));
        s.setBoolean(Setting::Hint, false);
        s.setBoolean(Setting::AutoTrig, false);
        s.setInteger(Setting::MidiOut, 2);
        s.setInteger(Setting::MidiIn, -1); // no input devices: the selector's position
        s.setInteger(Setting::LShakeAmt, 48);
        s.setInteger(Setting::ShakeType, 1);
        s.setBoolean(Setting::ShWave, false);
        s.sync();
    }
    SettingsStore s(iniIn(dir));
    EXPECT_EQ(s.text(Setting::Font), QStringLiteral("DejaVu Sans, Bold \u00e9\u65e5"));
    EXPECT_EQ(s.text(Setting::SaveDirectory).toStdString(), "/home/me/patches/bass.syx");
    EXPECT_FALSE(s.boolean(Setting::Hint));
    EXPECT_FALSE(s.boolean(Setting::AutoTrig));
    EXPECT_EQ(s.device(Setting::MidiOut), 2);
    EXPECT_EQ(s.device(Setting::MidiIn), -1);
    EXPECT_EQ(s.integer(Setting::LShakeAmt), 48);
    EXPECT_EQ(s.integer(Setting::ShakeType), 1);
    EXPECT_FALSE(s.boolean(Setting::ShWave));

    QSettings raw(iniIn(dir), QSettings::IniFormat);
    EXPECT_EQ(raw.value("setup/hint").toString().toStdString(), "0");
    EXPECT_EQ(raw.value("setup/midiout").toString().toStdString(), "2");
    EXPECT_EQ(raw.value("setup/midiin").toString().toStdString(), "-1");
    EXPECT_EQ(raw.value("setup/lshakeamt").toString().toStdString(), "48");
}

TEST(SettingsStore, StoredTextIsReadLikeTheOldStore)
{
    test::TempDir dir;
    writeText(iniIn(dir), "[setup]\n"
                          "midiout=0x2\n"
                          "midiin=0X1f\n"
                          "shakeamt= 7 \n"
                          "wshakeamt=abc\n"
                          "lshakeamt=0x\n"
                          "shaketype=0x-1\n"
                          "hint=2\n"
                          "autotrig=yes\n"
                          "shauto=0\n"
                          "test=99999999999\n"
                          "font=Arial, Bold\n");
    SettingsStore s(iniIn(dir));
    EXPECT_EQ(s.device(Setting::MidiOut), 2);
    EXPECT_EQ(s.integer(Setting::MidiIn), 31);
    EXPECT_EQ(s.integer(Setting::ShakeAmt), 7);
    EXPECT_EQ(s.integer(Setting::WShakeAmt), 3);  // not a number: the default
    EXPECT_EQ(s.integer(Setting::LShakeAmt), 12); // a prefix alone is no number
    EXPECT_EQ(s.integer(Setting::ShakeType), 0);
    EXPECT_TRUE(s.boolean(Setting::Hint)); // any non-zero number is true
    EXPECT_TRUE(s.boolean(Setting::AutoTrig));
    EXPECT_FALSE(s.boolean(Setting::ShAuto));
    EXPECT_FALSE(s.boolean(Setting::Test)); // past int: the default
    EXPECT_EQ(s.text(Setting::Font).toStdString(), "Arial, Bold");
}

TEST(SettingsStore, NinetyNineMeansNoDevice)
{
    test::TempDir dir;
    SettingsStore s(iniIn(dir));
    s.setText(Setting::MidiOut, QStringLiteral("99"));
    s.setText(Setting::MidiIn, QStringLiteral("0x63")); // 99 too
    EXPECT_TRUE(s.contains(Setting::MidiOut));
    EXPECT_EQ(s.device(Setting::MidiOut), std::nullopt);
    EXPECT_EQ(s.device(Setting::MidiIn), std::nullopt);
    s.setInteger(Setting::MidiOut, 0);
    EXPECT_EQ(s.device(Setting::MidiOut), 0);
}

TEST(SettingsStore, ParseInteger)
{
    EXPECT_EQ(SettingsStore::parseInteger("0x2"), 2);
    EXPECT_EQ(SettingsStore::parseInteger("0xff"), 255);
    EXPECT_EQ(SettingsStore::parseInteger("-12"), -12);
    EXPECT_EQ(SettingsStore::parseInteger("\t42\n"), 42);
    EXPECT_EQ(SettingsStore::parseInteger("0x7fffffff"), 2147483647);
    EXPECT_EQ(SettingsStore::parseInteger(""), std::nullopt);
    EXPECT_EQ(SettingsStore::parseInteger("0x"), std::nullopt);
    EXPECT_EQ(SettingsStore::parseInteger("0x0x2"), std::nullopt);
    EXPECT_EQ(SettingsStore::parseInteger("0x+2"), std::nullopt);
    EXPECT_EQ(SettingsStore::parseInteger("0x80000000"), std::nullopt);
    EXPECT_EQ(SettingsStore::parseInteger("12abc"), std::nullopt);
    EXPECT_EQ(SettingsStore::parseInteger("1.5"), std::nullopt);
    EXPECT_EQ(SettingsStore::parseInteger("\u0663"), std::nullopt); // an Arabic-Indic three
}

// The AutoSave file name lives for one run only: shut-down deletes it.
TEST(SettingsStore, RemovedValueReadsAsItsDefault)
{
    test::TempDir dir;
    {
        SettingsStore s(iniIn(dir));
        s.setText(Setting::AutoSave, QStringLiteral("/tmp/mine.syx"));
        s.sync();
    }
    SettingsStore s(iniIn(dir));
    EXPECT_EQ(s.text(Setting::AutoSave).toStdString(), "/tmp/mine.syx");
    s.remove(Setting::AutoSave);
    s.sync();
    EXPECT_FALSE(s.contains(Setting::AutoSave));
    EXPECT_EQ(s.text(Setting::AutoSave).toStdString(), "autosave.syx");
    EXPECT_FALSE(SettingsStore(iniIn(dir)).contains(Setting::AutoSave));
}

TEST(SettingsStore, ShakeChoicesLiveInTheirOwnGroup)
{
    test::TempDir dir;
    {
        SettingsStore s(iniIn(dir));
        EXPECT_EQ(s.willShake(QStringLiteral("cutoff")), std::nullopt);
        s.setWillShake(QStringLiteral("cutoff"), false);
        s.setWillShake(QStringLiteral("DragTweak104"), true);
        s.sync();
    }
    SettingsStore s(iniIn(dir));
    EXPECT_EQ(s.willShake(QStringLiteral("cutoff")), false);
    EXPECT_EQ(s.willShake(QStringLiteral("DragTweak104")), true);
    EXPECT_EQ(s.willShake(QStringLiteral("q")), std::nullopt);

    QSettings raw(iniIn(dir), QSettings::IniFormat);
    EXPECT_EQ(raw.value("willshake/cutoff").toString().toStdString(), "0");
    EXPECT_EQ(raw.value("willshake/DragTweak104").toString().toStdString(), "1");
    EXPECT_FALSE(raw.contains("setup/cutoff"));
    raw.setValue("willshake/q", "maybe");
    raw.sync();
    EXPECT_EQ(SettingsStore(iniIn(dir)).willShake(QStringLiteral("q")), std::nullopt);
}

// A damaged file must neither stop the program nor give values out of the blue.
TEST(SettingsStore, DamagedFilesReadAsDefaults)
{
    test::TempDir dir;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const auto bytes = test::randomBytes(4096, seed);
        writeText(iniIn(dir),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
        SettingsStore s(iniIn(dir));
        EXPECT_EQ(s.integer(Setting::LShakeAmt), 12) << seed;
        EXPECT_EQ(s.device(Setting::MidiOut), std::nullopt) << seed;
        EXPECT_EQ(s.text(Setting::Font).toStdString(), "tahoma") << seed;
    }
    // Cut short in the middle of a line.
    writeText(iniIn(dir), "[setup]\nshakeamt=5\nlshakeamt=");
    {
        SettingsStore s(iniIn(dir));
        EXPECT_EQ(s.integer(Setting::ShakeAmt), 5);
        EXPECT_EQ(s.integer(Setting::LShakeAmt), 12);
    }
    // A huge value is kept whole.
    const QByteArray big(1 << 20, 'x');
    writeText(iniIn(dir), "[setup]\nfont=" + big + "\nmidiout=" + big + "\n");
    SettingsStore s(iniIn(dir));
    EXPECT_EQ(s.text(Setting::Font).size(), big.size());
    EXPECT_EQ(s.device(Setting::MidiOut), std::nullopt);
}

QByteArray readAll(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no file)");
}

// A value already stored is never written again (QSettings would rewrite the
// whole file for it), and held changes reach the file only when released.
TEST(SettingsStore, WritesOnlyChangesAndHoldsThemUntilReleased)
{
    test::TempDir dir;
    // Laid out by hand: a rewrite would show.
    const QByteArray original =
        "[setup]\nfont = Courier\nkeepimage = 1\n\n[recent]\n1 = /x/a.syx\n";
    const std::function<void(SettingsStore&)> unchanged[] = {
        [](SettingsStore& s) { s.setText(Setting::Font, "Courier"); },
        [](SettingsStore& s) { s.setBoolean(Setting::KeepImage, true); },
        [](SettingsStore& s) { s.setRecentFiles({"/x/a.syx"}); },
        [](SettingsStore& s) { s.remove(Setting::ImageFile); },
    };
    for (const auto& change : unchanged) {
        writeText(iniIn(dir), original);
        SettingsStore s(iniIn(dir));
        change(s);
        s.sync();
        EXPECT_EQ(readAll(iniIn(dir)), original);
    }

    writeText(iniIn(dir), original);
    auto s = std::make_unique<SettingsStore>(iniIn(dir));
    s->holdWrites();
    s->setInteger(Setting::MidiOut, 2);
    s->setRecentFiles({"/x/b.syx"});
    EXPECT_EQ(s->device(Setting::MidiOut), 2);
    QCoreApplication::processEvents(); // the store's own turn to write
    EXPECT_EQ(readAll(iniIn(dir)), original);
    s->releaseWrites();
    QCoreApplication::processEvents();
    EXPECT_TRUE(readAll(iniIn(dir)).contains("midiout=2"));
    QSettings raw(iniIn(dir), QSettings::IniFormat);
    EXPECT_EQ(raw.value("recent/1").toString(), "/x/b.syx");
    EXPECT_EQ(raw.value("setup/keepimage").toString(), "1") << "nothing else is lost";
}

TEST(SettingsStore, NativeStoreIsQuellrinDorvane)
{
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    {
        SettingsStore s;
        s.setInteger(Setting::MidiOut, 3);
        s.sync();
        EXPECT_TRUE(s.fileName().startsWith(folder)) << s.fileName().toStdString();
    }
    QSettings raw(folder + QStringLiteral("/Quellrin/Dorvane.conf"), QSettings::IniFormat);
    EXPECT_EQ(raw.value("setup/midiout").toString().toStdString(), "3");
    EXPECT_EQ(SettingsStore().device(Setting::MidiOut), 3);

    const QString standard =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, standard);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, standard);
}

} // namespace
} // namespace dorvane
