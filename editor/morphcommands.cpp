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

MorphCommands::MorphCommands(const WindowParts& parts) : PreviewMode(parts) {}

void MorphCommands::buildMenu(QMenu* edit)
{
    m_frame.addAction(edit, "Morph", texts::Morph, {}, texts::MorphHint, [this] { open(); });
}

MorphPanel* MorphCommands::buildPanel()
{
    m_panel = new MorphPanel;
    const auto run = [this](auto f) { return command(f); };
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
    if (isOpen() || m_parts.transfers->receiving())
        return;
    if (!m_panel)
        buildPanel();
    enter(m_panel);
    const std::shared_ptr<const t505temppatch>& a = before();
    m_part = m_session.partNumber();
    m_parameters = soundParameters(m_part);
    m_sources.clear();
    m_current = -1;
    // The window's other parts first; part R has no other of its kind there.
    if (m_part != RhythmPart)
        for (int p = 0; p < NormalPartCount; ++p)
            if (p != m_part)
                m_sources.push_back({QString("Part %1: %2")
                                         .arg(partName(p))
                                         .arg(QString::fromStdString(a->GetPatchName(p))),
                                     a, p});
    m_current = m_sources.empty() ? -1 : 0;
    m_panel->setA(partName(m_part), QString::fromStdString(a->GetPatchName(m_part)));
    showSources();
    m_panel->setPosition(0);
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
    if (!isOpen() || index < 0 || index >= int(m_sources.size()))
        return;
    m_current = index;
    setPosition(m_panel->position());
}

bool MorphCommands::addFile(const QString& file)
{
    if (!isOpen())
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
    if (!isOpen())
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
    if (!isOpen() || m_current < 0)
        return;
    const Source& b = m_sources[std::size_t(m_current)];
    m_session.preview([&](t505temppatch& image) {
        morphPart(image, m_part, {before().get(), m_part}, {b.image.get(), b.part}, m_parameters,
                  position);
    });
    m_frame.setStatusText(QString("Morph %1 %").arg(position * 100 / MorphMax));
}

void MorphCommands::keep()
{
    if (isOpen())
        keepAs(m_session.onPart("Morph"));
}

void MorphCommands::cancel()
{
    if (isOpen())
        putBack();
}

} // namespace dorvane
