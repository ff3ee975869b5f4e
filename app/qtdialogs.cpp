// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qtdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace dorvane {

namespace {

// Messages carry "\r\n" as their line breaks; Qt wants "\n".
QString boxText(QString text) { return text.replace("\r\n", "\n"); }

std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& r,
                                     QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, r.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(r.defaultSuffix);
    dialog.setNameFilter(r.filter);
    if (!r.fileName.isEmpty())
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

} // namespace dorvane
