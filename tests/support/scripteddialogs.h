// SPDX-License-Identifier: GPL-3.0-or-later
// Dialogs answered by the test: each question and file dialog takes the next
// prepared answer (Yes, and Cancel, when none is left) and is recorded, so a
// test can check what the user was asked.
#pragma once

#include "player/dialogs.h"

#include <deque>
#include <vector>

namespace dorvane::test {

class ScriptedDialogs : public Dialogs
{
public:
    struct Asked
    {
        QString text;
        AskKind kind;
    };

    std::deque<bool> answers;               // for ask()
    std::deque<std::optional<QString>> files; // for openFile() and saveFile()
    std::vector<Asked> asked;
    std::vector<FileDialogRequest> fileRequests;

    bool ask(const QString& text, AskKind kind) override
    {
        asked.push_back({text, kind});
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<QString> openFile(const FileDialogRequest& request) override
    {
        return nextFile(request);
    }
    std::optional<QString> saveFile(const FileDialogRequest& request) override
    {
        return nextFile(request);
    }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }

    QString lastText() const { return asked.empty() ? QString() : asked.back().text; }

private:
    std::optional<QString> nextFile(const FileDialogRequest& request)
    {
        fileRequests.push_back(request);
        if (files.empty())
            return std::nullopt;
        auto f = files.front();
        files.pop_front();
        return f;
    }
};

} // namespace dorvane::test
