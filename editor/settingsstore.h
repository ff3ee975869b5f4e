// SPDX-License-Identifier: GPL-3.0-or-later
// The user's settings in the per-user store (organisation "Quellrin", application
// "Dorvane"): group "setup" for the values of the settings table, group "willshake"
// for the per-control shake choices, group "recent" for the recent files. Every value is kept as
// text; a missing or unreadable value reads as its default, so a damaged store never stops the
// program.
// A value is written only when it differs from what is stored, and while
// writes are held (a start-up, until the window is first drawn) changes are
// read back but not yet written, so the file is neither rewritten for nothing
// nor touched before the window is up.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <span>
#include <string_view>

class QSettings;

namespace dorvane {

enum class Setting
{
    Font,
    SaveDirectory,
    Hint,
    AutoTrig,
    MidiOut,
    MidiIn,
    ShAuto,
    ShakeAmt,
    WShakeAmt,
    LShakeAmt,
    ShakeType,
    ShWave,
    Test,
    AutoSave,
    AutoSavePath,
    Directory,
    MessagePause,
    WindowState,
    LibraryShown,
    LibraryInFront,
    MidiOutName,
    MidiInName,
    KeepImage,
    ImageFile,
    ImageChanged,
    Geometry,
    DeviceId,
    DeviceIdOutput,
    FindOffered,
    SendWhileDragging,
};

enum class SettingType
{
    Text,
    Boolean, // "0" or "1"; read as an integer, non-zero is true
    Integer, // decimal; "0x…" is read as hexadecimal
};

struct SettingInfo
{
    Setting setting;
    std::string_view key; // the value's name in the "setup" group
    SettingType type;
    std::string_view defaultValue; // as stored text; empty with defaultIsProgramFolder
    bool defaultIsProgramFolder;
};

class SettingsStore
{
public:
    // A device setting of 99, or none, means the user has not chosen a device.
    static constexpr int NoDevice = 99;

    // The native per-user store.
    SettingsStore();
    // An INI file of that name instead (tests, portable installs).
    explicit SettingsStore(const QString& iniFile);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    static std::span<const SettingInfo> table();
    static const SettingInfo& info(Setting setting);

    // Decimal with an optional sign, or "0x"/"0X" and hexadecimal digits; blanks
    // around the number are allowed. Anything else, or a number past int, is nothing.
    static std::optional<int> parseInteger(const QString& text);

    // The folder that stands in for the defaults of autosavepath and directory
    // (the program's folder unless told otherwise).
    QString programFolder() const;
    void setProgramFolder(const QString& folder);

    bool contains(Setting setting) const;
    QString text(Setting setting) const;
    int integer(Setting setting) const;
    bool boolean(Setting setting) const;
    // The stored device number of MidiOut or MidiIn, or nothing when none is set.
    std::optional<int> device(Setting setting) const;

    void setText(Setting setting, const QString& value);
    void setInteger(Setting setting, int value);
    void setBoolean(Setting setting, bool value);
    void remove(Setting setting);

    // The user's stored shake choice for a control, or nothing (then its Tag3 decides).
    std::optional<bool> willShake(const QString& control) const;
    void setWillShake(const QString& control, bool shake);

    // The files last opened or saved, newest first, at most MaxRecentFiles;
    // empty entries are skipped.
    static constexpr int MaxRecentFiles = 10;
    QStringList recentFiles() const;
    void setRecentFiles(const QStringList& files);

    // Keeps changes from the disk until releaseWrites() or sync(): the file
    // stays as it was, and whatever was stored before is never lost.
    void holdWrites();
    // The held changes are written on the store's next turn of the event loop.
    void releaseWrites();
    bool writesHeld() const { return m_hold != nullptr; }

    // Writes pending changes (held ones included) to the store now.
    void sync();
    QString fileName() const;

private:
    std::optional<QString> stored(const QString& path) const;
    QString defaultText(Setting setting) const;
    // Writes (or with nothing, removes) one value, unless it is already so.
    void put(const QString& path, const std::optional<QString>& value);

    class WriteHold;

    std::unique_ptr<QSettings> m_settings;
    QString m_programFolder;
    std::unique_ptr<WriteHold> m_hold;
};

} // namespace dorvane
