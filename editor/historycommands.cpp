// SPDX-License-Identifier: GPL-3.0-or-later
// The Edit menu: Undo and Redo over every change to the image. A step comes
// back as the image it left; the instrument then gets only the Data Set
// messages whose bytes differ from what it holds, so it follows without a
// whole-image send, and the controls redraw.
#include "editor/mainwindow.h"

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

void MainWindow::imageChanged(const QString& what)
{
    m_session.record(what);
}

void MainWindow::changeRecorded(const Bytes& before, bool stepped)
{
    // The instrument hears the changed part whole, rather than the change
    // made over a part it only previews.
    endAudition();
    if (stepped)
        emit historyChanged();
    // With no output the instrument heard nothing of it; a failed send on an
    // open port is told by the port, later.
    m_session.imageEdited(before, m_output->IsOpen(), notSentReason());
}

QString MainWindow::onPart(const QString& what) const
{
    return what + ", part " + partLabel();
}

QString MainWindow::onDrumNote(const QString& what) const
{
    return onPart(what) + " " + TMIDIappUtil::NoteName(FirstDrumKey + drumNote()).trimmed();
}

void MainWindow::buildEditMenu()
{
    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->setObjectName("EditMenu");
    // Ctrl+Z belongs to Undo Shake, and Ctrl with Shift or Alt would also
    // sound a note of the keyboard piano: Ctrl and a letter alone are free.
    m_undoAction = addAction(edit, "Undo", texts::Undo, QKeySequence(Qt::CTRL | Qt::Key_U),
                             texts::UndoHint, [this] { undo(); });
    m_redoAction = addAction(edit, "Redo", texts::Redo, QKeySequence(Qt::CTRL | Qt::Key_Y),
                             texts::RedoHint, [this] { redo(); });
    edit->addSeparator();
    addAction(edit, "ShakePatch", texts::ShakePatch, QKeySequence(Qt::CTRL | Qt::Key_R),
              texts::ShakePatchHint, [this] { shakePatch(); });
    addAction(edit, "UndoShake", texts::UndoShake, QKeySequence(Qt::CTRL | Qt::Key_Z), "",
              [this] { undoShake(); });
    connect(this, &MainWindow::historyChanged, this, &MainWindow::updateEditMenu);
    updateEditMenu();
}

void MainWindow::updateEditMenu()
{
    m_undoAction->setText(menuText(texts::Undo, m_session.history().undoText()));
    m_undoAction->setEnabled(m_session.history().canUndo());
    m_redoAction->setText(menuText(texts::Redo, m_session.history().redoText()));
    m_redoAction->setEnabled(m_session.history().canRedo());
}

void MainWindow::undo()
{
    // While a dump comes in, the image is about to be replaced by it. (The
    // sheets also give way to the drum mixer, whose steps undo like any other.)
    if (receiving() || !m_session.history().canUndo())
        return;
    // A previewed part goes over whole before the step's messages.
    endAudition();
    if (auto before = m_session.undo())
        imageRestored(*before);
}

void MainWindow::redo()
{
    if (receiving() || !m_session.history().canRedo())
        return;
    endAudition();
    if (auto before = m_session.redo())
        imageRestored(*before);
}

void MainWindow::imageRestored(const Bytes& before)
{
    m_session.imageEdited(before, m_output->IsOpen(), notSentReason());
    refresh();
    emit historyChanged();
}

} // namespace dorvane
