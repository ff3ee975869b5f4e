// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/interfacepalette.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>

namespace dorvane {

namespace {

// The LCD green of the displays, and a deeper green the widgets highlight with,
// deep enough for white text on it.
const QColor Lit(0, 255, 0);
const QColor Accent(0x1d, 0x7a, 0x3a);

struct Roles
{
    QColor window, windowText, base, alternateBase, text, button, buttonText;
    QColor light, midlight, mid, dark, shadow;
    QColor placeholder, link, disabledText, toolTipBase, toolTipText;
};

Roles rolesFor(ColourScheme scheme)
{
    if (scheme == ColourScheme::Dark)
        return {.window = QColor(0x2b, 0x2d, 0x30),
                .windowText = QColor(0xe2, 0xe2, 0xe2),
                .base = QColor(0x3e, 0x41, 0x46),
                .alternateBase = QColor(0x25, 0x27, 0x2a),
                .text = QColor(0xe2, 0xe2, 0xe2),
                .button = QColor(0x45, 0x48, 0x4d),
                .buttonText = QColor(0xe2, 0xe2, 0xe2),
                .light = QColor(0x5a, 0x5e, 0x64),
                .midlight = QColor(0x4d, 0x51, 0x56),
                .mid = QColor(0x6a, 0x6e, 0x74),
                .dark = QColor(0x1e, 0x1f, 0x22),
                .shadow = QColor(0, 0, 0),
                .placeholder = QColor(0xb0, 0xb4, 0xba),
                .link = QColor(0x6f, 0xd0, 0x8c),
                .disabledText = QColor(0x7a, 0x7d, 0x82),
                .toolTipBase = QColor(0x1e, 0x1f, 0x22),
                .toolTipText = QColor(0xe2, 0xe2, 0xe2)};
    return {.window = QColor(0xec, 0xed, 0xed),
            .windowText = QColor(0x1b, 0x1c, 0x1e),
            .base = QColor(0xff, 0xff, 0xff),
            .alternateBase = QColor(0xf4, 0xf5, 0xf5),
            .text = QColor(0x1b, 0x1c, 0x1e),
            .button = QColor(0xe3, 0xe4, 0xe6),
            .buttonText = QColor(0x1b, 0x1c, 0x1e),
            .light = QColor(0xff, 0xff, 0xff),
            .midlight = QColor(0xf3, 0xf3, 0xf4),
            .mid = QColor(0xa9, 0xab, 0xaf),
            .dark = QColor(0x8a, 0x8c, 0x90),
            .shadow = QColor(0x5a, 0x5c, 0x60),
            .placeholder = QColor(0x5f, 0x63, 0x68),
            .link = QColor(0x16, 0x63, 0x30),
            .disabledText = QColor(0x8a, 0x8c, 0x90),
            .toolTipBase = QColor(0xff, 0xff, 0xe1),
            .toolTipText = QColor(0x1b, 0x1c, 0x1e)};
}

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.red()) + 0.7152 * channel(rgb.green()) +
           0.0722 * channel(rgb.blue());
}

// Runs `work` on the event loop's next turn, once for however many calls come
// before it; `queued` (the context's) says one is waiting.
void runOnceLater(QObject* context, bool& queued, const std::function<void()>& work)
{
    if (std::exchange(queued, true))
        return;
    QMetaObject::invokeMethod(
        context,
        [&queued, work] {
            queued = false;
            work();
        },
        Qt::QueuedConnection);
}

// Calls its function once after a run of palette changes of the widget it
// watches, when the widget and its children have the new palette.
class PaletteWatch : public QObject
{
public:
    PaletteWatch(QWidget* widget, std::function<void()> recolour)
        : QObject(widget), m_recolour(std::move(recolour))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::PaletteChange)
            runOnceLater(this, m_queued, m_recolour);
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_recolour;
    bool m_queued = false;
};

} // namespace

DisplayColours displayColours(ColourScheme scheme)
{
    DisplayColours c{.face = QColor(0, 0, 0),
                     .rim = QColor(90, 90, 90),
                     .text = Lit,
                     .fill = QColor(0, 255, 0, 55),
                     .unknownText = QColor(0, 175, 0),
                     .partLine = QColor(0, 170, 0),
                     .unlit = QColor(85, 85, 85),
                     .unlitLabel = QColor(150, 150, 150),
                     .bevelLight = QColor(150, 150, 150),
                     .bevelDark = QColor(60, 60, 60),
                     .bezel = QColor(24, 24, 24),
                     .pointer = QColor(245, 245, 245),
                     .switchOn = QColor(0, 200, 0),
                     .switchThumbOn = QColor(235, 255, 235),
                     .switchThumbOff = QColor(140, 140, 140)};
    // On a dark window a screen needs a lighter rim to stand out at all.
    if (scheme == ColourScheme::Dark)
        c.rim = QColor(128, 131, 136);
    return c;
}

QPalette interfacePalette(ColourScheme scheme)
{
    const Roles r = rolesFor(scheme);
    QPalette p(r.buttonText, r.button, r.light, r.dark, r.mid, r.text, r.light, r.base, r.window);
    p.setColor(QPalette::WindowText, r.windowText);
    p.setColor(QPalette::Midlight, r.midlight);
    p.setColor(QPalette::Shadow, r.shadow);
    p.setColor(QPalette::AlternateBase, r.alternateBase);
    p.setColor(QPalette::Highlight, Accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::PlaceholderText, r.placeholder);
    p.setColor(QPalette::Link, r.link);
    p.setColor(QPalette::LinkVisited, r.link);
    p.setColor(QPalette::ToolTipBase, r.toolTipBase);
    p.setColor(QPalette::ToolTipText, r.toolTipText);
    // BrightText is what a style draws on a dark mid-tone, in either scheme.
    p.setColor(QPalette::BrightText, Qt::white);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, r.disabledText);
    p.setColor(QPalette::Disabled, QPalette::Base, r.window);
    p.setColor(QPalette::Disabled, QPalette::Highlight, r.mid);
    return p;
}

QColor accentColour()
{
    return Accent;
}

ColourScheme schemeOf(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() <
                   palette.color(QPalette::WindowText).lightness()
               ? ColourScheme::Dark
               : ColourScheme::Light;
}

ColourScheme preferredScheme()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    switch (QGuiApplication::styleHints()->colorScheme()) {
    case Qt::ColorScheme::Dark:
        return ColourScheme::Dark;
    case Qt::ColorScheme::Light:
        return ColourScheme::Light;
    case Qt::ColorScheme::Unknown:
        break;
    }
#endif
    if (!QCoreApplication::testAttribute(Qt::AA_SetPalette))
        return schemeOf(QGuiApplication::palette());
    // The application's palette is the program's own: this Qt shows the
    // platform's only while none is set, so it is let go for the reading.
    // Done when the desktop's theme changed, never while the musician works.
    const QPalette ours = QGuiApplication::palette();
    QGuiApplication::setPalette(QPalette());
    const ColourScheme desktop = schemeOf(QGuiApplication::palette());
    QGuiApplication::setPalette(ours);
    return desktop;
}

void applyColourScheme(ColourScheme scheme)
{
    QGuiApplication::setPalette(interfacePalette(scheme));
}

ColourScheme currentScheme()
{
    return schemeOf(QGuiApplication::palette());
}

ColourSchemeFollower::ColourSchemeFollower(QObject* parent) : QObject(parent)
{
    // A theme's change reaches every window as an event of its own; the
    // application sees them all.
    QCoreApplication::instance()->installEventFilter(this);
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    connect(QGuiApplication::styleHints(), &QStyleHints::colorSchemeChanged, this,
            &ColourSchemeFollower::desktopChanged);
#endif
}

ColourSchemeFollower::~ColourSchemeFollower()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool ColourSchemeFollower::eventFilter(QObject* watched, QEvent* event)
{
    // Once the notices of every window are through, so the platform's
    // palette is the new one and the desktop is read once.
    if (event->type() == QEvent::ThemeChange)
        runOnceLater(this, m_asked, [this] { desktopChanged(); });
    return QObject::eventFilter(watched, event);
}

void ColourSchemeFollower::desktopChanged()
{
    follow(preferredScheme());
}

void ColourSchemeFollower::follow(ColourScheme scheme)
{
    if (QCoreApplication::testAttribute(Qt::AA_SetPalette) && scheme == currentScheme())
        return;
    applyColourScheme(scheme);
}

void whenPaletteChanges(QWidget* widget, std::function<void()> recolour)
{
    new PaletteWatch(widget, std::move(recolour));
}

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace dorvane
