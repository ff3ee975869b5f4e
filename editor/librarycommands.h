// SPDX-License-Identifier: GPL-3.0-or-later
// The library's dock and what its rows do: load onto a part, audition,
// open a whole file, save the current part into the library.
#pragma once

#include "editor/windowpart.h"

#include <QDockWidget>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

class QAction;
class QLabel;

class QEvent;

namespace dorvane {

class DifferencesPanel;
class Library;
class LibraryPanel;

class LibraryCommands : public WindowPart
{
    Q_OBJECT

public:
    explicit LibraryCommands(const WindowParts& parts);
    // The window is going: the dock's signals reach nothing from now on.
    void detachPanel();
    // Before the window saves its state: the library, open in a tab, is
    // saved as an open dock.
    void keepPlaceForNextStart();

    enum class LibraryLoad
    {
        Load,    // double click, Enter, a drop on a PART button
        Audition // at one click, asking nothing: the instrument plays it, the window keeps its own
    };

    // The library's dock, and the library when its index could be opened.
    // Built at the first call: View > Library, or a dock left open at the last exit.
    LibraryPanel* libraryPanel() const;
    // The dock if it was built, without building it.
    LibraryPanel* builtPanel() const { return m_libraryPanel; }
    // Whether the dock was open when the window last closed.
    bool shownAtStart() const;
    Library* library() const { return m_library; }
    // Loads an entry of the library onto the current part (a part R kit onto
    // part R), or onto the part of the PART selector's index `onPart`, as one
    // step of the history, and sends it, asking first over changes not saved.
    // An audition only sends it, until Esc, another action or the dock's
    // closing sends the window's own part back.
    void loadFromLibrary(std::size_t entry, LibraryLoad how, std::optional<int> onPart = {});
    void openWholeFileFromLibrary(std::size_t entry);
    void saveCurrentPartToLibrary();
    // The entries made into one bank: for each a part number asked in order,
    // the other parts as the window holds them, written where the musician
    // chooses (.syx or .mid), checksums fresh.
    void exportBank(const std::vector<std::size_t>& entries);
    // Two entries compared parameter by parameter on a page over the sheets.
    void compareParts(std::size_t first, std::size_t second);
    void buildViewMenu();
    // The index, the first time the library is shown.
    void openLibraryOnce();
    // Sends the auditioned part's own sound back, when an audition lasts.
    void endAudition();
    bool partButtonDrag(QObject* watched, QEvent* event);
    // Whether the instrument plays a library part in place of the window's own.
    bool auditioning() const { return m_auditionPart.has_value(); }

private:
    void buildPanel();
    void openLibrary(const QString& databaseFile);
    // Moves the library into the sheet area's tabs when, docked, it is what
    // pushes a sheet behind a scroll bar; closed, it goes back to the dock area.
    void placeLibrary();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void followSheetWidths();
    void moveLibraryToSheetTabs(bool inFront);
    void returnLibraryToDock(bool shown);

    LibraryPanel* m_libraryPanel = nullptr;
    QAction* m_viewAction = nullptr; // View > Library
    Library* m_library = nullptr;
    bool m_libraryOpened = false;
    bool m_keptDocked = false; // docked again by the musician since it was shown
    bool m_followingSheets = false;
    bool m_inSheetTabs = false;      // shown as a tab of the sheet area
    QWidget* m_libraryTab = nullptr; // the tab's page, while it is one
    // Left in front of the sheets at the last exit: so it comes back, the
    // first time it takes a tab.
    bool m_inFrontAtStart = false;
    QDockWidget::DockWidgetFeatures m_dockFeatures;
    // The part the instrument plays from the library in place of the
    // window's own, while an audition lasts.
    std::optional<int> m_auditionPart;
    QString m_auditionStatus;         // what the status line said when it began
    QWidget* m_comparePage = nullptr; // made at the first comparison
    QLabel* m_compareTitle = nullptr;
    DifferencesPanel* m_differences = nullptr;
};

} // namespace dorvane
