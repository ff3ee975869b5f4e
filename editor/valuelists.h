// SPDX-License-Identifier: GPL-3.0-or-later
// The value labels of the main window's value controls. A control's position is the
// raw value it sends, so every list has exactly one entry per raw value, in value
// order, and no two entries alike (also without regard to case).
#pragma once

#include <QStringList>

#include <span>
#include <string_view>

namespace dorvane {

enum class ValueList
{
    // Every number from first to last.
    Numbers0To9,
    Numbers0To10,
    Numbers0To12,
    Numbers0To31,
    Numbers0To48,
    Numbers0To63,
    Numbers0To98,
    Numbers0To120,
    Numbers0To127,
    Numbers1To4,
    Numbers1To7,
    Numbers1To10,
    Numbers1To16,
    NumbersMinus3To3,
    NumbersMinus12To12,
    NumbersMinus48To48,
    NumbersMinus50To50,
    NumbersMinus63To63,
    NumbersMinus64To63,
    Numbers0DownToMinus48, // bender range down: raw 0..48 reads 0..-48
    Tempo20To250,

    // The instrument's own scales.
    NoteNames,           // "C-1 " … "G9 ", with the note player's trailing blank
    AutoNoteNames,       // "C-1" … "G9"
    KeyNames,            // "C" … "B"
    KeyfollowScale,      // "-100" … "+200", 16 steps
    SensitivityScale,    // "-100" … "+100", 15 steps
    VelocitySensitivity, // "-100" … "150", 126 steps of 2
    RandomPitchDepth,    // "0" … "1200", 30 steps
    ControlDestinations, // "OFF" … "L2R"
    EfxTypes,            // "4 band EQ" … "gate reverb"
    HfDamp,              // "200" … "bypass"
    ControlSources,      // "off" … "playmate"
    VoiceReserve1,       // "P1: 0" … "P1: 64"
    VoiceReserve2,
    VoiceReserve3,
    VoiceReserve4,
    VoiceReserve5,
    VoiceReserve6,
    VoiceReserve7,
    VoiceReserveR, // "R: 0" … "R: 64"

    // Short lists, spelled out.
    NoSusSustain,
    OffOn,      // "off", "on"
    OffOnUpper, // "OFF", "ON"
    OnContinuousKeyOn,
    DrumOutputAssign,
    FxmSwitch,
    ToneDelayModes,
    WaveGain,
    FilterTypes,
    BiasDirections,
    LfoWaveforms,
    LfoKeyTrigger,
    LfoLevelOffset,
    LfoFadeModes,
    LfoExternalSync,
    PolyMono,
    RateTime,
    PitchNote,
    HoldPeak,
    StretchTune,
    VoicePriority,
    BoosterLevels,
    ClockSource,
    DelayTypes,
    ReverbTypes,
    DelayOutputs,
    PartOutputAssign,
    PlayModes,       // the note player's modes, in the order of their values
    KeyboardOctaves, // the note the keyboard's lowest key plays: "C-1" … "C9"

    // Filled by the window at run time (the MIDI device names); empty here.
    Devices,
};

constexpr int ValueListCount = int(ValueList::Devices) + 1;

// The labels of a list, built once and shared.
const QStringList& valueList(ValueList list);

// The entry of `items` a musician meant by `typed`, or -1: the entry as shown,
// in any case and with blanks around it, or another spelling of it (the
// instrument's panel words such as "LPF" or "TRI", a number without its plus
// sign, a flat for a sharp in a note name, the value without its "FXM: "
// prefix). The entry as shown wins over any other spelling.
int findValue(const QStringList& items, const QString& typed);

// Every other spelling findValue takes for `entry`, for tests and the manual.
QStringList otherSpellings(const QString& entry);

// A group of waves in the instrument's wave list: the category drop-down jumps to
// its first wave. Names are shown as they stand, leading blank included.
struct WaveCategory
{
    std::string_view name;
    int firstWave;
};

// The 43 categories in wave order; the last group (" Kick") starts at 478.
std::span<const WaveCategory> waveCategories();

// The instrument's waves: group 1 holds indices 0..254, group 2 numbers 1..255 hold
// 255..509, and the four bits of each number byte cannot reach further.
constexpr int WaveCount = 510;

// The category holding a wave index (the last one for any index past it, the first
// for a negative one).
int waveCategoryOf(int wave);

} // namespace dorvane
