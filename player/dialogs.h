// SPDX-License-Identifier: GPL-3.0-or-later
// The one seam through which the program asks the user anything: questions,
// information boxes, file and font choices. The application shows real Qt
// dialogs; tests answer them without a modal box.
#pragma once

#include <QFont>
#include <QString>

#include <optional>

namespace dorvane {

enum class AskKind {
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
    // The chosen file, or nothing when cancelled. Saving asks before overwriting.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QFont> chooseFont(const QFont& current) = 0;
};

} // namespace dorvane
