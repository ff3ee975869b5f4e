// SPDX-License-Identifier: GPL-3.0-or-later
// TDragTweak: the value control of the main window. A bordered text panel that
// shows one entry of a fixed list of value labels; dragging sideways steps
// through the list, a double-click resets it, the keypad plus and minus step it.
// The caption is the value: the control keeps no separate position number. It
// knows nothing of MIDI or of the image; the window binds it through CtrlNo,
// Tag and Tag1..Tag5 and acts on OnMouseUp.
#pragma once

#include "editor/controltags.h"

#include "editor/dragpointer.h"
#include "editor/valueaccessible.h"

#include <QCursor>
#include <QLabel>
#include <QPoint>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class QKeyEvent;

namespace dorvane {

class TDragTweak : public QLabel, public ControlTags, public AccessibleValue
{
    Q_OBJECT

public:
    // What a knob offers to the value control it mirrors. Knobs live in a higher
    // layer, so the control knows its knob only through this interface; the knob
    // keeps the other half of the link.
    class KnobLink
    {
    public:
        virtual ~KnobLink() = default;
        // The control was released: the knob takes the control's position.
        virtual void mirrorDragTweakPosition(int position) = 0;
        // The control named this knob as its CopyKnob: the knob links back.
        virtual void dragTweakLinked(TDragTweak* control) = 0;
        // The control let go of this knob (relinked, cleared or destroyed).
        virtual void dragTweakUnlinked(TDragTweak* control) = 0;
        // The control's value became unknown or known again (see Unknown()).
        virtual void dragTweakUnknownChanged(bool unknown) { (void)unknown; }
    };

    explicit TDragTweak(QWidget* parent = nullptr);
    ~TDragTweak() override;

    // The knob mirroring this control; anything that is not a knob stores none.
    QObject* CopyKnob() const;
    void SetCopyKnob(QObject* knob);

    bool AllowLoop() const { return m_allowLoop; }
    void SetAllowLoop(bool allow) { m_allowLoop = allow; }

    int PositionDefault() const { return m_positionDefault; }
    void SetPositionDefault(int position) { m_positionDefault = position; }

    const QStringList& Items() const { return m_items; }
    void SetItems(const QStringList& items);

    // Index of the caption in Items (ignoring case), -1 when absent or Items empty.
    int Position() const;
    // Assigning a position makes the value known (see Unknown()).
    void SetPosition(int position);

    // A value the program cannot know (the instrument holds it and never sends
    // it back) shows as a dim dash with a hint saying so, while the control
    // keeps its position underneath: the first drag or keypad step starts from
    // there, and any step, reset or release makes the value known again.
    bool Unknown() const { return m_unknown; }
    void SetUnknown(bool unknown);
    // What the musician reads: the caption, or the dash while unknown.
    QString DisplayedText() const;

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);

    int CtrlNo() const { return m_ctrlNo; }
    void SetCtrlNo(int ctrlNo) { m_ctrlNo = ctrlNo; }
    QString CtrlNoHEX() const;
    // Accepts "$1F" or "0x1F" (hexadecimal) and decimal text; false, and CtrlNo
    // unchanged, when the text is not a number.
    bool SetCtrlNoHEX(const QString& text);
    // The text form of CtrlNoHEX and its parse, shared with the knob.
    static QString ctrlNoText(int ctrlNo);
    static std::optional<int> parseCtrlNoText(const QString& text);

    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    bool AllowReset() const { return m_allowReset; }
    void SetAllowReset(bool allow) { m_allowReset = allow; }

    int IncrementValue() const { return m_incrementValue; }
    void SetIncrementValue(int value) { m_incrementValue = value; }

    bool TabStop() const;
    void SetTabStop(bool stop);

    // Restores PositionDefault when AllowReset is on and the default is in the list.
    void Reset();

    // Raises OnMouseUp as if this control had been released; the linked knob
    // uses it so that releasing the knob performs the window's edit.
    void RaiseMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos);
    // Raises dragged as if this control had been dragged to its position; the
    // linked knob uses it while it turns.
    void RaiseDragged() { emit dragged(this); }
    // Raises OnMouseEnter as if the pointer had entered this control; the
    // linked knob's window uses it to show what the control shows on entering.
    void RaiseMouseEnter();

    // Wide enough for the widest entry of Items (and the caption) in the
    // regular weight; the bold the focus gives is narrowed to fit when wider,
    // so no value is ever clipped.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Assistive technology reads the name the window gives (the tool tip
    // until it gives one) and the text shown. The window's names say which
    // part and tone a value is of, so they are made when a reader asks, not
    // at every change of the selection.
    QString accessibleLabel() const override;
    void setAccessibleLabelSource(std::function<QString()> source)
    {
        m_labelSource = std::move(source);
    }
    QString accessibleValueText() const override { return DisplayedText(); }
    int accessiblePosition() const override { return Position(); }
    int accessibleMaximum() const override { return int(m_items.size()) - 1; }
    void setAccessiblePosition(int position) override;

    // Puts the pointer at a screen position where the platform allows it
    // (Wayland does not; the offscreen platform only pretends).
    static void movePointerTo(const QPoint& globalPos);

signals:
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void OnDblClick();
    // A drag moved the value; OnMouseUp still ends the drag.
    void dragged(dorvane::TDragTweak* sender);
    void OnMouseEnter(dorvane::TDragTweak* sender);
    void OnMouseLeave(dorvane::TDragTweak* sender);
    void onKeyDown(QKeyEvent* event);
    void onKeyUp(QKeyEvent* event);
    void onKeyPress(QKeyEvent* event);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    KnobLink* copyKnobLink() const;
    void showText(const QString& caption);
    void pressed(QMouseEvent* event);
    void step(int direction, int stepSize);
    // The release handling shared by the mouse and the keypad keys.
    void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos,
                  bool putPointerBack);
    void showPointer();
    void setBold(bool bold);
    // Where an editing key takes the value from `position`; none for other keys.
    std::optional<int> keyTarget(const QKeyEvent* event, int position) const;
    void endKeyRun();

    QPointer<QObject> m_copyKnobObject;
    KnobLink* m_copyKnob = nullptr; // valid only while m_copyKnobObject lives
    bool m_allowLoop = false;
    int m_positionDefault = 0;
    QStringList m_items;
    int m_ctrlNo = 0;
    int m_tag = 0;
    bool m_allowReset = true;
    int m_incrementValue = 1;
    bool m_unknown = false;
    QString m_knownStatusTip; // the hint to give back once the value is known

    // A run of editing keys is under way: its steps show at once and, as a
    // drag's, are one edit when the keys are let go.
    bool m_keyRun = false;
    int m_keyRunStart = -1;
    bool m_keyRunUnknown = false;
    KeyRunEnd m_keyRunEnd{[this] { endKeyRun(); }};

    int m_lastX = 0; // where the drag's last move (or its press) was
    DragPointer m_pointer;
    mutable QSize m_sizeHint; // invalid until asked for after a change of list or font
    std::function<QString()> m_labelSource;
};

} // namespace dorvane
