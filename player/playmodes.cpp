// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/playmodes.h"

#include "patch/notename.h"

#include <array>

namespace dorvane {
namespace {

struct PlayModeRow
{
    TPlayMode mode;
    std::array<int, 5> intervals;
    int count;
    // Two-note modes name the root and then the interval; nullptr names every note.
    const char* intervalName;
};

constexpr std::array<PlayModeRow, PlayModeCount> PlayModes = {{
    {pmNote, {0}, 1, nullptr},
    {pmMajor, {0, 4, 7, 12}, 4, nullptr},
    {pmMinor, {0, 3, 7, 12}, 4, nullptr},
    {pmMajor7th, {0, 4, 7, 11}, 4, nullptr},
    {pmMinor7th, {0, 3, 7, 11}, 4, nullptr},
    {pmMinor7th5, {0, 3, 6, 11}, 4, nullptr},
    {pmDiminished, {0, 3, 6, 10}, 4, nullptr},
    {pmDominant7th, {0, 4, 7, 10}, 4, nullptr},
    {pmMajor9th, {0, 4, 7, 11, 14}, 5, nullptr},
    {pmMinor9th, {0, 3, 7, 10, 14}, 5, nullptr},
    {pm2nd, {0, 2}, 2, "2nd"},
    {pm3rd, {0, 4}, 2, "3rd"},
    {pm4th, {0, 5}, 2, "4th"},
    {pm5th, {0, 7}, 2, "5th"},
    {pm6th, {0, 9}, 2, "6th"},
    {pm7th, {0, 11}, 2, "7th"},
    {pm8th, {0, 12}, 2, nullptr}, // the octave names both notes
}};

const PlayModeRow& rowOf(TPlayMode mode)
{
    const int index = int(mode);
    return PlayModes[index >= 0 && index < PlayModeCount ? index : 0];
}

} // namespace

std::span<const int> playModeIntervals(TPlayMode mode)
{
    const PlayModeRow& row = rowOf(mode);
    return std::span<const int>(row.intervals.data(), std::size_t(row.count));
}

QString playedNoteText(TPlayMode mode, std::span<const int> notes, int velocity)
{
    const PlayModeRow& row = rowOf(mode);
    bool all = !notes.empty();
    QString names;
    for (int note : notes) {
        if (isMidiNote(note))
            names += QString::fromStdString(noteName(note));
        else
            all = false;
    }
    if (row.mode == pmNote)
        return all ? names + QStringLiteral(" (v%1)").arg(velocity) : QString();
    // An interval is named only when both of its notes sounded; otherwise the
    // notes that did are named, like a chord's.
    if (row.intervalName && all)
        return QString::fromStdString(noteName(notes.front())) + QLatin1String(row.intervalName);
    return names;
}

} // namespace dorvane
