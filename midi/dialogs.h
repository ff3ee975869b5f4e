// SPDX-License-Identifier: GPL-3.0-or-later
// The one seam through which the program asks the user anything: questions,
// information boxes, file and font choices. The application shows real Qt
// dialogs; tests answer them without a modal box. It sits in the lowest layer
// with Qt, so the player's questions and every window reach the same seam; the
// font is only named here, those who choose one know it whole.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QFont;

namespace dorvane {

enum class AskKind
{
    Information = 0, // a box with OK
    Warning = 1,     // a warning with Yes and No
};

struct FileDialogRequest
{
    QString title;
    QString fileName; // the name the dialog starts with (may carry a folder)
    QString defaultSuffix = "syx";
    QString filter = "*.syx (*.syx);;* (*)";
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // Warning: true for Yes. Information: true when OK was pressed.
    virtual bool ask(const QString& text, AskKind kind) = 0;
    // A warning with buttons of the caller's naming, the last of them the
    // one that does nothing (Esc and closing the box answer it): the index of
    // the button pressed. A seam that never meets it answers with the last.
    virtual int askChoice(const QString& text, const QStringList& buttons)
    {
        (void)text;
        return int(buttons.size()) - 1;
    }
    // The chosen file, or nothing when cancelled. Saving asks before overwriting.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QFont> chooseFont(const QFont& current) = 0;

    // The library's questions. A seam that never meets them answers Cancel.
    // A folder, starting at `start`.
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& start)
    {
        (void)title;
        (void)start;
        return std::nullopt;
    }
    // A line of text, starting as `text`.
    virtual std::optional<QString> askText(const QString& title, const QString& label,
                                           const QString& text)
    {
        (void)title;
        (void)label;
        (void)text;
        return std::nullopt;
    }
    // One of the items, by its index.
    virtual std::optional<int> chooseItem(const QString& title, const QString& label,
                                          const QStringList& items)
    {
        (void)title;
        (void)label;
        (void)items;
        return std::nullopt;
    }
};

} // namespace dorvane
