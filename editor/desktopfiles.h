// SPDX-License-Identifier: GPL-3.0-or-later
// Files from outside the menus: the command line, drops and the recent list;
// the window's place between runs; the help window.
#pragma once

#include "editor/windowpart.h"

#include <QString>
#include <QStringList>

class QDragEnterEvent;
class QDropEvent;
class QMenu;

namespace dorvane {

class HelpWindow;

class DesktopFiles : public WindowPart
{
    Q_OBJECT

public:
    explicit DesktopFiles(const WindowParts& parts);

    // A drag over the window and its drop: one local file opens as the File
    // menu would open it, anything else is refused with a word why.
    void dragEnter(QDragEnterEvent* event);
    void drop(QDropEvent* event);

    // Opens a .syx file as the File menu's commands would, chosen by its kind:
    // an 8-part file replaces the image, a part file goes onto the current part,
    // a part R file onto part R. Anything else is refused with the reason and
    // changes nothing. For files named on the command line, dropped on the
    // window or chosen from the recent list.
    bool openFile(const QString& path);
    // The files last opened or saved, newest first.
    QStringList recentFiles() const;
    QMenu* recentMenu() const { return m_recentMenu; }
    // The manual, in a window of its own (F1).
    void showHelp();
    HelpWindow* helpWindow() const { return m_help; }
    void buildRecentMenu(QMenu* file);
    void rememberFile(const QString& path);
    void rememberPlace();

    void placeWindow();

private:
    void refreshRecentMenu();
    void openRecent(const QString& path);

    QMenu* m_recentMenu = nullptr;
    HelpWindow* m_help = nullptr;
};

} // namespace dorvane
