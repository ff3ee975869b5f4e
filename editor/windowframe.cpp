// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/windowframe.h"

#include "midi/dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStackedWidget>
#include <QStatusBar>

namespace dorvane {

WindowFrame::WindowFrame(QMainWindow& window, Dialogs& dialogs)
    : QObject(&window), m_window(window), m_dialogs(dialogs)
{
    m_status = new QLabel;
    m_status->setObjectName("statuspanel1");
    m_status->setTextFormat(Qt::PlainText);
    m_status->setMinimumWidth(200);
    window.statusBar()->addWidget(m_status, 1);
    m_sheetArea = new QStackedWidget;
    m_sheetArea->setObjectName("sheetarea");
}

QString WindowFrame::statusText() const
{
    return m_status->text();
}

void WindowFrame::setStatusText(const QString& text)
{
    m_status->setText(text);
    emit statusTextChanged(text);
}

void WindowFrame::showStatusHere(const QString& text)
{
    m_status->setText(text);
}

bool WindowFrame::hintsShown() const
{
    return m_hintSwitch && m_hintSwitch->isChecked();
}

void WindowFrame::showHint(const QString& hint)
{
    if (!hintsShown())
        return;
    if (!hint.isEmpty()) {
        // A hint is this window's own: the knob window shows its own hints.
        m_status->setText(hint);
        m_hintShown = hint;
    } else if (!m_modeText.isEmpty()) {
        setStatusText(m_modeText);
    }
}

void WindowFrame::menuClosed()
{
    if (!m_hintShown.isEmpty() && statusText() == m_hintShown) {
        setStatusText(QString());
        m_hintShown.clear();
    }
}

void WindowFrame::setSheets(QWidget* sheets)
{
    m_sheets = sheets;
    m_sheetArea->insertWidget(0, sheets);
    m_sheetArea->setCurrentWidget(sheets);
}

void WindowFrame::showInSheetArea(QWidget* page)
{
    if (m_sheetArea->indexOf(page) < 0)
        m_sheetArea->addWidget(page);
    m_sheetArea->setCurrentWidget(page);
}

void WindowFrame::showSheets()
{
    m_sheetArea->setCurrentWidget(m_sheets);
}

QWidget* WindowFrame::shownInSheetArea() const
{
    return m_sheetArea->currentWidget();
}

void WindowFrame::runCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& e) {
        m_dialogs.ask(QString::fromLocal8Bit(e.what()), AskKind::Information);
    }
}

QAction* WindowFrame::addAction(QMenu* menu, const QString& name, const QString& caption,
                                const QKeySequence& shortcut, const QString& hint,
                                const std::function<void()>& triggered)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    if (!hint.isEmpty())
        a->setStatusTip(hint);
    connect(a, &QAction::triggered, this, [this, triggered] {
        runCommand([&] {
            if (m_beforeEach)
                m_beforeEach();
            triggered();
        });
    });
    return a;
}

QAction* WindowFrame::action(const QString& objectName) const
{
    return m_window.findChild<QAction*>(objectName);
}

} // namespace dorvane
