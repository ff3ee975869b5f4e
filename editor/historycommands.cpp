// SPDX-License-Identifier: GPL-3.0-or-later
// The Edit menu: Undo and Redo over every change to the image. A step comes
// back as the image it left; the instrument then gets only the Data Set
// messages whose bytes differ from what it holds, so it follows without a
// whole-image send, and the controls redraw.
#include "editor/historycommands.h"
#include "editor/breedcommands.h"
#include "editor/devicesetup.h"
#include "editor/librarycommands.h"
#include "editor/morphcommands.h"
#include "editor/shakecommands.h"
#include "editor/transfercommands.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

#include "editor/windowtexts.h"
#include "midi/tmidioutput.h"
#include "player/tmidiapputil.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace dorvane {

namespace {

// A step's name in a menu entry: its ampersands are text, not shortcut marks.
QString menuText(const char* verb, const QString& what)
{
    if (what.isEmpty())
        return verb;
    return QString(verb) + ' ' + QString(what).replace('&', "&&");
}

} // namespace

void HistoryCommands::followSession()
{
    connect(&m_session, &EditSession::changeRecorded, this,
            [this](const QString&, const Bytes& before, bool stepped) {
                changeRecorded(before, stepped);
            });
}

void HistoryCommands::changeRecorded(const Bytes& before, bool stepped)
{
    // The instrument hears the changed part whole, rather than the change
    // made over a part it only previews.
    m_parts.library->endAudition();
    if (stepped)
        emit historyChanged();
    // With no output the instrument heard nothing of it; a failed send on an
    // open port is told by the port, later.
    m_session.imageEdited(before, m_output->IsOpen(), m_parts.deviceSetup->notSentReason());
}

void HistoryCommands::buildEditMenu()
{
    QMenu* edit = m_parts.window->menuBar()->addMenu("&Edit");
    edit->setObjectName("EditMenu");
    // Ctrl+Z belongs to Undo Shake, and Ctrl with Shift or Alt would also
    // sound a note of the keyboard piano: Ctrl and a letter alone are free.
    m_undoAction = m_frame.addAction(edit, "Undo", texts::Undo, QKeySequence(Qt::CTRL | Qt::Key_U),
                                     texts::UndoHint, [this] { undo(); });
    m_redoAction = m_frame.addAction(edit, "Redo", texts::Redo, QKeySequence(Qt::CTRL | Qt::Key_Y),
                                     texts::RedoHint, [this] { redo(); });
    edit->addSeparator();
    m_frame.addAction(edit, "ShakePatch", texts::ShakePatch, QKeySequence(Qt::CTRL | Qt::Key_R),
                      texts::ShakePatchHint, [this] { m_parts.shake->shakePatch(); });
    m_frame.addAction(edit, "UndoShake", texts::UndoShake, QKeySequence(Qt::CTRL | Qt::Key_Z), "",
                      [this] { m_parts.shake->undoShake(); });
    connect(this, &HistoryCommands::historyChanged, this, &HistoryCommands::updateEditMenu);
    updateEditMenu();
}

void HistoryCommands::updateEditMenu()
{
    m_undoAction->setText(menuText(texts::Undo, m_session.history().undoText()));
    m_undoAction->setEnabled(m_session.history().canUndo());
    m_redoAction->setText(menuText(texts::Redo, m_session.history().redoText()));
    m_redoAction->setEnabled(m_session.history().canRedo());
}

void HistoryCommands::undo()
{
    // While a dump comes in, the image is about to be replaced by it. (The
    // sheets also give way to the drum mixer, whose steps undo like any other.)
    if (m_parts.transfers->receiving() || endPreview() || !m_session.history().canUndo())
        return;
    // A previewed part goes over whole before the step's messages.
    m_parts.library->endAudition();
    const QString step = m_session.history().undoText();
    if (auto before = m_session.undo())
        imageRestored(*before, QString(texts::Undone).arg(step));
}

void HistoryCommands::redo()
{
    if (m_parts.transfers->receiving() || endPreview() || !m_session.history().canRedo())
        return;
    m_parts.library->endAudition();
    const QString step = m_session.history().redoText();
    if (auto before = m_session.redo())
        imageRestored(*before, QString(texts::Redone).arg(step));
}

bool HistoryCommands::endPreview()
{
    // A morph or a breed not kept is no step yet: Undo takes it back first.
    if (m_parts.morph && m_parts.morph->isOpen()) {
        m_parts.morph->cancel();
        return true;
    }
    if (m_parts.breed && m_parts.breed->isOpen()) {
        m_parts.breed->cancel();
        return true;
    }
    return false;
}

void HistoryCommands::imageRestored(const Bytes& before, const QString& status)
{
    // In place of the four tones' values of the control last edited, which
    // the step may just have changed. Said before the image goes back, so
    // that whatever is said on the way stays.
    m_frame.setStatusText(status);
    m_session.imageEdited(before, m_output->IsOpen(), m_parts.deviceSetup->notSentReason());
    m_parts.sheets->refresh();
    emit historyChanged();
}

HistoryCommands::HistoryCommands(const WindowParts& parts) : WindowPart(parts) {}

} // namespace dorvane
