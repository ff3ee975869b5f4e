// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/afterfirstpaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace dorvane {

namespace {

class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget& widget, std::function<void()> what)
        : QObject(&widget), m_what(std::move(what))
    {
        widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // On the next turn: the paint itself, and the flush that puts it
            // on the screen, come first.
            QTimer::singleShot(0, this, [this] {
                m_what();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> m_what;
};

} // namespace

void afterFirstPaint(QWidget& widget, std::function<void()> what)
{
    new AfterFirstPaint(widget, std::move(what));
}

} // namespace dorvane
