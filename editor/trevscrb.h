// SPDX-License-Identifier: GPL-3.0-or-later
// TRevScrB: a scroll bar that also reads the other way round (RevPosition grows
// upward on a vertical bar) and can show its value as its hint. The drum part
// mixer's faders and the tone-morph bars are made of it.
#pragma once

#include "editor/controltags.h"

#include <QPoint>
#include <QScrollBar>

#include <array>

namespace dorvane {

class TRevScrB : public QScrollBar, public ControlTags
{
    Q_OBJECT

public:
    enum TPos2HintKind
    {
        phPosition,
        phRevPosition
    };
    Q_ENUM(TPos2HintKind)

    explicit TRevScrB(QWidget* parent = nullptr);
    explicit TRevScrB(Qt::Orientation orientation, QWidget* parent = nullptr);

    int Position() const { return value(); }
    void SetPosition(int position) { setValue(position); }
    int Min() const { return minimum(); }
    void SetMin(int min) { setMinimum(min); }
    int Max() const { return maximum(); }
    void SetMax(int max) { setMaximum(max); }

    // Max + Min - Position.
    int RevPosition() const;
    void SetRevPosition(int position);

    bool Pos2Hint() const { return m_pos2Hint; }
    void SetPos2Hint(bool on);
    TPos2HintKind Pos2HintKind() const { return m_pos2HintKind; }
    void SetPos2HintKind(TPos2HintKind kind);
    int PosCompensatevalue() const { return m_posCompensatevalue; }
    void SetPosCompensatevalue(int value);
    bool PosCompensate() const { return m_posCompensate; }
    void SetPosCompensate(bool on);

    int IncrementValue() const { return m_incrementValue; }
    void SetIncrementValue(int value) { m_incrementValue = value; }

    // The hint is the bar's tool tip, which the application also routes to the status bar.
    QString Hint() const { return toolTip(); }

signals:
    void onMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void onMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    void onMouseUP(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    // A scroll gesture ended: mouse released, navigation key released or a
    // wheel step taken. Edits that send to the instrument hang here rather
    // than on every intermediate value.
    void OnEndScroll();

protected:
    void sliderChange(SliderChange change) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void updateHint();

    bool m_pos2Hint = true;
    TPos2HintKind m_pos2HintKind = phPosition;
    int m_posCompensatevalue = 0;
    bool m_posCompensate = false;
    int m_incrementValue = 1;
};

} // namespace dorvane
