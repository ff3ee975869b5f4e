// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/interfacestyle.h"

#include <QApplication>
#include <QGroupBox>
#include <QPainter>
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
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(mixed(window, text, 0.11), 1));
        painter->drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
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
