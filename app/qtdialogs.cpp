// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qtdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace dorvane {

namespace {

// Messages carry "\r\n" as their line breaks; Qt wants "\n".
QString boxText(QString text)
{
    return text.replace("\r\n", "\n");
}

std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& r,
                                     QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, r.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(r.defaultSuffix);
    dialog.setNameFilter(r.filter);
    // A folder is where to start, not a name to offer: selected as a file it
    // would open in the folder above with the folder's name filled in.
    if (QFileInfo(r.fileName).isDir())
        dialog.setDirectory(r.fileName);
    else if (!r.fileName.isEmpty())
        dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

bool QtDialogs::ask(const QString& text, AskKind kind)
{
    const QString title = QApplication::applicationDisplayName();
    if (kind == AskKind::Warning)
        return QMessageBox::warning(m_parent, title, boxText(text),
                                    QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
    // Information a musician may want elsewhere (a look-up pasted into a
    // sequencer's notes, an error for a report) can be selected and copied.
    QMessageBox box(QMessageBox::Information, title, boxText(text), QMessageBox::Ok, m_parent);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return box.exec() == QMessageBox::Ok;
}

int QtDialogs::askChoice(const QString& text, const QStringList& buttons)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), boxText(text),
                    QMessageBox::NoButton, m_parent);
    std::vector<QAbstractButton*> added;
    for (qsizetype i = 0; i < buttons.size(); ++i)
        added.push_back(box.addButton(buttons[i], i + 1 == buttons.size()
                                                      ? QMessageBox::RejectRole
                                                      : QMessageBox::AcceptRole));
    if (added.empty())
        return -1;
    // As with a Yes/No warning, Enter alone does the harmless thing.
    box.setDefaultButton(static_cast<QPushButton*>(added.back()));
    box.setEscapeButton(added.back());
    box.exec();
    const auto it = std::find(added.begin(), added.end(), box.clickedButton());
    return it == added.end() ? int(added.size()) - 1 : int(it - added.begin());
}

std::optional<QString> QtDialogs::openFile(const FileDialogRequest& request)
{
    return runFileDialog(m_parent, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogs::saveFile(const FileDialogRequest& request)
{
    return runFileDialog(m_parent, request, QFileDialog::AcceptSave);
}

std::optional<QFont> QtDialogs::chooseFont(const QFont& current)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, current, m_parent);
    return ok ? std::optional<QFont>(font) : std::nullopt;
}

std::optional<QString> QtDialogs::chooseFolder(const QString& title, const QString& start)
{
    const QString folder = QFileDialog::getExistingDirectory(m_parent, title, start);
    return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
}

std::optional<QString> QtDialogs::askText(const QString& title, const QString& label,
                                          const QString& text)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(m_parent, title, label, QLineEdit::Normal, text, &ok);
    return ok ? std::optional<QString>(answer) : std::nullopt;
}

std::optional<int> QtDialogs::chooseItem(const QString& title, const QString& label,
                                         const QStringList& items)
{
    bool ok = false;
    const QString chosen = QInputDialog::getItem(m_parent, title, label, items, 0, false, &ok);
    const int index = int(items.indexOf(chosen));
    return ok && index >= 0 ? std::optional<int>(index) : std::nullopt;
}

} // namespace dorvane
