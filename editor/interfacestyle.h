// SPDX-License-Identifier: GPL-3.0-or-later
// The program's widget style: the desktop's own, except that over Qt's Fusion
// the frames of group boxes and of the sheets' tabs are drawn as plain lines in
// the palette's colours. Fusion stretches a picture over every group box and
// draws the tab frame in translucent lines: on the first paint that decoded the
// picture and had the raster engine split each tall edge across a pool of new
// threads, a twentieth of the start-up's processor time, for two frames.
#pragma once

#include <QProxyStyle>

namespace dorvane {

class InterfaceStyle : public QProxyStyle
{
public:
    InterfaceStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    bool m_overFusion = false;
};

// Makes InterfaceStyle the application's style; before any window is built.
void useInterfaceStyle();

} // namespace dorvane
