// SPDX-License-Identifier: GPL-3.0-or-later
// Morph (Edit menu): the current part blended between the sound it had when
// the morph opened (A) and another sound (B): another part of the window's
// image, a part of a file, or a library entry. The panel takes the sheets'
// place; each move of its slider writes the part and sends what changed,
// the newest value of each message waiting; "Keep" makes the morph one step
// of the history, "Cancel" puts A back in the window and on the instrument.
// Any other change to the image ends the morph where it stands.
#pragma once

#include "editor/previewmode.h"
#include "tools/soundparameter.h"

#include <memory>
#include <vector>

class QMenu;

namespace dorvane {

class MorphPanel;

class MorphCommands : public PreviewMode
{
    Q_OBJECT

public:
    explicit MorphCommands(const WindowParts& parts);

    // Adds "Morph..." to the Edit menu.
    void buildMenu(QMenu* edit);
    MorphPanel* panel() const { return m_panel; }

    void open();
    // B: an index of the panel's list.
    void chooseSource(int index);
    // The parts of a patch file (of the morphed part's kind) join the list;
    // the first becomes B. False, with the reason on the status line, for a
    // file that cannot be one.
    bool addFile(const QString& file);
    // The library's selected entry joins the list and becomes B.
    bool addLibraryEntry();
    void setPosition(int position);
    void keep();
    void cancel();

private:
    struct Source
    {
        QString label;
        std::shared_ptr<const t505temppatch> image;
        int part = 0;
    };
    void addSource(Source source);
    void showSources();
    MorphPanel* buildPanel();

    MorphPanel* m_panel = nullptr;
    int m_part = 0;
    std::vector<SoundParameter> m_parameters;
    std::vector<Source> m_sources;
    int m_current = -1;
};

} // namespace dorvane
