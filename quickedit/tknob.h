// SPDX-License-Identifier: GPL-3.0-or-later
// tknob: a rotary knob that shows one frame of its picture strip for its
// position and is turned by dragging with the left button. Linked to a value
// control of the main window, it mirrors that control both ways: releasing the
// knob hands its position to the control and runs the control's release
// notification, so the window makes the edit exactly as after a drag there.
// With the focus, the arrows, Page Up/Down, Home and End turn it as a drag
// does, and letting go of the keys is the release.
#pragma once

#include "editor/dragpointer.h"

#include "editor/tdragtweak.h"
#include "editor/valueaccessible.h"
#include "quickedit/picturestrip.h"

#include <QCursor>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <array>
#include <optional>

namespace dorvane {

class tknob : public QWidget, public TDragTweak::KnobLink, public AccessibleValue
{
    Q_OBJECT

public:
    enum Taxis
    {
        axHorizontal,
        axVertical
    };
    Q_ENUM(Taxis)

    // The unsigned 16-bit properties take ints and clamp them to this range.
    static constexpr int WordMax = 0xFFFF;

    explicit tknob(QWidget* parent = nullptr);
    ~tknob() override;

    // Linking takes the control's list length as Max, then its position, CtrlNo
    // and PositionDefault; the control's CopyKnob names this knob in turn.
    TDragTweak* CopyDragTweak() const { return m_copyDragTweak.data(); }
    void SetCopyDragTweak(TDragTweak* control);

    int Position() const { return m_position; }
    // Clamped to Min..Max; the same position again draws nothing.
    void SetPosition(int position);

    // The strip is copied (its frames are shared); nullptr forgets it and clears the picture.
    const PictureStrip* iImageList() const { return m_imageList ? &*m_imageList : nullptr; }
    void SetiImageList(const PictureStrip* list);
    // The same strip drawn in other colours (the window's scheme changed): the
    // knob shows its frame, or its plain rectangle, again in them at once.
    void recolour(const PictureStrip& list);

    int Max() const { return m_max; }
    void SetMax(int max);
    int Min() const { return m_min; }
    void SetMin(int min);

    int Tag1() const { return m_tags[0]; }
    void SetTag1(int tag) { m_tags[0] = toWord(tag); }
    int Tag2() const { return m_tags[1]; }
    void SetTag2(int tag) { m_tags[1] = toWord(tag); }
    int Tag3() const { return m_tags[2]; }
    void SetTag3(int tag) { m_tags[2] = toWord(tag); }
    int Tag4() const { return m_tags[3]; }
    void SetTag4(int tag) { m_tags[3] = toWord(tag); }
    int Tag5() const { return m_tags[4]; }
    void SetTag5(int tag) { m_tags[4] = toWord(tag); }

    bool ShowPos() const { return m_showPos; }
    void SetShowPos(bool show) { m_showPos = show; }

    int PositionDefault() const { return m_positionDefault; }
    void SetPositionDefault(int position) { m_positionDefault = toWord(position); }

    int CtrlNo() const { return m_ctrlNo; }
    void SetCtrlNo(int ctrlNo) { m_ctrlNo = toWord(ctrlNo); }
    QString CtrlNoHEX() const;
    // False, and CtrlNo unchanged, for text that is not a number of 0..65535.
    bool SetCtrlNoHEX(const QString& text);

    Taxis Axis() const { return m_axis; }
    void SetAxis(Taxis axis) { m_axis = axis; }

    // Setting it, to any value, clears the picture to a plain rectangle.
    bool Flushnow() const { return false; }
    void SetFlushnow(bool);

    // What the knob shows: the frame index drawn last, -1 for none or the plain rectangle.
    int ShownFrame() const { return m_shownFrame; }
    QPixmap Picture() const { return m_picture; }

    QSize sizeHint() const override;

    // A knob is read as the value control it mirrors: its name, and the text
    // that control would show for the knob's position.
    QString accessibleLabel() const override;
    QString accessibleValueText() const override;
    int accessiblePosition() const override { return m_position; }
    int accessibleMaximum() const override { return m_max; }
    void setAccessiblePosition(int position) override;

signals:
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    // A drag turned the knob; OnMouseUp still ends the drag.
    void dragged(dorvane::tknob* sender);
    void OnDblClick();
    // The position changed, by a drag, a double-click, the link or the window.
    void OnChange(dorvane::tknob* sender);
    void OnMouseEnter(dorvane::tknob* sender);
    void OnMouseLeave(dorvane::tknob* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void mirrorDragTweakPosition(int position) override;
    void dragTweakLinked(TDragTweak* control) override;
    void dragTweakUnlinked(TDragTweak* control) override;

    static int toWord(int value) { return value < 0 ? 0 : (value > WordMax ? WordMax : value); }
    int clamped(int position) const;
    int frameFor(int position) const;
    void drawFrame();
    void pressed(QMouseEvent* event);
    // The coordinate a drag steps along, growing the way the value does.
    int dragCoord(const QPoint& pos) const;
    void showPointer();
    // The release shared by the mouse, the keys and assistive technology.
    void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos,
                  bool putPointerBack);
    std::optional<int> keyTarget(const QKeyEvent* event) const;
    void endKeyRun();

    QPointer<TDragTweak> m_copyDragTweak;
    int m_position = 0;
    std::optional<PictureStrip> m_imageList;
    int m_max = 127;
    int m_min = 0;
    std::array<int, 5> m_tags{};
    bool m_showPos = true;
    int m_positionDefault = 0;
    int m_ctrlNo = 0;
    Taxis m_axis = axHorizontal;

    QPixmap m_picture;
    int m_shownFrame = -1;
    int m_lastCoord = 0; // where the drag's last move (or its press) was
    DragPointer m_pointer;
    bool m_keyRun = false; // editing keys are held; their release is the edit
    int m_keyRunStart = 0;
    KeyRunEnd m_keyRunEnd{[this] { endKeyRun(); }};
};

} // namespace dorvane
