// SPDX-License-Identifier: GPL-3.0-or-later
// The Edit menu: Undo and Redo over every change the session records, and
// what follows each recorded change (an audition ends, the part's state).
#pragma once

#include "editor/windowpart.h"
#include "patch/rolandmessage.h"

class QAction;

namespace dorvane {

class HistoryCommands : public WindowPart
{
    Q_OBJECT

public:
    explicit HistoryCommands(const WindowParts& parts);
    // From now on every change the session records is followed here.
    void followSession();

    // Edit menu: takes back or does again the last change to the image, then
    // sends the instrument the messages that changed and redraws.
    void undo();
    void redo();
    void buildEditMenu();
    void updateEditMenu();

signals:
    // A step was added to the history, or undone or redone.
    void historyChanged();

private:
    void changeRecorded(const Bytes& before, bool stepped);
    // After Undo or Redo put an image back: the part states, the sheets, the menu.
    void imageRestored(const Bytes& before, const QString& status);
    // Ends a morph or a breed in progress as Cancel does; whether there was one.
    bool endPreview();

    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
};

} // namespace dorvane
