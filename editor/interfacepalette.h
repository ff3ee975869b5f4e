// SPDX-License-Identifier: GPL-3.0-or-later
// The program's one look: the palette both windows take, light or dark as the
// desktop prefers, and the colours of the displays drawn inside them (the value
// controls, the knob window's screens and knobs). The application icon is
// drawn in these colours too.
#pragma once

#include <QColor>
#include <QObject>
#include <QPalette>

#include <functional>

class QWidget;

namespace dorvane {

enum class ColourScheme
{
    Light,
    Dark,
};

// Colours of the instrument-like displays. The faces stay dark in both schemes,
// as an LCD does; what sits on the window's own colour (a screen's rim) follows
// the scheme.
struct DisplayColours
{
    QColor face;        // a value control's or a screen's background
    QColor rim;         // a screen's outline, against the window
    QColor text;        // a value, a lit trace or arc
    QColor fill;        // under a lit trace, translucent
    QColor unknownText; // a value not known: dimmer than a lit one, still legible
    QColor partLine;    // the knob window's part line, quieter than the value
    QColor unlit;       // a knob's travel not reached, a trace not chosen
    QColor unlitLabel;  // a screen's label when not chosen
    QColor bevelLight;  // a value control's sunken frame
    QColor bevelDark;
    QColor bezel;   // the dark ring a knob's arc runs on
    QColor pointer; // a knob's pointer line
    QColor switchOn;
    QColor switchThumbOn;
    QColor switchThumbOff;
};

DisplayColours displayColours(ColourScheme scheme);

// A full palette for the scheme; every window of the program uses it.
QPalette interfacePalette(ColourScheme scheme);

// The accent both palettes highlight with and the icon is drawn in.
QColor accentColour();

// Which scheme a palette reads as: dark when its window is darker than its text.
ColourScheme schemeOf(const QPalette& palette);

// The desktop's preference: the platform's own colour scheme where this Qt can
// tell it, otherwise what the platform's palette reads as, the program's own
// palette set or not.
ColourScheme preferredScheme();

// Sets the application's palette for the scheme; windows built after it take it.
void applyColourScheme(ColourScheme scheme);

// The scheme of the palette the application has now.
ColourScheme currentScheme();

// Follows the desktop's light or dark preference while the program runs: when
// the platform says its theme changed, the application takes the palette of the
// scheme the desktop prefers now, and every window, the displays drawn in them
// included, repaints in it. One is made at start-up, after the first scheme.
class ColourSchemeFollower : public QObject
{
    Q_OBJECT

public:
    explicit ColourSchemeFollower(QObject* parent = nullptr);
    ~ColourSchemeFollower() override;

    // What a change of the desktop's theme calls: the desktop asked again.
    void desktopChanged();
    // The scheme to show; nothing done when it is the one shown.
    void follow(ColourScheme scheme);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_asked = false; // one look at the desktop for the windows' many notices
};

// Calls `recolour` after the widget's palette changed (a scheme followed), for
// what is coloured from a palette or drawn into pictures rather than painted
// from the palette as it stands: once for a run of changes, with the widget's
// children changed too.
void whenPaletteChanges(QWidget* widget, std::function<void()> recolour);

// WCAG's contrast ratio of two opaque colours, 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

} // namespace dorvane
