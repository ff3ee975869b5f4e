// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/interfacestyle.h"

#include <QApplication>
#include <QGroupBox>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

#include <algorithm>

namespace dorvane {

namespace {

QColor mixed(const QColor& a, const QColor& b, double towardB)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * towardB),
                            float(a.greenF() + (b.greenF() - a.greenF()) * towardB),
                            float(a.blueF() + (b.blueF() - a.blueF()) * towardB));
}

// Where Fusion starts the frame below a titled box's top: under the title.
int frameTop(const QStyle* style, const QStyleOption* option, const QWidget* widget)
{
    constexpr int Margin = 4;
    const auto* box = qobject_cast<const QGroupBox*>(widget);
    if (box && !box->isCheckable() && box->title().isEmpty())
        return Margin;
    return std::max(style->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, option, widget),
                    option->fontMetrics.height()) +
           Margin;
}

} // namespace

InterfaceStyle::InterfaceStyle()
{
    m_overFusion = baseStyle()->name().compare("fusion", Qt::CaseInsensitive) == 0;
}

void InterfaceStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const
{
    if (!m_overFusion || (element != PE_FrameGroupBox && element != PE_FrameTabWidget)) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QColor window = option->palette.color(QPalette::Window);
    painter->save();
    painter->setBrush(Qt::NoBrush);
    if (element == PE_FrameGroupBox) {
        // Fusion's picture in opaque colours: a faint shade inside, a line
        // under the top edge, the rounded outline. Shaded toward the text
        // rather than black, so that the box shows on a dark window too.
        const QColor text = option->palette.color(QPalette::WindowText);
        const QRect box = option->rect.adjusted(0, frameTop(this, option, widget), 0, 0);
        painter->fillRect(box.adjusted(1, 1, -1, -1), mixed(window, text, 0.013));
        painter->setPen(mixed(window, text, 0.025));
        painter->drawLine(box.left() + 2, box.top() + 1, box.right() - 2, box.top() + 1);
        // The rounded outline: straight edges on whole pixels, and only the
        // corners through the antialiasing stroker, which on a tall box's
        // whole outline cost more than the rest of the box's paint.
        constexpr int Radius = 2;
        painter->setPen(QPen(mixed(window, text, 0.11), 1));
        const QLine edges[] = {
            {box.left() + Radius, box.top(), box.right() - Radius, box.top()},
            {box.left() + Radius, box.bottom(), box.right() - Radius, box.bottom()},
            {box.left(), box.top() + Radius, box.left(), box.bottom() - Radius},
            {box.right(), box.top() + Radius, box.right(), box.bottom() - Radius}};
        painter->drawLines(edges, 4);
        const QRectF r = QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5);
        constexpr qreal D = 2 * Radius;
        QPainterPath corners;
        corners.arcMoveTo(r.left(), r.top(), D, D, 180);
        corners.arcTo(r.left(), r.top(), D, D, 180, -90);
        corners.arcMoveTo(r.right() - D, r.top(), D, D, 90);
        corners.arcTo(r.right() - D, r.top(), D, D, 90, -90);
        corners.arcMoveTo(r.right() - D, r.bottom() - D, D, D, 0);
        corners.arcTo(r.right() - D, r.bottom() - D, D, D, 0, -90);
        corners.arcMoveTo(r.left(), r.bottom() - D, D, D, 270);
        corners.arcTo(r.left(), r.bottom() - D, D, D, 270, -90);
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->drawPath(corners);
    } else {
        // Fusion's own lines, in opaque colours: a translucent line is one the
        // raster engine splits across its threads.
        const QRect frame = option->rect.adjusted(0, 0, -1, -2);
        painter->setPen(mixed(window, Qt::black, 0.06));
        painter->drawLine(option->rect.bottomLeft(), option->rect.bottomRight());
        painter->setPen(window.darker(140));
        painter->drawRect(frame);
        painter->setPen(mixed(window, Qt::white, 0.25));
        painter->drawRect(frame.adjusted(1, 1, -1, -1));
    }
    painter->restore();
}

void useInterfaceStyle()
{
    QApplication::setStyle(new InterfaceStyle);
}

} // namespace dorvane
