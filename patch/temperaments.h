// SPDX-License-Identifier: GPL-3.0-or-later
// The 75 historical temperaments of the scale-tune list, in list order, each
// computed from its published definition, and the scales.txt made from them.
#pragma once

#include "patch/scaletune.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dorvane {

constexpr int TemperamentCount = 75;

struct Temperament
{
    std::string_view name;
    // Cents above C of C, C#, D .. B; nothing for a temperament whose
    // definition is not known to us.
    std::optional<std::array<double, 12>> cents;
    // For temperaments defined by tempering all twelve fifths: how far the
    // twelve stated fifths miss closing the circle (cents); 0 for the others.
    double circleError = 0.0;
};

std::span<const Temperament> temperaments();

// " 12      Equal Temperament": the number and the name as the list shows them.
std::string temperamentListEntry(int index);

// The tune values of a temperament: each degree's deviation from equal
// temperament, rounded to the cent, added to 64 and kept within 0..127.
ScaleValues scaleTuneValues(const std::array<double, 12>& cents);

// The line of scales.txt for a temperament: "40 40 .. 40", or "?? ?? .. ??"
// when its tuning is not known.
std::string scaleFileLine(const Temperament& temperament);

// The whole scales.txt, one line per temperament in list order.
std::string scalesFileText();

} // namespace dorvane
