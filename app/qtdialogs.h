// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs the program shows for real: message boxes, file and font dialogs.
#pragma once

#include "midi/dialogs.h"

#include <QFont>

class QWidget;

namespace dorvane {

class QtDialogs : public Dialogs
{
public:
    // parent may be null until the main window exists; boxes then float free.
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    bool ask(const QString& text, AskKind kind) override;
    int askChoice(const QString& text, const QStringList& buttons) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QFont> chooseFont(const QFont& current) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& start) override;
    std::optional<QString> askText(const QString& title, const QString& label,
                                   const QString& text) override;
    std::optional<int> chooseItem(const QString& title, const QString& label,
                                  const QStringList& items) override;

private:
    QWidget* m_parent;
};

} // namespace dorvane
