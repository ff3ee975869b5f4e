// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/morphcommands.h"
#include "editor/librarycommands.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/librarypanel.h"
#include "editor/morphpanel.h"
#include "editor/soundparameters.h"
#include "editor/windowtexts.h"
#include "library/library.h"
#include "library/patchfileparts.h"
#include "midi/dialogs.h"
#include "patch/fileio.h"
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "tools/morph.h"

#include <QFileInfo>
#include <QMenu>
#include <QSlider>

namespace dorvane {

namespace {

QString partName(int part)
{
    return part == RhythmPart ? QString("R") : QString::number(part + 1);
}

// A part's block put on part `part` of an image of its own.
std::shared_ptr<const t505temppatch> soundFromBlock(ByteView block, int part)
{
    auto image = std::make_shared<t505temppatch>();
    image->LoadFromBytes(initialImage());
    if (!image->LoadPartBlock(block, part))
        return nullptr;
    return image;
}

} // namespace

MorphCommands::MorphCommands(const WindowParts& parts) : WindowPart(parts)
{
    // A change from anywhere else (a Get, a file, Undo) ends the morph where
    // it stands: the slider would otherwise blend from an A that is gone.
    connect(&m_session, &EditSession::changeRecorded, this, [this] {
        if (m_open && !m_recording)
            close();
    });
}

void MorphCommands::buildMenu(QMenu* edit)
{
    m_frame.addAction(edit, "Morph", texts::Morph, {}, texts::MorphHint, [this] { open(); });
}

MorphPanel* MorphCommands::buildPanel()
{
    m_panel = new MorphPanel;
    auto run = [this](auto f) {
        return [this, f](auto... args) { m_frame.runCommand([&] { f(args...); }); };
    };
    connect(m_panel, &MorphPanel::sourceChosen, this, run([this](int i) { chooseSource(i); }));
    connect(m_panel, &MorphPanel::positionChanged, this, run([this](int p) { setPosition(p); }));
    connect(m_panel, &MorphPanel::keepRequested, this, run([this] { keep(); }));
    connect(m_panel, &MorphPanel::cancelRequested, this, run([this] { cancel(); }));
    connect(m_panel, &MorphPanel::libraryRequested, this, run([this] { addLibraryEntry(); }));
    connect(m_panel, &MorphPanel::fileRequested, this, run([this] {
                FileDialogRequest r;
                r.title = "Morph Towards";
                if (auto file = m_dialogs->openFile(r))
                    addFile(*file);
            }));
    return m_panel;
}

void MorphCommands::open()
{
    if (m_open || m_parts.transfers->receiving())
        return;
    if (!m_panel)
        buildPanel();
    m_part = m_session.partNumber();
    m_a = std::make_shared<t505temppatch>(m_session.image());
    m_parameters = soundParameters(m_part);
    m_sources.clear();
    m_current = -1;
    // The window's other parts first; part R has no other of its kind there.
    if (m_part != RhythmPart)
        for (int p = 0; p < NormalPartCount; ++p)
            if (p != m_part)
                m_sources.push_back({QString("Part %1: %2")
                                         .arg(partName(p))
                                         .arg(QString::fromStdString(m_a->GetPatchName(p))),
                                     m_a, p});
    m_current = m_sources.empty() ? -1 : 0;
    m_panel->setA(partName(m_part), QString::fromStdString(m_a->GetPatchName(m_part)));
    showSources();
    m_panel->setPosition(0);
    m_open = true;
    m_frame.modeStarting();
    m_frame.showInSheetArea(m_panel);
    // The part cannot change under the slider.
    m_parts.sheets->selectionBar()->setEnabled(false);
    m_panel->slider()->setFocus();
    if (m_current < 0)
        m_frame.setStatusText(texts::MorphNoSource);
}

void MorphCommands::showSources()
{
    QStringList labels;
    for (const Source& s : m_sources)
        labels << s.label;
    m_panel->setSources(labels, m_current);
}

void MorphCommands::addSource(Source source)
{
    m_sources.push_back(std::move(source));
    m_current = int(m_sources.size()) - 1;
    showSources();
    setPosition(m_panel->position());
}

void MorphCommands::chooseSource(int index)
{
    if (!m_open || index < 0 || index >= int(m_sources.size()))
        return;
    m_current = index;
    setPosition(m_panel->position());
}

bool MorphCommands::addFile(const QString& file)
{
    if (!m_open)
        return false;
    Bytes bytes;
    try {
        bytes = readWholeFile(file.toStdString());
    } catch (const std::exception& e) {
        m_frame.setStatusText(QString::fromStdString(e.what()));
        return false;
    }
    const SysexFileCheck check = checkSysexFile(bytes);
    if (!check.ok()) {
        m_frame.setStatusText(QFileInfo(file).fileName() + ": " +
                              QString::fromStdString(check.problem()));
        return false;
    }
    const FileReading reading = readPatchFile(bytes);
    const std::size_t before = m_sources.size();
    for (const FilePart& p : reading.parts) {
        if ((p.part == RhythmPart) != (m_part == RhythmPart))
            continue;
        auto image = soundFromBlock(partBlockAt(bytes, check, p.position), m_part);
        if (!image)
            continue;
        m_sources.push_back(
            {QString("%1 part %2: %3").arg(QFileInfo(file).fileName(), partName(p.part), p.name),
             image, m_part});
    }
    if (m_sources.size() == before) {
        m_frame.setStatusText(texts::MorphNoSource);
        return false;
    }
    m_current = int(before);
    showSources();
    setPosition(m_panel->position());
    return true;
}

bool MorphCommands::addLibraryEntry()
{
    if (!m_open)
        return false;
    LibraryPanel* panel = m_parts.library->libraryPanel();
    Library* library = m_parts.library->library();
    const std::optional<std::size_t> entry = panel ? panel->currentEntry() : std::nullopt;
    if (!library || !entry || *entry >= library->entries().size() ||
        library->entries()[*entry].rhythm() != (m_part == RhythmPart)) {
        m_frame.setStatusText(texts::MorphNoLibraryEntry);
        return false;
    }
    const LibraryEntry& e = library->entries()[*entry];
    const PartRereading reread = rereadPart(e);
    auto image = reread.ok() ? soundFromBlock(reread.block, m_part) : nullptr;
    if (!image) {
        m_frame.setStatusText(reread.ok() ? texts::MorphNoLibraryEntry : reread.problem);
        return false;
    }
    addSource({QString("Library: %1 (%2)").arg(e.name, e.fileName), image, m_part});
    return true;
}

void MorphCommands::setPosition(int position)
{
    if (!m_open || m_current < 0)
        return;
    const Source& b = m_sources[std::size_t(m_current)];
    m_session.preview([&](t505temppatch& image) {
        morphPart(image, m_part, {m_a.get(), m_part}, {b.image.get(), b.part}, m_parameters,
                  position);
    });
    m_frame.setStatusText(QString("Morph %1 %").arg(position * 100 / MorphMax));
}

void MorphCommands::keep()
{
    if (!m_open)
        return;
    m_recording = true;
    m_session.record(m_session.onPart("Morph"));
    m_recording = false;
    close();
}

void MorphCommands::cancel()
{
    if (!m_open)
        return;
    // Only the morphed part moved; the instrument hears it go back.
    m_session.preview([this](t505temppatch& image) { image.LoadFromStream(*m_a); });
    close();
}

void MorphCommands::close()
{
    m_open = false;
    m_sources.clear();
    m_parts.sheets->selectionBar()->setEnabled(true);
    m_frame.showSheets();
    m_parts.sheets->refresh();
}

} // namespace dorvane
