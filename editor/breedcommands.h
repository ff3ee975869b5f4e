// SPDX-License-Identifier: GPL-3.0-or-later
// Breed (Edit menu): eight variations of the current part as tiles, made by
// the shake's rules and flags around its sound; a click on a tile puts it on
// the part, sends what changed and plays the test note. One to three
// favourites breed the next generation; "Back" returns to the one before;
// "Keep" makes the tile heard last one step of the history, "Cancel" puts
// the part back as it was. Any other change to the image ends the breed.
// The draws come from the window's random source, seedable as the shake's.
#pragma once

#include "editor/previewmode.h"
#include "tools/breed.h"

#include <array>
#include <vector>

class QMenu;

namespace dorvane {

class BreedPanel;

class BreedCommands : public PreviewMode
{
    Q_OBJECT

public:
    explicit BreedCommands(const WindowParts& parts);

    // Adds "Breed..." to the Edit menu.
    void buildMenu(QMenu* edit);
    BreedPanel* panel() const { return m_panel; }
    int generationCount() const { return int(m_generations.size()); }
    const std::vector<t505temppatch>& generation() const { return m_generations.back(); }

    void open();
    void tryTile(int index);
    // False when the mark would make a fourth favourite.
    bool markFavourite(int index, bool marked);
    void nextGeneration();
    void firstGeneration();
    void back();
    void keep();
    void cancel();

private:
    void showGeneration();
    BreedPanel* buildPanel();

    BreedPanel* m_panel = nullptr;
    BreedSetup m_setup;
    std::vector<std::vector<t505temppatch>> m_generations;
    std::array<bool, BreedTiles> m_favourites{};
    int m_heard = -1; // the tile on the part, or none
};

} // namespace dorvane
