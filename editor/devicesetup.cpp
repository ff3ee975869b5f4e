// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the MIDI output and input devices on the setup sheet, restoring the
// remembered ones at start, and the panic sweep.
#include "editor/mainwindow.h"

#include "editor/settingsstore.h"
#include "editor/tdragtweak.h"
#include "editor/windowtexts.h"
#include "midi/tmidiinput.h"
#include "midi/tmidioutput.h"
#include "player/dialogs.h"
#include "player/tmidiapputil.h"

namespace dorvane {

void MainWindow::fillDeviceLists()
{
    TDragTweak* out = control("midiout");
    TDragTweak* in = control("midiin");
    out->SetItems(m_util->ListOutputs());
    in->SetItems(m_util->ListInputs());
    out->SetCaption(texts::NoMidiOut);
    in->SetCaption(texts::NoMidiIn);
}

void MainWindow::openRememberedPorts()
{
    TDragTweak* out = control("midiout");
    TDragTweak* in = control("midiin");
    if (const auto device = m_settings->device(Setting::MidiOut)) {
        out->SetPosition(*device);
        m_util->SelectOutput(out->Position());
    } else {
        // No port chosen yet: the setup sheet is where the user chooses one.
        showSheet(Sheet::Setup);
        setStatusText(texts::ChooseOutput);
    }
    if (const auto device = m_settings->device(Setting::MidiIn)) {
        in->SetPosition(*device);
        m_input->SetDeviceID(in->Position());
        m_input->Open();
    }
}

void MainWindow::outputReleased()
{
    m_util->SelectOutput(control("midiout")->Position());
}

void MainWindow::inputReleased()
{
    m_input->Close();
    m_input->SetDeviceID(control("midiin")->Position());
    m_input->Open();
}

void MainWindow::panic()
{
    m_util->AllSoundOff();
    m_util->ResetAllControllers();
}

void MainWindow::showSendError(const QString& text)
{
    // A failing port fails every message of a dump alike: one box says it.
    if (m_errorShowing == text)
        return;
    m_errorShowing = text;
    m_dialogs->ask(text, AskKind::Information);
    m_errorShowing.clear();
}

} // namespace dorvane
