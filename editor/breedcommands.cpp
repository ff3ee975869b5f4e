// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/breedcommands.h"
#include "editor/shakecommands.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/breedpanel.h"
#include "editor/soundparameters.h"
#include "editor/windowtexts.h"
#include "patch/randomsource.h"

#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>

namespace dorvane {

namespace {

// How many of the part's parameters and waves a variation has changed.
int changesIn(const t505temppatch& tile, const t505temppatch& origin, const BreedSetup& setup)
{
    int changes = 0;
    for (const SoundParameter& p : setup.parameters) {
        if (p.common) {
            changes +=
                tile.ReadByte(setup.part, 0, p.offset) != origin.ReadByte(setup.part, 0, p.offset);
            continue;
        }
        for (int area : setup.areas)
            changes += tile.ReadByte(setup.part, area, p.offset) !=
                       origin.ReadByte(setup.part, area, p.offset);
    }
    for (int area : setup.areas)
        changes += tile.ReadWave(setup.part, area) != origin.ReadWave(setup.part, area);
    return changes;
}

} // namespace

BreedCommands::BreedCommands(const WindowParts& parts) : PreviewMode(parts) {}

void BreedCommands::buildMenu(QMenu* edit)
{
    m_frame.addAction(edit, "Breed", texts::Breed, {}, texts::BreedHint, [this] { open(); });
}

BreedPanel* BreedCommands::buildPanel()
{
    m_panel = new BreedPanel;
    const auto run = [this](auto f) { return command(f); };
    connect(m_panel, &BreedPanel::tileClicked, this, run([this](int i) { tryTile(i); }));
    connect(m_panel, &BreedPanel::favouriteToggled, this,
            run([this](int i, bool on) { markFavourite(i, on); }));
    connect(m_panel, &BreedPanel::nextRequested, this, run([this] { nextGeneration(); }));
    connect(m_panel, &BreedPanel::firstRequested, this, run([this] { firstGeneration(); }));
    connect(m_panel, &BreedPanel::backRequested, this, run([this] { back(); }));
    connect(m_panel, &BreedPanel::keepRequested, this, run([this] { keep(); }));
    connect(m_panel, &BreedPanel::cancelRequested, this, run([this] { cancel(); }));
    return m_panel;
}

void BreedCommands::open()
{
    if (isOpen() || m_parts.transfers->receiving())
        return;
    if (!m_panel)
        buildPanel();
    enter(m_panel);
    m_setup = {};
    m_setup.part = m_session.partNumber();
    // A kit varies at the drum note shown; a part in all four tones.
    m_setup.areas = m_session.isRhythmPart() ? std::vector<int>{m_session.drumNote()}
                                             : soundAreas(m_setup.part);
    m_setup.parameters = soundParameters(
        m_setup.part, [this](const Binding& row) { return m_parts.shake->willShake(row); });
    m_setup.options = m_parts.shake->shakeOptions();
    m_setup.waveCount = m_parts.sheets->waveList()->count();
    const bool linear = m_setup.options.type == ShakeType::Linear;
    m_panel->setAmount(linear ? m_setup.options.linearAmount : m_setup.options.amount,
                       linear ? MaxLinearShakeAmount : MaxShakeAmount);
    m_generations.clear();
    m_random.seedFromClock();
    firstGeneration();
    m_frame.setStatusText(texts::BreedTileHint);
}

void BreedCommands::firstGeneration()
{
    if (!isOpen())
        return;
    if (m_setup.options.type == ShakeType::Linear)
        m_setup.options.linearAmount = m_panel->amount();
    else
        m_setup.options.amount = m_panel->amount();
    m_generations.push_back(breedFirstGeneration(*before(), m_setup, m_random));
    showGeneration();
}

void BreedCommands::nextGeneration()
{
    std::vector<t505temppatch> favourites;
    if (isOpen())
        for (int i = 0; i < BreedTiles; ++i)
            if (m_favourites[std::size_t(i)])
                favourites.push_back(m_generations.back()[std::size_t(i)]);
    if (favourites.empty())
        return;
    m_generations.push_back(breedNextGeneration(favourites, m_setup, m_random));
    showGeneration();
}

void BreedCommands::back()
{
    if (!isOpen() || m_generations.size() < 2)
        return;
    m_generations.pop_back();
    showGeneration();
}

void BreedCommands::showGeneration()
{
    m_favourites = {};
    m_heard = -1;
    QStringList texts;
    for (const t505temppatch& tile : m_generations.back())
        texts << QString(texts::BreedChanges).arg(changesIn(tile, *before(), m_setup));
    m_panel->setTitle(m_session.partLabel(), int(m_generations.size()));
    m_panel->setTiles(texts, m_heard);
    m_panel->setFavourites(m_favourites);
    m_panel->setBackEnabled(m_generations.size() > 1);
    m_panel->setNextEnabled(false);
    m_panel->setKeepEnabled(false);
}

void BreedCommands::tryTile(int index)
{
    if (!isOpen() || index < 0 || index >= int(m_generations.back().size()))
        return;
    const t505temppatch& tile = m_generations.back()[std::size_t(index)];
    // Only the bred part differs from the image as the breed found it.
    m_session.preview([&](t505temppatch& image) { image.LoadFromStream(tile); });
    m_heard = index;
    m_panel->setHeard(index);
    m_panel->setKeepEnabled(true);
    m_parts.sheets->testNote();
}

bool BreedCommands::markFavourite(int index, bool marked)
{
    if (!isOpen() || index < 0 || index >= BreedTiles)
        return false;
    const int count = int(std::count(m_favourites.begin(), m_favourites.end(), true));
    if (marked && !m_favourites[std::size_t(index)] && count >= MaxFavourites) {
        m_panel->setFavourites(m_favourites);
        return false;
    }
    m_favourites[std::size_t(index)] = marked;
    m_panel->setNextEnabled(std::count(m_favourites.begin(), m_favourites.end(), true) > 0);
    return true;
}

void BreedCommands::keep()
{
    if (isOpen() && m_heard >= 0)
        keepAs(m_session.onPart("Breed"));
}

void BreedCommands::cancel()
{
    if (isOpen())
        putBack();
}

} // namespace dorvane
