// SPDX-License-Identifier: GPL-3.0-or-later
// The library as a dock of the main window: a search field that searches as
// the musician types, filters for favourites, part R kits and duplicates, and
// one row per part. The panel keeps the library's own marks (favourites, tags,
// folders); whatever changes the image (loads, auditions, opening a file,
// saving the current part) it asks of the window through its signals.
#pragma once

#include "library/libraryscanner.h"
#include "library/librarysearch.h"

#include <QDockWidget>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QTableView;

namespace dorvane {

class Dialogs;
class Library;
class LibraryModel;
struct LibraryEntry;

class LibraryPanel : public QDockWidget
{
    Q_OBJECT

public:
    LibraryPanel(Dialogs& dialogs, QWidget* parent = nullptr);

    // The library shown; null with the reason when it could not be opened.
    void setLibrary(Library* library, const QString& whyNot = {});
    Library* library() const { return m_library; }

    QLineEdit* searchField() const { return m_search; }
    QCheckBox* favouritesBox() const { return m_favourites; }
    QCheckBox* kitsBox() const { return m_kits; }
    QCheckBox* duplicatesBox() const { return m_duplicates; }
    QTableView* view() const { return m_view; }
    LibraryModel* model() const { return m_model; }
    QLabel* statusLabel() const { return m_status; }
    QAction* action(const QString& objectName) const;

    LibraryQuery query() const;
    // The entry of the current row, as an index into the library's entries.
    std::optional<std::size_t> currentEntry() const;
    // Makes the row of that part current, when it is shown.
    bool selectPart(qint64 partId);

    // The actions on the current row, as the buttons and the menu run them.
    void toggleFavourite();
    void editTags();
    void addFolder();
    void removeFolder();
    void showOthers();
    void showInFolder();
    // Lists the part of the current row and the parts nearest to it in sound,
    // with their distance, until the next search.
    void showSoundsLike();
    // The entries of the selected rows, in the list's order.
    std::vector<std::size_t> selectedEntries() const;
    // How many "sounds like this" lists.
    static constexpr std::size_t NearestShown = 50;

signals:
    void loadRequested(std::size_t entry);
    void auditionRequested(std::size_t entry);
    void openFileRequested(std::size_t entry);
    void savePartRequested();
    // Several rows made into one bank; two rows compared parameter by parameter.
    void exportBankRequested(std::vector<std::size_t> entries);
    void compareRequested(std::size_t first, std::size_t second);
    // A text for the window's status bar.
    void message(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QAction* makeAction(const QString& name, const QString& text, const QString& hint);
    void search();
    void updateStatus();
    void updateActions();
    void rowClicked(const QModelIndex& index);
    void rowActivated(const QModelIndex& index);
    void scanCounting(int found);
    void scanProgress(int done, int total);
    void runSafely(const std::function<void()>& work);

    Dialogs& m_dialogs;
    Library* m_library = nullptr;
    QString m_whyNot;
    QLineEdit* m_search = nullptr;
    QCheckBox* m_favourites = nullptr;
    QCheckBox* m_kits = nullptr;
    QCheckBox* m_duplicates = nullptr;
    QTableView* m_view = nullptr;
    LibraryModel* m_model = nullptr;
    QLabel* m_status = nullptr;
    QMenu* m_menu = nullptr;
    QProgressBar* m_progressBar = nullptr; // shown while a scan runs
    bool m_announceScan = false;           // the running scan's end goes to the status bar
    // What the scans since the musician asked have read: a scan already
    // running when a folder is added leaves the folder to the one after it,
    // or reads it itself, and the answer counts both.
    ScanReport m_announced;
    std::vector<QMetaObject::Connection> m_connections;
};

} // namespace dorvane
