// SPDX-License-Identifier: GPL-3.0-or-later
// The quick-edit window's link with the main window: what the main window's
// refresh, edits, tone boxes, waves, font and status bring here, and what this
// window's knobs, lists, boxes and buttons ask the main window to do.
#include "quickedit/tform3.h"

#include "editor/valuelists.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"
#include "editor/windowparts.h"
#include "player/tmidiapputil.h"
#include "quickedit/paneldisplay.h"
#include "quickedit/panelsection.h"
#include "quickedit/quickedittexts.h"
#include "quickedit/statuspanels.h"
#include "quickedit/tknob.h"
#include "session/editsession.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusTipEvent>

#include <algorithm>

namespace dorvane {

Tform3::Tform3(const WindowParts& parts)
    : QWidget(parts.window, Qt::Dialog), m_main(*parts.window), m_session(*parts.session),
      m_sheets(*parts.sheets), m_frame(*parts.frame), m_util(*parts.util)
{
    // Only what the main window's signals need: the panels wait for the first show.
    setObjectName("Form3");
    m_statusTexts[2] = texts::PressF9;
    m_frame.setQuickEditWindow(this);
    connect(&m_sheets, &ValueSheets::refreshed, this, &Tform3::followRefresh);
    connect(&m_frame, &WindowFrame::statusTextChanged, this,
            [this](const QString& text) { setStatus(0, text); });
    connect(&m_frame, &WindowFrame::quickEditHideRequested, this, &Tform3::hideForMainWindow);
    // Names typed in the main window change its caption without a refresh.
    connect(&m_main, &QWidget::windowTitleChanged, this, &Tform3::followCaption);
    // The part line also says what the instrument holds of the part.
    connect(&m_session, &EditSession::partSyncChanged, this, &Tform3::followCaption);
    connect(&m_session, &EditSession::tonesSelected, this, &Tform3::followToneBoxes);
    m_main.installEventFilter(this); // for its font changes
    followCaption();
}

Tform3::~Tform3()
{
    m_main.removeEventFilter(this);
    if (m_frame.quickEditWindow() == this)
        m_frame.setQuickEditWindow(nullptr);
}

void Tform3::setVisible(bool visible)
{
    if (visible) {
        ensureBuilt();
        if (!m_placed) {
            m_placed = true;
            centreOnScreen();
        }
    }
    QWidget::setVisible(visible);
}

void Tform3::centreOnScreen()
{
    const QScreen* screen = m_main.screen();
    if (!screen)
        return;
    // The panels' layout fixes the window's size; it must stand before the centring.
    layout()->activate();
    QRect frame(QPoint(), frameGeometry().size().expandedTo(size()));
    frame.moveCenter(screen->availableGeometry().center());
    // A screen smaller than the window still shows its top left corner.
    const QPoint corner = screen->availableGeometry().topLeft();
    move(std::max(frame.left(), corner.x()), std::max(frame.top(), corner.y()));
}

void Tform3::ensureBuilt()
{
    if (m_built)
        return;
    m_built = true;
    build();
    for (int i = 0; i < StatusPanels::Count; ++i)
        m_status->setText(i, m_statusTexts[std::size_t(i)]);
    followFont();
    followRefresh();
}

tknob* Tform3::knob(const QString& controlName) const
{
    for (tknob* k : m_knobs)
        if (k->CopyDragTweak() && k->CopyDragTweak()->objectName() == controlName)
            return k;
    return nullptr;
}

tknob* Tform3::currentKnob() const
{
    return m_current.data();
}

QRadioButton* Tform3::showToneButton(int tone) const
{
    return m_showGroup ? qobject_cast<QRadioButton*>(m_showGroup->button(tone)) : nullptr;
}

QPushButton* Tform3::button(const QString& caption) const
{
    for (QPushButton* b : m_buttons)
        if (b->text() == caption)
            return b;
    return nullptr;
}

PanelSection* Tform3::section(const QString& name) const
{
    for (PanelSection* s : m_sections)
        if (s->objectName() == name)
            return s;
    return nullptr;
}

void Tform3::setStatus(int panel, const QString& text)
{
    m_statusTexts[std::size_t(panel)] = text;
    if (m_status)
        m_status->setText(panel, text);
}

void Tform3::followRefresh()
{
    followCaption();
    // The knobs are a tone's: part R leaves them as they are (the window is hidden there).
    if (!m_built || m_session.isRhythmPart())
        return;
    const t505temppatch& image = m_session.image();
    const int part = m_session.partNumber();
    const int tone = m_session.shownTone();
    const int wave = image.ReadWave(part, tone);
    m_wave->setCurrentIndex(wave < m_wave->count() ? wave : -1);
    for (tknob* k : m_knobs)
        k->SetPosition(image.ReadByte(part, k->Tag5() == 1 ? 0 : tone, k->CtrlNo()));
    if (QAbstractButton* b = m_showGroup->button(tone))
        b->setChecked(true);
    followToneBoxes();
}

void Tform3::followCaption()
{
    if (m_session.isRhythmPart())
        return;
    const QString line = m_sheets.captionText().trimmed();
    setWindowTitle(line);
    if (m_display) {
        const int part = m_session.partIndex();
        m_display->setPartLine(line + "  " + partSyncMark(m_session.partSync(part)));
        m_display->setToolTip(m_session.partSyncHint(part));
    }
}

void Tform3::followToneBoxes()
{
    if (!m_built)
        return;
    for (int t = 1; t <= 4; ++t)
        toneBox(t)->setChecked(m_session.toneSelected(t));
}

void Tform3::followWave(int index)
{
    if (m_wave && index < m_wave->count())
        m_wave->setCurrentIndex(index);
}

void Tform3::followCategory(int index)
{
    if (m_category && index < m_category->count())
        m_category->setCurrentIndex(index);
}

void Tform3::followFont()
{
    // The family follows the main window; the sizes stay this window's.
    QFont f = font();
    f.setFamily(m_main.font().family());
    setFont(f);
}

bool Tform3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_main && event->type() == QEvent::FontChange && m_built)
        followFont();
    // Clicking the value box selects what it holds, so a new value replaces it.
    if (watched == m_valueBox && event->type() == QEvent::MouseButtonRelease)
        m_valueBox->selectAll();
    return QWidget::eventFilter(watched, event);
}

bool Tform3::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::StatusTip: {
        // Hints go to the first panel, as in the main window, when hints are on.
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (m_sheets.showHintBox()->isChecked() && !tip.isEmpty())
            setStatus(0, tip);
        return true;
    }
    case QEvent::WindowDeactivate:
        // Keys let go in another window never reach this one: the notes would hang.
        m_util.releaseAllKeys();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void Tform3::knobEntered(tknob* k)
{
    m_current = k;
    showParameter(k);
    TDragTweak* c = k->CopyDragTweak();
    if (!c)
        return;
    if (k->Tag5() == 1)
        setStatus(0, c->Items().value(k->Position()));
    else
        c->RaiseMouseEnter(); // the main window fills both status lines
}

void Tform3::knobChanged(tknob* k)
{
    if (k == m_current)
        showParameter(k);
}

void Tform3::knobDragged(tknob* k)
{
    // The knob's control makes the edit, as it does on the release.
    TDragTweak* c = k->CopyDragTweak();
    if (!c || !m_session.sendWhileDragging())
        return;
    c->SetPosition(k->Position());
    c->RaiseDragged();
}

void Tform3::showParameter(tknob* k)
{
    const TDragTweak* c = k->CopyDragTweak();
    if (!c || !m_display)
        return;
    m_display->setParameter(k->toolTip(), c->Items().value(k->Position()));
}

void Tform3::toneBoxReleased(int tone)
{
    if (QApplication::keyboardModifiers() == Qt::ShiftModifier)
        m_sheets.toneBoxReleased(tone, Qt::ShiftModifier);
    else
        m_session.setToneSelected(tone, toneBox(tone)->isChecked());
    // The main window's boxes are the selection; these show it.
    followToneBoxes();
}

void Tform3::valueEntered()
{
    // Before the pointer has touched a knob there is nothing to set.
    tknob* k = m_current.data();
    TDragTweak* c = k ? k->CopyDragTweak() : nullptr;
    if (!c)
        return;
    // As the main window's list shows it, or as a musician might spell it.
    const int found = findValue(c->Items(), m_valueBox->text());
    if (found < 0) {
        m_valueBox->setText(texts::TryAgain);
        m_valueBox->selectAll();
        return;
    }
    k->SetPosition(found);
    c->SetPosition(k->Position());
    c->RaiseMouseUp(Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));
    // Keys play notes again once the value is in; the pointer stays where the user left it.
    toneBox(4)->setFocus();
    setStatus(1, c->Items().value(c->Position()));
    m_valueBox->selectAll();
}

void Tform3::runMainCommand(const char* action)
{
    if (QAction* a = m_frame.action(action))
        a->trigger();
}

void Tform3::hideForMainWindow()
{
    if (!isVisible())
        return;
    const bool wasActive = isActiveWindow();
    hide();
    if (wasActive)
        m_main.activateWindow();
}

} // namespace dorvane
