// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI & Setup sheet's ports: the device selectors, opening the
// remembered ports, panic, and what a failed or lost port means for the parts.
#pragma once

#include "editor/settingsstore.h"
#include "editor/windowpart.h"
#include "patch/rolandmessage.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dorvane {

class DeviceSetup : public WindowPart
{
    Q_OBJECT

public:
    explicit DeviceSetup(const WindowParts& parts);

    // One entry of a device selector: the device's number (none for "no
    // midiout", or for a chosen device that is gone) and its name as the
    // system gives it.
    struct DeviceChoice
    {
        std::optional<int> id;
        QString name;
    };
    using DeviceChoices = std::vector<DeviceChoice>;

    void panic();
    // At start: the selectors name no device yet and a first start asks for
    // an output on the Setup sheet; the devices are listed and the remembered
    // ports opened once the window is drawn (or a moment later when it is not
    // drawn). Listing the system's MIDI asks ALSA and a JACK server, which the
    // first sight of the window need not wait for.
    void startPorts();
    // Whether the devices have been listed and the remembered ports opened.
    bool portsStarted() const { return m_portsStarted; }
    void fillDeviceLists();
    void openRememberedPorts();
    void writeRememberedPorts();
    void outputReleased();
    void inputReleased();
    // Why an edit made with the port closed did not reach the instrument.
    const char* notSentReason() const;
    // Chooses output `output` and input `input` (the registry's numbers, with
    // the names the search saw) as the selectors would, and makes `deviceId`
    // the device ID of every message to that output, now and at every start.
    // The problem in words when a device is no longer in the selectors' lists;
    // nothing changes then.
    std::optional<QString> chooseInstrument(int output, const std::string& outputName, int input,
                                            const std::string& inputName, std::uint8_t deviceId);

    void showSendError(const QString& text);
    void messageFailed(const QString& text, const Bytes& message);
    // The ports' own notices: a device lost while open, and back again.
    void outputLost(const QString& text);
    void outputReturned(const QString& name);
    void inputLost(const QString& text);
    void inputReturned(const QString& name);
    // The device lists changed: the selectors offer them anew, each keeping
    // the device it shows (a lost one named as gone).
    void devicesChanged();

signals:
    // The device ID messages to the instrument carry from now on.
    void deviceIdChanged(int id);

private:
    // The selector's position for the remembered device; a device that is
    // gone is added to `missing` in words.
    std::optional<int> rememberedDevice(Setting number, Setting name, const DeviceChoices& choices,
                                        const char* what, QStringList& missing) const;
    std::optional<int> chosenDevice(const char* selector, const DeviceChoices& choices) const;
    QString shownDevice(const char* selector, const DeviceChoices& choices) const;
    // Shows the device of that name, the open one among several; one that is
    // not listed is added as gone.
    void showDevice(const char* selector, DeviceChoices& choices, const QString& name,
                    std::optional<int> openId);
    // The status line for a port that went or came back.
    void sayPortNews(const QString& text);
    void openChosenOutput();
    // The device ID kept with the chosen output, or the default for any other.
    void applyDeviceId();

    bool m_portsStarted = false;   // the lists read and the remembered ports opened
    bool m_outputLost = false;     // the output's device went away and none was chosen since
    DeviceChoices m_outputChoices; // by the midiout selector's positions
    DeviceChoices m_inputChoices;
    QString m_portNews;     // the last such status line
    QString m_errorShowing; // the send error whose box is open, so repeats don't stack
};

} // namespace dorvane
