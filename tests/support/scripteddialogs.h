// SPDX-License-Identifier: GPL-3.0-or-later
// Dialogs answered by the test: each question and file dialog takes the next
// prepared answer (Yes, and Cancel, when none is left) and is recorded, so a
// test can check what the user was asked.
#pragma once

#include "midi/dialogs.h"

#include <QFont>

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

    std::deque<bool> answers;                 // for ask()
    std::deque<int> choices;                  // for askChoice(): the first button when none is left
    std::vector<QStringList> choiceButtons;   // each askChoice()'s buttons, as asked
    std::deque<std::optional<QString>> files; // for openFile() and saveFile()
    std::vector<Asked> asked;
    std::vector<FileDialogRequest> fileRequests;
    std::deque<std::optional<QString>> folders; // for chooseFolder()
    std::deque<std::optional<QString>> texts;   // for askText()
    std::deque<std::optional<int>> items;       // for chooseItem()
    std::vector<QString> titles;                // of those three, as asked

    bool ask(const QString& text, AskKind kind) override
    {
        asked.push_back({text, kind});
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    // Recorded among the questions as a warning, so lastText() reads it too.
    int askChoice(const QString& text, const QStringList& buttons) override
    {
        asked.push_back({text, AskKind::Warning});
        choiceButtons.push_back(buttons);
        if (choices.empty())
            return 0;
        const int c = choices.front();
        choices.pop_front();
        return c;
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
    std::optional<QString> chooseFolder(const QString& title, const QString&) override
    {
        return next(folders, title);
    }
    std::optional<QString> askText(const QString& title, const QString&, const QString&) override
    {
        return next(texts, title);
    }
    std::optional<int> chooseItem(const QString& title, const QString&, const QStringList&) override
    {
        return next(items, title);
    }

    QString lastText() const { return asked.empty() ? QString() : asked.back().text; }

private:
    template <typename T>
    std::optional<T> next(std::deque<std::optional<T>>& answers, const QString& title)
    {
        titles.push_back(title);
        if (answers.empty())
            return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }

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
