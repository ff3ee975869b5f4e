// SPDX-License-Identifier: GPL-3.0-or-later
// The copy mode: copying tones, commons and drum notes between parts, and
// extracting drum notes from an 8 part file, with the copy panel over the sheets.
#pragma once

#include "editor/copypanel.h"
#include "editor/windowpart.h"
#include "patch/t505temppatch.h"

#include <QString>
#include <QStringList>

#include <optional>

class QAction;
class QMenu;

namespace dorvane {

class CopyCommands : public WindowPart
{
    Q_OBJECT

public:
    explicit CopyCommands(const WindowParts& parts);

    // The copy mode takes over the window with the copy panel until "Done!".
    enum class CopyMode
    {
        Off,
        Tone,    // a part common or a tone, between parts 1-7
        Drum,    // drum notes inside part R
        Extract, // drum notes from an 8 part file into part R
    };

    // Built the first time it is needed: most runs never copy.
    CopyPanel* copyPanel();
    CopyMode copyMode() const { return m_copyMode; }
    // "Copy Tone or Drum note..", "Extract drum notes from a 8 part file..",
    // the panel's "Copy", "Done!" and a double-click on a list entry.
    void startCopyMode();
    void startExtraction();
    void copyPressed();
    void copyDone();
    void showListInfo(CopyPanel::Side side, int row);
    void buildCopyMenu(QMenu* utility);

private:
    CopyPanel* buildCopyPanel();
    void takeOverForCopy(CopyMode mode, const QString& status);
    void fillCopyList(CopyPanel::Side side);
    void fillDrumLists(const t505temppatch* kit);
    QStringList drumNoteLabels() const;
    std::optional<t505temppatch> readKit(const QString& file);

    CopyPanel* m_copyPanel = nullptr;
    QAction* m_doneAction = nullptr;
    CopyMode m_copyMode = CopyMode::Off;
    QString m_copyStatus;  // the mode's text in the status bar
    QString m_extractFile; // the file the extraction copies from, read again each time
};

} // namespace dorvane
