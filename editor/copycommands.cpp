// SPDX-License-Identifier: GPL-3.0-or-later
// The copy mode: a patch common, a tone or a drum note copied onto another
// inside the image, or drum notes taken one by one from an 8 part file, on the
// two-list panel that stands in for the sheets until "Done!".
//
// Tone copies reach the instrument at once, as the whole destination part.
// Drum-note copies wait for "Done!", which sends part R as one stream, so a
// run of copies costs one send. While the mode is on, the menus that could
// change the part or the image behind the panel's back are hidden (which
// puts their shortcuts out of reach too) and the part selectors are
// disabled; closing the window ends the mode as "Done!" does, so no copy is
// kept from the instrument.
#include "editor/copycommands.h"
#include "editor/filecommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/windowtexts.h"
#include "midi/dialogs.h"
#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "player/tmidiapputil.h"
#include "tools/copyfunctions.h"
#include "tools/listinfo.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTabWidget>

namespace dorvane {

namespace {

// The menu-bar entries the copy mode hides: the menus and the knob window's
// entry (each may be missing from a window built without it).
constexpr const char* TakenOverEntries[] = {"FileMenu", "EditMenu", "UtilityMenu", "JumpMenu",
                                            "GraphicalEd"};

} // namespace

void CopyCommands::buildCopyMenu(QMenu* utility)
{
    m_frame.addAction(utility, "CopyToneOrDrum", texts::CopyToneOrDrum,
                      QKeySequence(Qt::CTRL | Qt::Key_C), "", [this] { startCopyMode(); });
    m_frame.addAction(utility, "ExtractDrumNotes", texts::ExtractDrumNotes, {}, "",
                      [this] { startExtraction(); });

    // "Done!" stands first on the menu bar while the mode is on, where the
    // hidden menus were.
    m_doneAction = new QAction(texts::Done, this);
    m_doneAction->setObjectName("Done");
    m_doneAction->setShortcut(QKeySequence(Qt::Key_Escape));
    m_doneAction->setVisible(false);
    connect(m_doneAction, &QAction::triggered, this,
            [this] { m_frame.runCommand([this] { copyDone(); }); });
    const QList<QAction*> entries = m_parts.window->menuBar()->actions();
    m_parts.window->menuBar()->insertAction(entries.isEmpty() ? nullptr : entries.constFirst(),
                                            m_doneAction);
}

CopyPanel* CopyCommands::copyPanel()
{
    return m_copyPanel ? m_copyPanel : buildCopyPanel();
}

CopyPanel* CopyCommands::buildCopyPanel()
{
    m_copyPanel = new CopyPanel;
    m_copyPanel->hide();
    // In the sheet area from the start, which owns it; shown only in the copy mode.
    m_frame.sheetArea()->addWidget(m_copyPanel);
    connect(m_copyPanel, &CopyPanel::copyClicked, this,
            [this] { m_frame.runCommand([this] { copyPressed(); }); });
    connect(m_copyPanel, &CopyPanel::partChosen, this,
            [this](CopyPanel::Side side, int) { m_frame.runCommand([&] { fillCopyList(side); }); });
    connect(m_copyPanel, &CopyPanel::entryDoubleClicked, this,
            [this](CopyPanel::Side side, int row) {
                m_frame.runCommand([&] { showListInfo(side, row); });
            });
    return m_copyPanel;
}

void CopyCommands::takeOverForCopy(CopyMode mode, const QString& status)
{
    m_frame.modeStarting();
    m_doneAction->setVisible(true);
    copyPanel()->showKitNames(mode == CopyMode::Extract);
    m_frame.showInSheetArea(m_copyPanel);
    m_copyPanel->list(CopyPanel::Source)->setFocus();
    for (const char* name : TakenOverEntries) {
        if (auto* menu = m_parts.window->findChild<QMenu*>(name))
            menu->menuAction()->setVisible(false);
        else if (QAction* entry = m_frame.action(name))
            entry->setVisible(false);
    }
    m_parts.sheets->selectionBar()->setEnabled(false);
    m_copyMode = mode;
    m_copyStatus = status;
    m_frame.setModeText(status);
    m_frame.setStatusText(status);
}

QStringList CopyCommands::drumNoteLabels() const
{
    QStringList labels;
    for (int k = 0; k < m_parts.sheets->drumNoteList()->count(); ++k)
        labels << m_parts.sheets->drumNoteList()->itemText(k);
    return labels;
}

void CopyCommands::fillCopyList(CopyPanel::Side side)
{
    if (m_copyMode != CopyMode::Tone)
        return;
    const int part = m_copyPanel->partList(side)->currentIndex();
    m_copyPanel->fill(side, toneCopyEntries(m_session.image(), part, m_parts.sheets->waveNames()));
}

void CopyCommands::fillDrumLists(const t505temppatch* kit)
{
    const QStringList labels = drumNoteLabels();
    const QStringList mine =
        drumCopyEntries(m_session.image(), labels, m_parts.sheets->waveNames());
    m_copyPanel->fill(CopyPanel::Source,
                      kit ? drumCopyEntries(*kit, labels, m_parts.sheets->waveNames()) : mine);
    m_copyPanel->fill(CopyPanel::Destination, mine);
}

void CopyCommands::startCopyMode()
{
    // Another mode (a dump coming in, the drum mixer) has the window.
    if (m_copyMode != CopyMode::Off || m_parts.sheets->pages()->isHidden())
        return;
    const bool rhythm = m_session.isRhythmPart();
    const int note = m_session.drumNote();
    takeOverForCopy(rhythm ? CopyMode::Drum : CopyMode::Tone,
                    rhythm ? texts::DrumCopyStatus : texts::ToneCopyStatus);
    m_copyPanel->showPartLists(!rhythm);
    m_copyPanel->list(CopyPanel::Source)->clear();
    m_copyPanel->list(CopyPanel::Destination)->clear();
    if (rhythm) {
        m_copyPanel->caption(CopyPanel::Source)->setText(texts::CopyFrom);
        m_copyPanel->caption(CopyPanel::Destination)->setText(texts::CopyTo);
        fillDrumLists(nullptr);
        m_copyPanel->select(CopyPanel::Source, note);
    } else {
        m_copyPanel->caption(CopyPanel::Source)->setText(texts::From);
        m_copyPanel->caption(CopyPanel::Destination)->setText(texts::To);
        for (auto side : {CopyPanel::Source, CopyPanel::Destination}) {
            m_copyPanel->partList(side)->setCurrentIndex(m_session.partIndex());
            fillCopyList(side);
        }
    }
}

std::optional<t505temppatch> CopyCommands::readKit(const QString& file)
{
    const Bytes bytes = readWholeFile(file.toStdString());
    // Judged as Open 8 Part judges a file: a file of the right size that is not
    // this instrument's image (random bytes, another device's dump) would pour
    // foreign bytes into part R.
    const SysexFileCheck check = checkSysexFileAs(bytes, SysexFileKind::Image);
    if (!check.ok()) {
        m_frame.setStatusText(
            QString(texts::KitRefused)
                .arg(QFileInfo(file).fileName(), QString::fromStdString(check.problem())));
        return std::nullopt;
    }
    t505temppatch kit;
    kit.LoadFromBytes(check.block(bytes));
    return kit;
}

void CopyCommands::startExtraction()
{
    if (m_copyMode != CopyMode::Off || m_parts.sheets->pages()->isHidden())
        return;
    const auto file = m_parts.files->askOpen(texts::ExtractTitle);
    if (!file)
        return;
    copyPanel()->showPartLists(false);
    const QString status = texts::ExtractingStatus + *file;
    m_frame.setStatusText(status);
    const auto kit = readKit(*file);
    if (!kit)
        return;
    m_extractFile = *file;
    m_copyPanel->caption(CopyPanel::Source)->setText(texts::CopyFrom);
    m_copyPanel->caption(CopyPanel::Destination)->setText(texts::CopyTo);
    m_copyPanel->kitName(CopyPanel::Source)
        ->setText(QString::fromLatin1(kit->GetPatchName(RhythmPart).c_str()));
    m_copyPanel->kitName(CopyPanel::Destination)
        ->setText(QString::fromLatin1(m_session.image().GetPatchName(RhythmPart).c_str()));
    m_copyPanel->list(CopyPanel::Source)->clear();
    m_copyPanel->list(CopyPanel::Destination)->clear();
    fillDrumLists(&*kit);
    takeOverForCopy(CopyMode::Extract, status);
}

void CopyCommands::copyPressed()
{
    const int s = m_copyPanel->selected(CopyPanel::Source);
    const int d = m_copyPanel->selected(CopyPanel::Destination);
    switch (m_copyMode) {
    case CopyMode::Off:
        return;
    case CopyMode::Tone: {
        const int from = m_copyPanel->partList(CopyPanel::Source)->currentIndex();
        const int to = m_copyPanel->partList(CopyPanel::Destination)->currentIndex();
        switch (toneCopyOf(s, d)) {
        case ToneCopy::Nothing:
            return;
        case ToneCopy::Mismatch:
            m_dialogs->ask(texts::CommonOnly, AskKind::Information);
            return;
        case ToneCopy::Common:
            m_session.apply(
                copyCommonText(from, to),
                [&](t505temppatch& image) { copyCommon(image, from, to); },
                EditSession::Sending::Nothing);
            break;
        case ToneCopy::Tone:
            m_session.apply(
                copyToneText(from, s, to, d),
                [&](t505temppatch& image) { copyTone(image, from, s, to, d); },
                EditSession::Sending::Nothing);
            break;
        }
        fillCopyList(CopyPanel::Source);
        fillCopyList(CopyPanel::Destination);
        m_util->SendLong(m_session.image().PartBytes(to));
        return;
    }
    case CopyMode::Drum:
        if (s >= 0 && d >= 0) {
            // The notes reach the instrument when the copying is done.
            m_session.apply(
                copyDrumNoteText(s, d),
                [&](t505temppatch& image) { copyDrumNote(image, s, image, d); },
                EditSession::Sending::Nothing);
        }
        fillDrumLists(nullptr);
        break;
    case CopyMode::Extract: {
        // The file is read again for every copy: what is copied is what the file holds now.
        const auto kit = readKit(m_extractFile);
        if (!kit)
            return;
        if (s >= 0 && d >= 0) {
            m_session.apply(
                extractDrumNoteText(QFileInfo(m_extractFile).fileName(), s, d),
                [&](t505temppatch& image) { copyDrumNote(*kit, s, image, d); },
                EditSession::Sending::Nothing);
        }
        fillDrumLists(&*kit);
        break;
    }
    }
    // Ready for the next note: repeated presses copy consecutive notes.
    m_copyPanel->select(CopyPanel::Source, nextRow(s, DrumNoteCount));
    m_copyPanel->select(CopyPanel::Destination, nextRow(d, DrumNoteCount));
}

void CopyCommands::copyDone()
{
    if (m_copyMode == CopyMode::Off)
        return;
    const int part = m_copyMode == CopyMode::Tone
                         ? m_copyPanel->partList(CopyPanel::Destination)->currentIndex()
                         : RhythmPart;
    m_copyMode = CopyMode::Off;
    m_copyStatus.clear();
    m_frame.setModeText({});
    m_util->SendLong(m_session.image().PartBytes(part));

    for (const char* name : TakenOverEntries) {
        if (auto* menu = m_parts.window->findChild<QMenu*>(name))
            menu->menuAction()->setVisible(true);
        else if (QAction* entry = m_frame.action(name))
            entry->setVisible(true);
    }
    m_doneAction->setVisible(false);
    m_parts.sheets->selectionBar()->setEnabled(true);
    m_frame.showSheets();
    // The mode's "press ESC" would outlive it.
    m_frame.setStatusText(QString());
    m_parts.sheets->refresh();
}

void CopyCommands::showListInfo(CopyPanel::Side side, int row)
{
    if (row < 0)
        return;
    QStringList lines;
    switch (m_copyMode) {
    case CopyMode::Off:
        return;
    case CopyMode::Tone:
        // The common entry has none of the six values.
        if (row == 0)
            return;
        lines = listInfoLines(m_session.image(), m_copyPanel->partList(side)->currentIndex(), row);
        break;
    case CopyMode::Drum:
        lines = listInfoLines(m_session.image(), RhythmPart, row);
        break;
    case CopyMode::Extract:
        // Each list describes the kit it shows: the file's as it is on disk now, or the window's.
        if (side == CopyPanel::Source) {
            const auto kit = readKit(m_extractFile);
            if (!kit)
                return;
            lines = listInfoLines(*kit, RhythmPart, row);
        } else {
            lines = listInfoLines(m_session.image(), RhythmPart, row);
        }
        break;
    }
    m_dialogs->ask(lines.join("\r\n"), AskKind::Information);
}

CopyCommands::CopyCommands(const WindowParts& parts) : WindowPart(parts) {}

} // namespace dorvane
