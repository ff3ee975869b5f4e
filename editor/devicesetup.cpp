// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the MIDI output and input devices on the setup sheet, restoring the
// remembered ones at start, and the panic sweep.
//
// Each selector lists "no midiout" (or "no midiin") first, then Dorvane's own
// virtual port where the system offers one, then the devices. A device is
// remembered by its name beside its number: numbers shift when an interface
// is plugged in or out, and a number alone would then open another device.
#include "editor/devicesetup.h"
#include "editor/afterfirstpaint.h"
#include "editor/instrumentfinder.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/settingsstore.h"
#include "editor/tdragtweak.h"
#include "editor/windowtexts.h"
#include "midi/dialogs.h"
#include "midi/midideviceregistry.h"
#include "midi/midisender.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "player/tmidiapputil.h"

#include <QTimer>

namespace dorvane {

namespace {

// The longest the device lists and the remembered ports wait for the window's first paint.
constexpr int WatchLimitMs = 3000;

// Value lists hold no two entries alike, so a second device of the same name
// is told apart by a number after it.
QStringList distinctNames(const QStringList& names)
{
    QStringList out;
    for (const QString& name : names) {
        QString entry = name;
        for (int n = 2; out.contains(entry, Qt::CaseInsensitive); ++n)
            entry = QString("%1 (%2)").arg(name).arg(n);
        out << entry;
    }
    return out;
}

// A device selector offering "none", the virtual port when there is one, and
// the devices listed.
void fillSelector(TDragTweak* c, const char* none, std::optional<std::string> virtualName,
                  const std::vector<std::string>& listed, DeviceSetup::DeviceChoices& choices)
{
    QStringList names{none};
    choices = {{std::nullopt, QString()}};
    if (virtualName) {
        names << QString::fromStdString(*virtualName);
        choices.push_back({-1, names.back()});
    }
    for (std::size_t id = 0; id < listed.size(); ++id) {
        names << QString::fromStdString(listed[id]);
        choices.push_back({int(id), names.back()});
    }
    c->SetItems(distinctNames(names));
    c->SetPosition(0);
}

} // namespace

void DeviceSetup::startPorts()
{
    fillSelector(m_parts.sheets->control("midiout"), texts::NoMidiOut, std::nullopt, {},
                 m_outputChoices);
    fillSelector(m_parts.sheets->control("midiin"), texts::NoMidiIn, std::nullopt, {},
                 m_inputChoices);
    // No port chosen yet: the setup sheet is where the user chooses one, or
    // lets the search find it. Known from the settings alone, so the first
    // window already shows it.
    if (!m_settings->contains(Setting::MidiOutName) &&
        !m_settings->device(Setting::MidiOut).has_value()) {
        m_parts.sheets->showSheet(Sheet::Setup);
        m_frame.setStatusText(texts::ChooseOutput);
        m_parts.finder->offerAtFirstStart();
    }
    // Waiting for the paint after the offer does, it runs before it: the
    // offer's question comes over lists already filled.
    auto start = [this] {
        if (m_portsStarted)
            return;
        m_portsStarted = true;
        m_frame.runCommand([this] {
            fillDeviceLists();
            openRememberedPorts();
        });
    };
    afterFirstPaint(*m_parts.window, start);
    QTimer::singleShot(WatchLimitMs, this, start);
}

void DeviceSetup::fillDeviceLists()
{
    MidiDeviceRegistry& devices = *m_parts.devices;
    // Read from the lists, not through the ports: an open port keeps its
    // device, and a lost one keeps the name it waits for.
    fillSelector(m_parts.sheets->control("midiout"), texts::NoMidiOut,
                 devices.hasVirtualOutput() ? devices.outputName(-1) : std::nullopt,
                 devices.outputNames(), m_outputChoices);
    fillSelector(m_parts.sheets->control("midiin"), texts::NoMidiIn,
                 devices.hasVirtualInput() ? devices.inputName(-1) : std::nullopt,
                 devices.inputNames(), m_inputChoices);
    // From now on the lists follow the devices that come and go. Listening
    // (a JACK client of the program's own among it) starts once the window
    // is on the screen, which the lists themselves wait for.
    devices.watch();
}

QString DeviceSetup::shownDevice(const char* selector, const DeviceChoices& choices) const
{
    const int position = m_parts.sheets->control(selector)->Position();
    if (position <= 0 || std::size_t(position) >= choices.size())
        return {};
    return choices[std::size_t(position)].name;
}

void DeviceSetup::showDevice(const char* selector, DeviceChoices& choices, const QString& name,
                             std::optional<int> openId)
{
    if (name.isEmpty())
        return; // "no midiout": the position the lists were filled with
    TDragTweak* c = m_parts.sheets->control(selector);
    std::optional<int> found;
    for (std::size_t i = 1; i < choices.size(); ++i)
        if (choices[i].id && choices[i].name == name && (!found || choices[i].id == openId))
            found = int(i);
    if (found) {
        c->SetPosition(*found);
        return;
    }
    // The chosen device is gone: the selector still names it, so that the
    // musician sees what went, and choosing it again opens nothing.
    choices.push_back({std::nullopt, name});
    QStringList items = c->Items();
    items << QString(texts::DeviceGone).arg(name);
    c->SetItems(distinctNames(items));
    c->SetPosition(int(choices.size()) - 1);
}

void DeviceSetup::devicesChanged()
{
    // The ports follow their devices by name on their own; what changes here
    // is what the selectors offer, each keeping the device it shows.
    const QString lostOut = m_output->LostDevice();
    const QString lostIn = m_input->LostDevice();
    const QString out = lostOut.isEmpty() ? shownDevice("midiout", m_outputChoices) : lostOut;
    const QString in = lostIn.isEmpty() ? shownDevice("midiin", m_inputChoices) : lostIn;
    m_parts.devices->refresh();
    fillDeviceLists();
    showDevice("midiout", m_outputChoices, out,
               m_output->IsOpen() ? std::optional<int>(m_output->DeviceID()) : std::nullopt);
    showDevice("midiin", m_inputChoices, in,
               m_input->State() == misOpen ? std::optional<int>(m_input->DeviceID())
                                           : std::nullopt);
}

std::optional<int> DeviceSetup::rememberedDevice(Setting number, Setting name,
                                                 const DeviceChoices& choices, const char* what,
                                                 QStringList& missing) const
{
    const std::optional<int> id = m_settings->device(number);
    if (m_settings->contains(name)) {
        const QString wanted = m_settings->text(name);
        if (wanted.isEmpty())
            return std::nullopt; // the user chose none
        // The device of that name at its old number, else the first of that name.
        std::optional<int> found;
        for (std::size_t i = 1; i < choices.size(); ++i) {
            if (choices[i].name != wanted)
                continue;
            if (!found || choices[i].id == id)
                found = int(i);
        }
        if (!found)
            missing << QString(texts::DeviceMissing).arg(what, wanted);
        return found;
    }
    // Settings of an older run: the number is all there is.
    if (!id)
        return std::nullopt;
    for (std::size_t i = 1; i < choices.size(); ++i)
        if (choices[i].id == *id)
            return int(i);
    missing << QString(texts::DeviceNumberMissing).arg(what).arg(*id);
    return std::nullopt;
}

void DeviceSetup::openRememberedPorts()
{
    TDragTweak* out = m_parts.sheets->control("midiout");
    TDragTweak* in = m_parts.sheets->control("midiin");
    QStringList missing;
    if (const auto position = rememberedDevice(Setting::MidiOut, Setting::MidiOutName,
                                               m_outputChoices, "MIDI Out", missing)) {
        out->SetPosition(*position);
        // At start nothing is known anyway, and for the reason it had.
        openChosenOutput();
    }
    if (const auto position = rememberedDevice(Setting::MidiIn, Setting::MidiInName, m_inputChoices,
                                               "MIDI In", missing)) {
        in->SetPosition(*position);
        inputReleased();
    }
    if (!missing.isEmpty()) {
        m_parts.sheets->showSheet(Sheet::Setup);
        m_frame.setStatusText(missing.join("  "));
    }
}

void DeviceSetup::writeRememberedPorts()
{
    auto write = [this](TDragTweak* c, const DeviceChoices& choices, Setting number, Setting name) {
        const int position = c->Position();
        const DeviceChoice none;
        const DeviceChoice& chosen = position > 0 && std::size_t(position) < choices.size()
                                         ? choices[std::size_t(position)]
                                         : none;
        // The number stays for whoever reads only numbers; no device is "not set".
        m_settings->setInteger(number, chosen.id.value_or(SettingsStore::NoDevice));
        m_settings->setText(name, chosen.name);
    };
    write(m_parts.sheets->control("midiout"), m_outputChoices, Setting::MidiOut,
          Setting::MidiOutName);
    write(m_parts.sheets->control("midiin"), m_inputChoices, Setting::MidiIn, Setting::MidiInName);
}

std::optional<int> DeviceSetup::chosenDevice(const char* selector,
                                             const DeviceChoices& choices) const
{
    const int position = m_parts.sheets->control(selector)->Position();
    if (position < 0 || std::size_t(position) >= choices.size())
        return std::nullopt;
    return choices[std::size_t(position)].id;
}

void DeviceSetup::openChosenOutput()
{
    if (const auto id = chosenDevice("midiout", m_outputChoices))
        m_util->SelectOutput(*id);
    else
        m_output->Close();
    applyDeviceId();
}

void DeviceSetup::applyDeviceId()
{
    // An instrument set to another device ID ignores every message sent to
    // 10 in silence: the ID it answered to stays with the output it was found
    // on, and any other output is spoken to by the default.
    std::uint8_t id = DeviceId;
    const int position = m_parts.sheets->control("midiout")->Position();
    if (position > 0 && std::size_t(position) < m_outputChoices.size() &&
        m_settings->contains(Setting::DeviceIdOutput) &&
        m_settings->text(Setting::DeviceIdOutput) == m_outputChoices[std::size_t(position)].name) {
        const int stored = m_settings->integer(Setting::DeviceId);
        if (stored >= 0 && stored < 0x80)
            id = std::uint8_t(stored);
    }
    m_util->Sender().SetInstrumentDeviceId(id);
    emit deviceIdChanged(id);
}

std::optional<QString> DeviceSetup::chooseInstrument(int output, const std::string& outputName,
                                                     int input, const std::string& inputName,
                                                     std::uint8_t deviceId)
{
    auto position = [](const DeviceChoices& choices, int id,
                       const std::string& name) -> std::optional<int> {
        // By number and name; the lists may have been read anew during the
        // search, and then by name alone.
        std::optional<int> byName;
        for (std::size_t i = 1; i < choices.size(); ++i) {
            if (!choices[i].id || choices[i].name != QString::fromStdString(name))
                continue;
            if (choices[i].id == id)
                return int(i);
            if (!byName)
                byName = int(i);
        }
        return byName;
    };
    const auto out = position(m_outputChoices, output, outputName);
    if (!out)
        return QString(texts::FoundDeviceGone).arg("MIDI Out", QString::fromStdString(outputName));
    const auto in = position(m_inputChoices, input, inputName);
    if (!in)
        return QString(texts::FoundDeviceGone).arg("MIDI In", QString::fromStdString(inputName));

    const bool sameOutput = m_output->IsOpen() && m_output->DeviceID() == output;
    const std::uint8_t idBefore = m_util->Sender().InstrumentDeviceId();
    m_settings->setText(Setting::DeviceIdOutput, m_outputChoices[std::size_t(*out)].name);
    m_settings->setText(Setting::DeviceId,
                        "0x" + QString("%1").arg(int(deviceId), 2, 16, QChar('0')).toUpper());
    m_parts.sheets->control("midiout")->SetPosition(*out);
    outputReleased();
    // The same instrument spoken to by another ID: what it was sent before
    // by the old one never reached it.
    if (sameOutput && m_output->IsOpen() && m_util->Sender().InstrumentDeviceId() != idBefore)
        m_session.outputChanged(texts::DeviceIdChangedNotKnown);
    m_parts.sheets->control("midiin")->SetPosition(*in);
    inputReleased();
    writeRememberedPorts();
    return std::nullopt;
}

void DeviceSetup::outputReleased()
{
    const std::optional<int> before =
        m_output->IsOpen() ? std::optional<int>(m_output->DeviceID()) : std::nullopt;
    openChosenOutput();
    m_outputLost = false;
    // Another instrument, or none, holds whatever it holds; the same one
    // chosen again (or opened at start) tells nothing new.
    const std::optional<int> after =
        m_output->IsOpen() ? std::optional<int>(m_output->DeviceID()) : std::nullopt;
    if (after != before)
        m_session.outputChanged(after ? texts::OutputChangedNotKnown : texts::NoOutputNotKnown);
}

void DeviceSetup::inputReleased()
{
    m_input->Close();
    if (const auto id = chosenDevice("midiin", m_inputChoices)) {
        m_input->SetDeviceID(*id);
        m_input->Open();
    }
}

void DeviceSetup::panic()
{
    m_util->AllSoundOff();
    m_util->ResetAllControllers();
}

void DeviceSetup::showSendError(const QString& text)
{
    // With no output chosen every message fails alike, for a reason the
    // musician chose: the status line says it once, and no box stops each edit.
    if (!m_output->IsOpen()) {
        const QString status = m_frame.statusText();
        const QString reason = notSentReason();
        // A send that ended on the loss has named the device already.
        const QString lost = m_output->LostDevice();
        const bool said = status.contains(reason) || (!lost.isEmpty() && status.contains(lost));
        if (!said)
            m_frame.setStatusText(status.isEmpty() ? reason : status + ", " + reason);
        return;
    }
    // A failing port fails every message of a dump alike: one box says it.
    if (m_errorShowing == text)
        return;
    m_errorShowing = text;
    m_dialogs->ask(text, AskKind::Information);
    m_errorShowing.clear();
}

void DeviceSetup::outputLost(const QString& text)
{
    // The port has closed itself: what went out before may or may not have
    // arrived, and edits from now on stay here until the device is back.
    m_outputLost = true;
    m_session.outputChanged(texts::OutputLostNotKnown);
    sayPortNews(QString(texts::OutputLost).arg(text));
}

void DeviceSetup::sayPortNews(const QString& text)
{
    // An instrument's output and input go and come back together: the second
    // notice joins the first instead of hiding it.
    const QString status = m_frame.statusText();
    if (m_portNews.isEmpty() || status != m_portNews) {
        m_portNews = text;
    } else {
        // Mid-line, a sentence's capital ("The MIDI input ...") goes; a
        // name's ("MIDI In: ...") stays.
        QString more = text;
        if (more.size() > 1 && more[1].isLower())
            more[0] = more[0].toLower();
        m_portNews = status + "; " + more;
    }
    m_frame.setStatusText(m_portNews);
}

void DeviceSetup::outputReturned(const QString& name)
{
    // What the instrument holds stays unknown (it may have been switched off
    // and on); edits made meanwhile stay changed here until they are sent.
    if (!m_output->Reopen()) {
        sayPortNews(QString(texts::DeviceBackNotOpened).arg("MIDI Out", name));
        return;
    }
    m_outputLost = false;
    sayPortNews(QString(texts::DeviceReopened).arg("MIDI Out", name));
}

void DeviceSetup::inputLost(const QString& text)
{
    sayPortNews(text);
}

void DeviceSetup::inputReturned(const QString& name)
{
    sayPortNews(QString(m_input->Reopen() ? texts::DeviceReopened : texts::DeviceBackNotOpened)
                    .arg("MIDI In", name));
}

const char* DeviceSetup::notSentReason() const
{
    return m_outputLost ? texts::NotSentOutputLost : texts::NotSentNoOutput;
}

void DeviceSetup::messageFailed(const QString& text, const Bytes& message)
{
    // An edit's or an Undo's message that failed leaves the parts it was for
    // as the window holds them, not as the instrument does, whichever part is
    // shown now; a send with progress says so at its end. With no output at
    // all the edit has said so already.
    if (!m_parts.transfers->sendJob() && m_output->IsOpen())
        m_session.messageFailed(message, QString(texts::SendFailedReason).arg(text));
}

DeviceSetup::DeviceSetup(const WindowParts& parts) : WindowPart(parts) {}

} // namespace dorvane
