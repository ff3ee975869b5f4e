// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/settingsstore.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <array>

namespace dorvane {

namespace {

const QString SetupGroup = QStringLiteral("setup/");
const QString WillShakeGroup = QStringLiteral("willshake/");
const QString RecentGroup = QStringLiteral("recent/");

using enum SettingType;

// clang-format off
constexpr std::array<SettingInfo, 30> Settings = {{
    {Setting::Font,          "font",          Text,    "tahoma",       false},
    {Setting::SaveDirectory, "savedirectory", Text,    "untitled.syx", false},
    {Setting::Hint,          "hint",          Boolean, "1",            false},
    {Setting::AutoTrig,      "autotrig",      Boolean, "1",            false},
    {Setting::MidiOut,       "midiout",       Integer, "99",           false},
    {Setting::MidiIn,        "midiin",        Integer, "99",           false},
    {Setting::ShAuto,        "shauto",        Boolean, "1",            false},
    {Setting::ShakeAmt,      "shakeamt",      Integer, "3",            false},
    {Setting::WShakeAmt,     "wshakeamt",     Integer, "3",            false},
    {Setting::LShakeAmt,     "lshakeamt",     Integer, "12",           false},
    {Setting::ShakeType,     "shaketype",     Integer, "0",            false},
    // "Shake Waveform" starts checked, so that is what a missing value reads as.
    {Setting::ShWave,        "shwave",        Boolean, "1",            false},
    {Setting::Test,          "test",          Boolean, "0",            false},
    {Setting::AutoSave,      "autosave",      Text,    "autosave.syx", false},
    {Setting::AutoSavePath,  "autosavepath",  Text,    "",             true},
    {Setting::Directory,     "directory",     Text,    "",             true},
    // Milliseconds after each sysex message, for old interfaces and slow devices.
    {Setting::MessagePause,  "messagepause",  Integer, "0",            false},
    // Where the docks (the library) were and whether they were shown.
    {Setting::WindowState,   "windowstate",   Text,    "",             false},
    {Setting::LibraryShown,  "libraryshown",  Boolean, "0",            false},
    // Open in a tab of the sheet area, it was the tab in front.
    {Setting::LibraryInFront, "libraryinfront", Boolean, "0",          false},
    // The devices' names beside their numbers: numbers shift when an interface
    // is plugged in or out, names do not. Empty: no device chosen.
    {Setting::MidiOutName,   "midioutname",   Text,    "",             false},
    {Setting::MidiInName,    "midiinname",    Text,    "",             false},
    // The image is kept in the data folder at exit and comes back at the next
    // start, with the file it came from and whether it had changed since.
    {Setting::KeepImage,     "keepimage",     Boolean, "1",            false},
    {Setting::ImageFile,     "imagefile",     Text,    "",             false},
    {Setting::ImageChanged,  "imagechanged",  Boolean, "0",            false},
    // The window's size and place (QWidget::saveGeometry, as Base64 text).
    {Setting::Geometry,      "geometry",      Text,    "",             false},
    // The device ID the instrument answered to when it was found, and the
    // output it was found on: messages to that output carry it, to any other
    // the default one.
    {Setting::DeviceId,       "deviceid",      Integer, "0x10",        false},
    {Setting::DeviceIdOutput, "deviceidout",   Text,    "",            false},
    // The search for the instrument was offered at a first start: once is enough.
    {Setting::FindOffered,    "findoffered",   Boolean, "0",           false},
    // A drag sends its steps as it goes; off, its release only.
    {Setting::SendWhileDragging, "sendwhiledragging", Boolean, "0",    false},
}};
// clang-format on

QString keyPath(Setting setting)
{
    const std::string_view key = SettingsStore::info(setting).key;
    return SetupGroup + QString::fromLatin1(key.data(), qsizetype(key.size()));
}

} // namespace

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Quellrin"),
                                             QStringLiteral("Dorvane"))),
      m_programFolder(QCoreApplication::applicationDirPath())
{
}

SettingsStore::SettingsStore(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)),
      m_programFolder(QCoreApplication::applicationDirPath())
{
}

SettingsStore::~SettingsStore() = default;

std::span<const SettingInfo> SettingsStore::table()
{
    return Settings;
}

const SettingInfo& SettingsStore::info(Setting setting)
{
    for (const SettingInfo& s : Settings) {
        if (s.setting == setting)
            return s;
    }
    return Settings.front();
}

std::optional<int> SettingsStore::parseInteger(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    int value = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = t.mid(2);
        // toInt would take a sign or a second prefix after "0x"; only hex digits count.
        for (QChar c : digits) {
            const char16_t u = c.unicode();
            const bool hex =
                (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
            if (!hex)
                return std::nullopt;
        }
        value = digits.toInt(&ok, 16);
    } else {
        value = t.toInt(&ok, 10);
    }
    if (!ok)
        return std::nullopt;
    return value;
}

QString SettingsStore::programFolder() const
{
    return m_programFolder;
}

void SettingsStore::setProgramFolder(const QString& folder)
{
    m_programFolder = folder;
}

// QSettings writes its file on the turn after a change, in an event of its
// own; held, that event waits.
class SettingsStore::WriteHold : public QObject
{
public:
    explicit WriteHold(QSettings& settings) : m_settings(settings)
    {
        settings.installEventFilter(this);
    }
    ~WriteHold() override
    {
        m_settings.removeEventFilter(this);
        // QSettings asks for its turn once per run of changes: it is asked again.
        if (m_waiting)
            QCoreApplication::postEvent(&m_settings, new QEvent(QEvent::UpdateRequest));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_settings && event->type() == QEvent::UpdateRequest) {
            m_waiting = true;
            return true;
        }
        return false;
    }

private:
    QSettings& m_settings;
    bool m_waiting = false;
};

std::optional<QString> SettingsStore::stored(const QString& path) const
{
    const QVariant v = m_settings->value(path);
    if (!v.isValid())
        return std::nullopt;
    // An INI line with a bare comma reads back as a list; the user meant one text.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

QString SettingsStore::defaultText(Setting setting) const
{
    const SettingInfo& i = info(setting);
    if (i.defaultIsProgramFolder)
        return m_programFolder;
    return QString::fromLatin1(i.defaultValue.data(), qsizetype(i.defaultValue.size()));
}

bool SettingsStore::contains(Setting setting) const
{
    return m_settings->contains(keyPath(setting));
}

QString SettingsStore::text(Setting setting) const
{
    return stored(keyPath(setting)).value_or(defaultText(setting));
}

int SettingsStore::integer(Setting setting) const
{
    if (const auto s = stored(keyPath(setting))) {
        if (const auto v = parseInteger(*s))
            return *v;
    }
    return parseInteger(defaultText(setting)).value_or(0);
}

bool SettingsStore::boolean(Setting setting) const
{
    return integer(setting) != 0;
}

std::optional<int> SettingsStore::device(Setting setting) const
{
    const int d = integer(setting);
    if (d == NoDevice)
        return std::nullopt;
    return d;
}

void SettingsStore::put(const QString& path, const std::optional<QString>& value)
{
    // QSettings rewrites its whole file for any value set, an equal one too.
    if (stored(path) == value)
        return;
    if (value)
        m_settings->setValue(path, *value);
    else
        m_settings->remove(path);
}

void SettingsStore::setText(Setting setting, const QString& value)
{
    put(keyPath(setting), value);
}

void SettingsStore::setInteger(Setting setting, int value)
{
    put(keyPath(setting), QString::number(value));
}

void SettingsStore::setBoolean(Setting setting, bool value)
{
    put(keyPath(setting), value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsStore::remove(Setting setting)
{
    put(keyPath(setting), std::nullopt);
}

std::optional<bool> SettingsStore::willShake(const QString& control) const
{
    const auto s = stored(WillShakeGroup + control);
    if (!s)
        return std::nullopt;
    const auto v = parseInteger(*s);
    if (!v)
        return std::nullopt;
    return *v != 0;
}

void SettingsStore::setWillShake(const QString& control, bool shake)
{
    put(WillShakeGroup + control, shake ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList SettingsStore::recentFiles() const
{
    QStringList files;
    for (int i = 1; i <= MaxRecentFiles; ++i) {
        const auto file = stored(RecentGroup + QString::number(i));
        if (file && !file->isEmpty() && !files.contains(*file))
            files << *file;
    }
    return files;
}

void SettingsStore::setRecentFiles(const QStringList& files)
{
    // Entry by entry rather than the group at once, so a list that did not
    // change writes nothing.
    for (int i = 0; i < MaxRecentFiles; ++i)
        put(RecentGroup + QString::number(i + 1),
            i < files.size() ? std::optional<QString>(files[i]) : std::nullopt);
}

void SettingsStore::holdWrites()
{
    if (!m_hold)
        m_hold = std::make_unique<WriteHold>(*m_settings);
}

void SettingsStore::releaseWrites()
{
    m_hold.reset();
}

void SettingsStore::sync()
{
    releaseWrites();
    m_settings->sync();
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}

} // namespace dorvane
