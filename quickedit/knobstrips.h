// SPDX-License-Identifier: GPL-3.0-or-later
// KnobStrips: the four picture strips of the quick-edit window, drawn with
// QPainter when the window starts (no image files ship). They are drawn at the
// screen's device pixel ratio, so they stay crisp on high-density screens.
#pragma once

#include "quickedit/picturestrip.h"

#include <QColor>
#include <QSize>
#include <QString>

class QScreen;

namespace dorvane {

class KnobStrips
{
public:
    // Frame counts and sizes the knobs rely on: a frame per position for the
    // switch, filter and wave strips, and 30 steps of travel for a plain knob.
    static constexpr int KnobFrames = 30;
    static constexpr QSize KnobFrameSize{30, 30};
    static constexpr int SwitchFrames = 2;
    static constexpr QSize SwitchFrameSize{35, 10};
    static constexpr int FilterTypeFrames = 5; // off, LP, BP, HP, PK
    static constexpr QSize FilterTypeFrameSize{124, 43};
    static constexpr int LfoWaveFrames = 8; // the instrument's eight LFO shapes
    static constexpr QSize LfoWaveFrameSize{84, 43};

    // background is the colour of the window the knobs sit on: the frames are
    // opaque, so it fills what lies outside the drawn shapes.
    KnobStrips(qreal devicePixelRatio, const QColor& background);
    // Drawn for the given screen's ratio (the primary screen when null) on the
    // application palette's window colour.
    static KnobStrips forScreen(const QScreen* screen = nullptr);

    const PictureStrip& Knob() const { return m_knob; }
    const PictureStrip& Switch() const { return m_switch; }
    const PictureStrip& FilterType() const { return m_filterType; }
    const PictureStrip& LfoWave() const { return m_lfoWave; }

    // The word a display frame prints: the main window's word for that value,
    // so both windows read alike.
    static QString filterTypeLabel(int type);
    static QString lfoWaveLabel(int shape);

    static PictureStrip drawKnob(qreal devicePixelRatio, const QColor& background);
    static PictureStrip drawSwitch(qreal devicePixelRatio, const QColor& background);
    static PictureStrip drawFilterType(qreal devicePixelRatio, const QColor& background);
    static PictureStrip drawLfoWave(qreal devicePixelRatio, const QColor& background);

private:
    PictureStrip m_knob;
    PictureStrip m_switch;
    PictureStrip m_filterType;
    PictureStrip m_lfoWave;
};

} // namespace dorvane
