// SPDX-License-Identifier: GPL-3.0-or-later
#include "quickedit/knobstrips.h"

#include "editor/interfacepalette.h"
#include "editor/valuelists.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRadialGradient>
#include <QScreen>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>

namespace dorvane {

namespace {

// The knobs' displays are the value controls' own colours; the rim follows
// the window the strips are drawn on.
DisplayColours coloursOn(const QColor& background)
{
    QPalette palette;
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, background.lightness() < 128 ? Qt::white : Qt::black);
    return displayColours(schemeOf(palette));
}

constexpr double Pi = std::numbers::pi;

// A knob turns through 270 degrees, from lower left to lower right.
constexpr double SweepStartDeg = 225.0;
constexpr double SweepDeg = 270.0;

QPixmap blankFrame(QSize size, qreal ratio, const QColor& background)
{
    QPixmap frame(
        QSize(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio))));
    frame.setDevicePixelRatio(ratio);
    frame.fill(background);
    return frame;
}

QFont labelFont()
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(11); // pixels, so the label fits the fixed frame at any font setting
    font.setBold(true);
    return font;
}

// The black display that the filter and wave frames draw into, with its label.
QRectF drawScreen(QPainter& painter, const DisplayColours& c, QSize size, const QString& label,
                  bool lit)
{
    const QRectF face(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    painter.setPen(QPen(c.rim, 1.0));
    painter.setBrush(c.face);
    painter.drawRoundedRect(face, 4.0, 4.0);
    painter.setFont(labelFont());
    painter.setPen(lit ? c.text : c.unlitLabel);
    painter.drawText(QRectF(6, 2, size.width() - 12.0, 13), Qt::AlignLeft | Qt::AlignVCenter,
                     label);
    // The trace area: below the label, inside the rim.
    return QRectF(6, 17, size.width() - 12.0, size.height() - 22.0);
}

// Draws y(t) for t in 0..1 (y in -1..1, 1 at the top) across area, filled down
// to the area's bottom so the shape reads at a glance.
void drawTrace(QPainter& painter, const DisplayColours& c, const QRectF& area,
               const std::function<double(double)>& y, int samples, bool lit = true)
{
    QPainterPath trace;
    for (int i = 0; i <= samples; ++i) {
        const double t = double(i) / samples;
        const double v = std::clamp(y(t), -1.0, 1.0);
        const QPointF p(area.left() + t * area.width(), area.center().y() - v * area.height() / 2);
        if (i == 0)
            trace.moveTo(p);
        else
            trace.lineTo(p);
    }
    QPainterPath filled = trace;
    filled.lineTo(area.right(), area.bottom());
    filled.lineTo(area.left(), area.bottom());
    filled.closeSubpath();
    painter.setPen(Qt::NoPen);
    QColor unlitFill = c.unlit;
    unlitFill.setAlpha(60);
    painter.setBrush(lit ? c.fill : unlitFill);
    painter.drawPath(filled);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(lit ? c.text : c.unlit, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(trace);
}

QPointF onCircle(QPointF centre, double radius, double degrees)
{
    const double a = degrees * Pi / 180.0;
    return {centre.x() + radius * std::cos(a), centre.y() - radius * std::sin(a)};
}

// Second-order filter magnitudes in decibels at frequency f relative to the
// cutoff, the classic curves a synthesist expects to see.
double filterDb(int type, double f)
{
    constexpr double Q = 2.8;
    const double d = std::hypot(1.0 - f * f, f / Q);
    double gain = 1.0;
    switch (type) {
    case 1:
        gain = 1.0 / d;
        break;
    case 2:
        gain = (f / Q) / d;
        break;
    case 3:
        gain = f * f / d;
        break;
    case 4: {
        constexpr double Boost = 2.5;
        gain = std::hypot(1.0 - f * f, f * Boost / Q) / std::hypot(1.0 - f * f, f / (Boost * Q));
        break;
    }
    default:
        break;
    }
    return 20.0 * std::log10(std::max(gain, 1e-4));
}

// Fixed values for the random shapes, so every start draws the same pictures.
constexpr std::array<double, 9> SampleAndHold = {0.55, -0.35, 0.9,  -0.8, 0.2,
                                                 0.75, -0.6,  -0.1, 0.55};
constexpr std::array<double, 9> Random = {0.1, 0.7, -0.2, -0.85, 0.35, 0.9, -0.4, 0.3, 0.1};

double chaos(double t)
{
    // The logistic map at r = 3.9: irregular but the same on every run.
    constexpr int Points = 28;
    static const std::array<double, Points + 1> values = [] {
        std::array<double, Points + 1> v{};
        double x = 0.31;
        for (double& out : v) {
            x = 3.9 * x * (1.0 - x);
            out = 2.0 * x - 1.0;
        }
        return v;
    }();
    const double pos = t * Points;
    const int i = std::min(int(pos), Points - 1);
    return values[i] + (values[i + 1] - values[i]) * (pos - i);
}

double lfoShape(int shape, double t)
{
    constexpr double Cycles = 2.0;
    const double phase = std::fmod(t * Cycles, 1.0);
    switch (shape) {
    case 0: // triangle
        return phase < 0.25 ? phase * 4 : (phase < 0.75 ? 2 - phase * 4 : phase * 4 - 4);
    case 1: // sine
        return std::sin(2 * Pi * t * Cycles);
    case 2: // saw
        return phase < 0.98 ? 1.0 - 2.0 * phase / 0.98 : -1.0 + 2.0 * (phase - 0.98) / 0.02;
    case 3: // square
        return phase < 0.5 ? 0.9 : -0.9;
    case 4: // trapezoid
        return std::clamp(2.2 * (phase < 0.5 ? phase * 4 - 1 : 3 - phase * 4), -0.9, 0.9);
    case 5: { // sample and hold
        const int step = std::min(int(t * 8), 7);
        return SampleAndHold[std::size_t(step)] * 0.9;
    }
    case 6: { // random: smooth through fixed points
        const double pos = t * 8;
        const int i = std::min(int(pos), 7);
        const double w = (1 - std::cos((pos - i) * Pi)) / 2;
        return (Random[std::size_t(i)] * (1 - w) + Random[std::size_t(i) + 1] * w) * 0.9;
    }
    default: // chaos
        return chaos(t) * 0.9;
    }
}

} // namespace

KnobStrips::KnobStrips(qreal devicePixelRatio, const QColor& background)
    : m_knob(drawKnob(devicePixelRatio, background)),
      m_switch(drawSwitch(devicePixelRatio, background)),
      m_filterType(drawFilterType(devicePixelRatio, background)),
      m_lfoWave(drawLfoWave(devicePixelRatio, background))
{
}

KnobStrips KnobStrips::forScreen(const QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    return KnobStrips(ratio, QGuiApplication::palette().color(QPalette::Window));
}

PictureStrip KnobStrips::drawKnob(qreal ratio, const QColor& background)
{
    const DisplayColours c = coloursOn(background);
    QList<QPixmap> frames;
    const QPointF centre(KnobFrameSize.width() / 2.0, KnobFrameSize.height() / 2.0);
    for (int i = 0; i < KnobFrames; ++i) {
        QPixmap frame = blankFrame(KnobFrameSize, ratio, background);
        QPainter painter(&frame);
        painter.setRenderHint(QPainter::Antialiasing);
        // A dark bezel carries the travel arc, so the lit part reads on any window colour.
        painter.setPen(Qt::NoPen);
        painter.setBrush(c.bezel);
        painter.drawEllipse(centre, 14.5, 14.5);
        const QRectF arc(centre.x() - 12, centre.y() - 12, 24, 24);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(c.unlit, 2.4, Qt::SolidLine, Qt::FlatCap));
        painter.drawArc(arc, int(SweepStartDeg * 16), int(-SweepDeg * 16));
        const double fraction = double(i) / (KnobFrames - 1);
        const double angle = SweepStartDeg - SweepDeg * fraction;
        if (i > 0) {
            painter.setPen(QPen(c.text, 2.4, Qt::SolidLine, Qt::FlatCap));
            painter.drawArc(arc, int(SweepStartDeg * 16), int(-SweepDeg * fraction * 16));
        }
        QRadialGradient body(centre - QPointF(3, 3), 12);
        body.setColorAt(0.0, QColor(120, 120, 120));
        body.setColorAt(1.0, QColor(35, 35, 35));
        painter.setPen(QPen(QColor(0, 0, 0), 1.0));
        painter.setBrush(body);
        painter.drawEllipse(centre, 9.0, 9.0);
        painter.setPen(QPen(c.pointer, 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(onCircle(centre, 2.5, angle), onCircle(centre, 8.0, angle));
        painter.end();
        frames.append(frame);
    }
    return PictureStrip(KnobFrameSize, frames);
}

PictureStrip KnobStrips::drawSwitch(qreal ratio, const QColor& background)
{
    const DisplayColours c = coloursOn(background);
    QList<QPixmap> frames;
    for (int i = 0; i < SwitchFrames; ++i) {
        const bool on = i == 1;
        QPixmap frame = blankFrame(SwitchFrameSize, ratio, background);
        QPainter painter(&frame);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF track(0.5, 0.5, SwitchFrameSize.width() - 1.0, SwitchFrameSize.height() - 1.0);
        painter.setPen(QPen(QColor(0, 0, 0), 1.0));
        painter.setBrush(on ? c.switchOn : c.bezel);
        painter.drawRoundedRect(track, 4.5, 4.5);
        // The thumb sits left for off and right for on, as on a slide switch.
        const double thumbWidth = 15.0;
        const QRectF thumb(on ? track.right() - thumbWidth - 1 : track.left() + 1, 1.5, thumbWidth,
                           SwitchFrameSize.height() - 3.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(on ? c.switchThumbOn : c.switchThumbOff);
        painter.drawRoundedRect(thumb, 3.5, 3.5);
        painter.end();
        frames.append(frame);
    }
    return PictureStrip(SwitchFrameSize, frames);
}

QString KnobStrips::filterTypeLabel(int type)
{
    return valueList(ValueList::FilterTypes).value(type);
}

QString KnobStrips::lfoWaveLabel(int shape)
{
    return valueList(ValueList::LfoWaveforms).value(shape);
}

PictureStrip KnobStrips::drawFilterType(qreal ratio, const QColor& background)
{
    const DisplayColours c = coloursOn(background);
    QList<QPixmap> frames;
    for (int type = 0; type < FilterTypeFrames; ++type) {
        QPixmap frame = blankFrame(FilterTypeFrameSize, ratio, background);
        QPainter painter(&frame);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool lit = type != 0;
        const QRectF area = drawScreen(painter, c, FilterTypeFrameSize, filterTypeLabel(type), lit);
        // Frequency on a log scale across the display, the cutoff in the middle;
        // +15 dB at the top edge, -33 dB at the bottom.
        constexpr double TopDb = 15.0;
        constexpr double RangeDb = 48.0;
        drawTrace(
            painter, c, area,
            [type](double t) {
                const double f = std::pow(10.0, (t - 0.5) * 2.4);
                const double db = std::max(filterDb(type, f), TopDb - RangeDb);
                return 1.0 - 2.0 * (TopDb - db) / RangeDb;
            },
            120, lit);
        painter.end();
        frames.append(frame);
    }
    return PictureStrip(FilterTypeFrameSize, frames);
}

PictureStrip KnobStrips::drawLfoWave(qreal ratio, const QColor& background)
{
    const DisplayColours c = coloursOn(background);
    QList<QPixmap> frames;
    for (int shape = 0; shape < LfoWaveFrames; ++shape) {
        QPixmap frame = blankFrame(LfoWaveFrameSize, ratio, background);
        QPainter painter(&frame);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area = drawScreen(painter, c, LfoWaveFrameSize, lfoWaveLabel(shape), true);
        // The trace swings about the middle, so no fill below it.
        QPainterPath trace;
        constexpr int Samples = 160;
        for (int i = 0; i <= Samples; ++i) {
            const double t = double(i) / Samples;
            const QPointF p(area.left() + t * area.width(),
                            area.center().y() - lfoShape(shape, t) * area.height() / 2);
            if (i == 0)
                trace.moveTo(p);
            else
                trace.lineTo(p);
        }
        painter.setPen(QPen(c.unlit, 1.0, Qt::DotLine));
        painter.drawLine(QPointF(area.left(), area.center().y()),
                         QPointF(area.right(), area.center().y()));
        painter.setPen(QPen(c.text, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(trace);
        painter.end();
        frames.append(frame);
    }
    return PictureStrip(LfoWaveFrameSize, frames);
}

} // namespace dorvane
