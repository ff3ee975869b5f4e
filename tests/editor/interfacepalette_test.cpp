// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/interfacepalette.h"

#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace dorvane;

namespace {

// What a musician reads must stand out from what it is drawn on: 4.5:1 for
// text, 3:1 for a mark that carries a value (WCAG's thresholds).
constexpr double TextContrast = 4.5;
constexpr double MarkContrast = 3.0;

struct Pair
{
    const char* what;
    QColor foreground;
    QColor background;
    double least;
};

std::vector<Pair> readPairs(ColourScheme scheme)
{
    const QPalette p = interfacePalette(scheme);
    const DisplayColours d = displayColours(scheme);
    auto c = [&p](QPalette::ColorRole role) { return p.color(QPalette::Active, role); };
    return {
        {"window text", c(QPalette::WindowText), c(QPalette::Window), TextContrast},
        {"text", c(QPalette::Text), c(QPalette::Base), TextContrast},
        {"button text", c(QPalette::ButtonText), c(QPalette::Button), TextContrast},
        {"highlighted text", c(QPalette::HighlightedText), c(QPalette::Highlight), TextContrast},
        {"tool tip", c(QPalette::ToolTipText), c(QPalette::ToolTipBase), TextContrast},
        // A part's state ("changed here", "not known") is told in these.
        {"link on window", c(QPalette::Link), c(QPalette::Window), TextContrast},
        {"placeholder on window", c(QPalette::PlaceholderText), c(QPalette::Window), TextContrast},
        {"placeholder on base", c(QPalette::PlaceholderText), c(QPalette::Base), TextContrast},
        {"value", d.text, d.face, TextContrast},
        {"value not known", d.unknownText, d.face, TextContrast},
        {"knob window's part line", d.partLine, d.face, TextContrast},
        {"screen label not chosen", d.unlitLabel, d.face, TextContrast},
        {"knob arc", d.text, d.bezel, MarkContrast},
        {"knob pointer", d.pointer, QColor(35, 35, 35), MarkContrast},
        {"switch on against off", d.switchOn, d.bezel, MarkContrast},
        {"screen rim on window", d.rim, c(QPalette::Window), MarkContrast},
        {"section frame on window", c(QPalette::Mid), c(QPalette::Window), 1.5},
    };
}

} // namespace

TEST(InterfacePalette, EveryColourReadsInBothSchemes)
{
    for (ColourScheme scheme : {ColourScheme::Light, ColourScheme::Dark}) {
        const char* name = scheme == ColourScheme::Light ? "light" : "dark";
        for (const Pair& pair : readPairs(scheme))
            EXPECT_GE(contrastRatio(pair.foreground, pair.background), pair.least)
                << name << ": " << pair.what << " " << pair.foreground.name().toStdString()
                << " on " << pair.background.name().toStdString();
    }
}

TEST(InterfacePalette, SchemesAreWhatTheyClaimAndFollowTheApplication)
{
    EXPECT_EQ(schemeOf(interfacePalette(ColourScheme::Light)), ColourScheme::Light);
    EXPECT_EQ(schemeOf(interfacePalette(ColourScheme::Dark)), ColourScheme::Dark);
    const QPalette before = QGuiApplication::palette();
    for (ColourScheme scheme : {ColourScheme::Dark, ColourScheme::Light}) {
        applyColourScheme(scheme);
        EXPECT_EQ(currentScheme(), scheme);
    }
    QGuiApplication::setPalette(before);
    // The ratio itself, against WCAG's own corner values.
    EXPECT_NEAR(contrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(QColor(0x76, 0x76, 0x76), Qt::white), 4.54, 0.01);
}

// The icon is drawn in the interface's colours, so a change of those is seen
// here before it is seen beside the program in a dock.
TEST(InterfacePalette, IconUsesOnlyTheInterfacesColours)
{
    QSet<QString> ours;
    for (ColourScheme scheme : {ColourScheme::Light, ColourScheme::Dark}) {
        const QPalette p = interfacePalette(scheme);
        for (int role = 0; role < QPalette::NColorRoles; ++role)
            ours.insert(p.color(QPalette::Active, QPalette::ColorRole(role)).name());
        const DisplayColours d = displayColours(scheme);
        for (const QColor& c : {d.face, d.rim, d.text, d.unknownText, d.partLine, d.unlit,
                                d.unlitLabel, d.bezel, d.pointer, d.switchOn})
            ours.insert(c.name());
    }
    ours.insert(accentColour().name());

    QFile svg(QStringLiteral(DORVANE_SOURCE_DIR "/data/desktop/dorvane.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(svg.readAll());
    static const QRegularExpression colour("#[0-9a-fA-F]{6}\\b");
    int seen = 0;
    for (auto it = colour.globalMatch(text); it.hasNext(); ++seen) {
        const QString c = it.next().captured().toLower();
        EXPECT_TRUE(ours.contains(c)) << c.toStdString() << " is not one of the interface's";
    }
    EXPECT_GE(seen, 4);
}
