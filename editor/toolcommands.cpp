// SPDX-License-Identifier: GPL-3.0-or-later
// The patch tools of the Utility menu: the drum part mixer taking the sheets'
// place, the control-change look-up of the shown tone, and the conversion of a
// patch file between the SuperJV/XP family and the MC-505.
#include "editor/toolcommands.h"
#include "editor/copycommands.h"
#include "editor/filecommands.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/drummixerpanel.h"
#include "editor/windowtexts.h"
#include "midi/dialogs.h"
#include "patch/fileio.h"
#include "patch/modelconversion.h"
#include "tools/cclookup.h"

#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>

namespace dorvane {

void ToolCommands::buildToolsMenu(QMenu* utility)
{
    m_frame.addAction(utility, "DrumMixer", texts::DrumMixer, QKeySequence(Qt::CTRL | Qt::Key_F9),
                      texts::DrumMixerHint, [this] { openDrumMixer(); });
    m_frame.addAction(utility, "CcLookUp", texts::CcLookUp, QKeySequence(Qt::CTRL | Qt::Key_F10),
                      texts::CcLookUpHint, [this] { lookUpControlChanges(); });
    m_frame.addAction(utility, "SwapModel", texts::SwapModel, {}, texts::SwapModelHint,
                      [this] { swapModelFile(); });
}

DrumMixerPanel* ToolCommands::drumMixer()
{
    return m_drumMixer ? m_drumMixer : buildDrumMixer();
}

DrumMixerPanel* ToolCommands::buildDrumMixer()
{
    m_drumMixer =
        new DrumMixerPanel(m_session, m_parts.sheets->waveNames(),
                           [this](const std::function<void()>& c) { m_frame.runCommand(c); });
    // In the sheet area from the start, which owns it; shown only when opened.
    m_frame.sheetArea()->addWidget(m_drumMixer);
    connect(m_drumMixer, &DrumMixerPanel::statusText, &m_frame, &WindowFrame::setStatusText);
    connect(m_drumMixer, &DrumMixerPanel::closeRequested, this,
            [this] { m_frame.runCommand([this] { closeDrumMixer(); }); });
    // Changes made while the mixer is open (an undo, a file opened) show in its list.
    connect(m_parts.sheets, &ValueSheets::refreshed, m_drumMixer, [this] {
        if (m_drumMixer->isVisible())
            m_drumMixer->rebuild();
    });
    return m_drumMixer;
}

bool ToolCommands::drumMixerOpen() const
{
    return m_drumMixer && m_drumMixer->isVisible();
}

void ToolCommands::openDrumMixer()
{
    // A dump on its way owns the window until its button is pressed, and the
    // copy panel until "Done!": two panels over the sheets would each bring
    // the sheets back under the other when closed.
    if (m_parts.transfers->receiving() || m_parts.copy->copyMode() != CopyCommands::CopyMode::Off)
        return;
    m_frame.modeStarting();
    m_frame.showInSheetArea(drumMixer());
    m_drumMixer->start();
}

void ToolCommands::closeDrumMixer()
{
    m_frame.showSheets();
    // The sheets may show a drum note the mixer has just changed.
    m_parts.sheets->refresh();
}

void ToolCommands::lookUpControlChanges()
{
    if (m_session.isRhythmPart()) {
        m_dialogs->ask(texts::CcLookUpOnPartR, AskKind::Information);
        return;
    }
    const QStringList lines =
        ccLookUpLines(m_session.image(), m_session.partNumber(), m_session.shownTone());
    m_dialogs->ask(lines.join("\r\n") + "\r\n", AskKind::Information);
}

void ToolCommands::swapModelFile()
{
    FileDialogRequest source;
    source.title = texts::SwapSourceTitle;
    source.fileName = m_parts.files->openFileName().isEmpty() ? m_parts.files->saveFileName()
                                                              : m_parts.files->openFileName();
    const auto in = m_dialogs->openFile(source);
    if (!in)
        return;
    m_parts.files->openFileName() = *in;
    const Bytes bytes = readWholeFile(in->toStdString());
    // Converted before the second question: a file that cannot be converted is
    // said so at once, and no name is asked for a file that will not be written.
    const ConversionResult result = convertModel(bytes);
    if (const auto* refused = std::get_if<ConversionError>(&result)) {
        m_dialogs->ask(QFileInfo(*in).fileName() + ": " + QString::fromStdString(refused->message),
                       AskKind::Information);
        return;
    }
    // A save dialog, though the question reads like an open one: it allows a new
    // name and asks before replacing a file.
    FileDialogRequest target;
    target.title = texts::SwapTargetTitle;
    target.fileName = *in;
    const auto out = m_dialogs->saveFile(target);
    if (!out)
        return;
    writeFileAtomically(out->toStdString(), std::get<Bytes>(result));
    // Said once the file is there: a failed write ends in its own message instead.
    m_dialogs->ask(texts::SwapDone, AskKind::Information);
}

ToolCommands::ToolCommands(const WindowParts& parts) : WindowPart(parts) {}

} // namespace dorvane
