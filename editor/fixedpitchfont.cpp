// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/fixedpitchfont.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace dorvane {

bool hasFixedAdvance(const QFont& font)
{
    const QFontMetrics metrics(font);
    // Narrow, wide, digit and blank: a proportional face differs somewhere here.
    const int width = metrics.horizontalAdvance(QLatin1Char('i'));
    for (const QChar c : QStringLiteral("WM0 .:_"))
        if (metrics.horizontalAdvance(c) != width)
            return false;
    return width > 0;
}

QFont fixedPitchFont(const QFont& base, const QStringList& preferred)
{
    const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    QStringList families = preferred;
    families << system.family() << "DejaVu Sans Mono"
             << "Liberation Mono"
             << "Noto Sans Mono"
             << "Nimbus Mono PS"
             << "Courier New"
             << "Menlo"
             << "Consolas"
             << "monospace";
    for (const QString& family : families) {
        // A family the desktop lacks sends the font matcher through every
        // face it has for a stand-in, which then rarely lines up anyway.
        if (!QFontDatabase::hasFamily(family))
            continue;
        QFont font = base;
        font.setFamilies({family});
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
        if (hasFixedAdvance(font))
            return font;
    }
    QFont font = system;
    if (base.pointSizeF() > 0)
        font.setPointSizeF(base.pointSizeF());
    else if (base.pixelSize() > 0)
        font.setPixelSize(base.pixelSize());
    return font;
}

} // namespace dorvane
