// SPDX-License-Identifier: GPL-3.0-or-later
#include "quickedit/knobtable.h"

#include <array>

namespace dorvane {

namespace {

using S = KnobSection;
using P = KnobStrip;

constexpr std::array<KnobSectionInfo, 8> Sections{{
    {S::Wave, "wavesection", "WAVE"},
    {S::Pitch, "pitchsection", "PITCH"},
    {S::Filter, "filtersection", "FILTER"},
    {S::Amp, "ampsection", "AMP"},
    {S::Pan, "pansection", "PAN"},
    {S::Lfo1, "lfo1section", "LFO 1"},
    {S::Lfo2, "lfo2section", "LFO 2"},
    {S::Common, "commonsection", "Common"},
}};

// The pitch, filter and amp sections share one plan, as on the instrument's
// panel: the envelope's times in the second row with their velocity and
// keyfollow controls, its levels in the third under the times, so each
// envelope reads left to right as it runs.
// clang-format off
constexpr KnobRow Knobs[] = {
    // control          section    strip          r  c  span label
    {"toneswitch",      S::Wave,   P::Switch,     0, 0, 1, "Tone On"},
    {"WaveGain",        S::Wave,   P::Knob,       0, 1, 1, "Gain"},
    {"tonedelaymode",   S::Wave,   P::Knob,       0, 2, 1, "Delay Mode"},
    {"Tonedelaytime",   S::Wave,   P::Knob,       0, 3, 1, "Delay Time"},

    {"coarse",          S::Pitch,  P::Knob,       0, 0, 1, "Coarse"},
    {"fine",            S::Pitch,  P::Knob,       0, 1, 1, "Fine"},
    {"pitchrandom",     S::Pitch,  P::Knob,       0, 2, 1, "Random"},
    {"pitchkeyfollow",  S::Pitch,  P::Knob,       0, 3, 1, "Keyfollow"},
    {"pitcha",          S::Pitch,  P::Knob,       1, 0, 1, "T1"},
    {"pT2",             S::Pitch,  P::Knob,       1, 1, 1, "T2"},
    {"pitchd",          S::Pitch,  P::Knob,       1, 2, 1, "T3"},
    {"pT4",             S::Pitch,  P::Knob,       1, 3, 1, "T4"},
    {"penvvelT1",       S::Pitch,  P::Knob,       1, 4, 1, "Velo T1"},
    {"penvvelt4",       S::Pitch,  P::Knob,       1, 5, 1, "Velo T4"},
    {"pKBT",            S::Pitch,  P::Knob,       1, 6, 1, "Time KF"},
    {"pL1",             S::Pitch,  P::Knob,       2, 0, 1, "L1"},
    {"pL2",             S::Pitch,  P::Knob,       2, 1, 1, "L2"},
    {"pitchs",          S::Pitch,  P::Knob,       2, 2, 1, "L3"},
    {"pL4",             S::Pitch,  P::Knob,       2, 3, 1, "L4"},
    {"pitchenv",        S::Pitch,  P::Knob,       2, 4, 1, "Env Depth"},
    {"penvvel",         S::Pitch,  P::Knob,       2, 5, 1, "Env Velo"},

    {"filtertype",      S::Filter, P::FilterType, 0, 0, 3, "Type"},
    {"cutoff",          S::Filter, P::Knob,       0, 3, 1, "Cutoff"},
    {"q",               S::Filter, P::Knob,       0, 4, 1, "Reso"},
    {"Fkbt",            S::Filter, P::Knob,       0, 5, 1, "Keyfollow"},
    {"qvel",            S::Filter, P::Knob,       0, 6, 1, "Reso Velo"},
    {"fa",              S::Filter, P::Knob,       1, 0, 1, "T1"},
    {"fT2",             S::Filter, P::Knob,       1, 1, 1, "T2"},
    {"ft3",             S::Filter, P::Knob,       1, 2, 1, "T3"},
    {"ft4",             S::Filter, P::Knob,       1, 3, 1, "T4"},
    {"fenvvelt1",       S::Filter, P::Knob,       1, 4, 1, "Velo T1"},
    {"fenvvelt4",       S::Filter, P::Knob,       1, 5, 1, "Velo T4"},
    {"fenvkbt",         S::Filter, P::Knob,       1, 6, 1, "Time KF"},
    {"fl1",             S::Filter, P::Knob,       2, 0, 1, "L1"},
    {"fl2",             S::Filter, P::Knob,       2, 1, 1, "L2"},
    {"fl3",             S::Filter, P::Knob,       2, 2, 1, "L3"},
    {"fl4",             S::Filter, P::Knob,       2, 3, 1, "L4"},
    {"filterenv",       S::Filter, P::Knob,       2, 4, 1, "Env Depth"},
    {"fvel",            S::Filter, P::Knob,       2, 5, 1, "Env Velo"},
    {"fvelcurve",       S::Filter, P::Knob,       2, 6, 1, "Velo Curve"},

    {"tonelevel",       S::Amp,    P::Knob,       0, 0, 1, "Level"},
    {"biaspos",         S::Amp,    P::Knob,       0, 4, 1, "Bias Point"},
    {"biaslevel",       S::Amp,    P::Knob,       0, 5, 1, "Bias Level"},
    {"bias",            S::Amp,    P::Knob,       0, 6, 1, "Bias Dir"},
    {"at1",             S::Amp,    P::Knob,       1, 0, 1, "T1"},
    {"at2",             S::Amp,    P::Knob,       1, 1, 1, "T2"},
    {"at3",             S::Amp,    P::Knob,       1, 2, 1, "T3"},
    {"at4",             S::Amp,    P::Knob,       1, 3, 1, "T4"},
    {"aenvvelt1",       S::Amp,    P::Knob,       1, 4, 1, "Velo T1"},
    {"aenvvelt4",       S::Amp,    P::Knob,       1, 5, 1, "Velo T4"},
    {"akbt",            S::Amp,    P::Knob,       1, 6, 1, "Time KF"},
    {"al1",             S::Amp,    P::Knob,       2, 0, 1, "L1"},
    {"al2",             S::Amp,    P::Knob,       2, 1, 1, "L2"},
    {"al3",             S::Amp,    P::Knob,       2, 2, 1, "L3"},
    {"avel",            S::Amp,    P::Knob,       2, 5, 1, "Env Velo"},
    {"avelcurve",       S::Amp,    P::Knob,       2, 6, 1, "Velo Curve"},

    {"tonepan",         S::Pan,    P::Knob,       0, 0, 1, "Pan"},
    {"pankbt",          S::Pan,    P::Knob,       0, 1, 1, "Keyfollow"},
    {"rndpan",          S::Pan,    P::Knob,       1, 0, 1, "Random"},
    {"panalt",          S::Pan,    P::Knob,       1, 1, 1, "Alternate"},

    {"LFO1",            S::Lfo1,   P::LfoWave,    0, 0, 2, "Waveform"},
    {"LFo1rate",        S::Lfo1,   P::Knob,       0, 2, 1, "Rate"},
    {"lfo1delay",       S::Lfo1,   P::Knob,       0, 3, 1, "Delay"},
    {"lfo1fade",        S::Lfo1,   P::Knob,       0, 4, 1, "Fade"},
    {"lfo1fademode",    S::Lfo1,   P::Knob,       0, 5, 1, "Fade Mode"},
    {"lfo1offset",      S::Lfo1,   P::Knob,       0, 6, 1, "Offset"},
    {"LFO1sync",        S::Lfo1,   P::Switch,     1, 0, 1, "Key Trig"},
    {"lfo1extsync",     S::Lfo1,   P::Switch,     1, 1, 1, "Ext Sync"},
    {"plfo1",           S::Lfo1,   P::Knob,       1, 3, 1, "To Pitch"},
    {"flfo1",           S::Lfo1,   P::Knob,       1, 4, 1, "To Filter"},
    {"alfo1",           S::Lfo1,   P::Knob,       1, 5, 1, "To Amp"},
    {"panlfo1",         S::Lfo1,   P::Knob,       1, 6, 1, "To Pan"},

    {"lfo2",            S::Lfo2,   P::LfoWave,    0, 0, 2, "Waveform"},
    {"lfo2rate",        S::Lfo2,   P::Knob,       0, 2, 1, "Rate"},
    {"lfo2delay",       S::Lfo2,   P::Knob,       0, 3, 1, "Delay"},
    {"lfo2fade",        S::Lfo2,   P::Knob,       0, 4, 1, "Fade"},
    {"lfo2fademode",    S::Lfo2,   P::Knob,       0, 5, 1, "Fade Mode"},
    {"lfo2offset",      S::Lfo2,   P::Knob,       0, 6, 1, "Offset"},
    {"lfo2sync",        S::Lfo2,   P::Switch,     1, 0, 1, "Key Trig"},
    {"lfo2ext",         S::Lfo2,   P::Switch,     1, 1, 1, "Ext Sync"},
    {"plfo2",           S::Lfo2,   P::Knob,       1, 3, 1, "To Pitch"},
    {"flfo2",           S::Lfo2,   P::Knob,       1, 4, 1, "To Filter"},
    {"alfo2",           S::Lfo2,   P::Knob,       1, 5, 1, "To Amp"},
    {"panlfo2",         S::Lfo2,   P::Knob,       1, 6, 1, "To Pan"},

    {"solo",            S::Common, P::Switch,     0, 0, 1, "Mono"},
    {"sololegato",      S::Common, P::Switch,     0, 1, 1, "Legato"},
    {"analog",          S::Common, P::Knob,       0, 2, 1, "Analog Feel"},
    {"porta",           S::Common, P::Switch,     1, 0, 1, "Porta"},
    {"portal",          S::Common, P::Switch,     1, 1, 1, "Porta Mode"},
    {"portatime",       S::Common, P::Knob,       1, 2, 1, "Porta Time"},
};
// clang-format on

} // namespace

std::span<const KnobRow> knobTable()
{
    return Knobs;
}

std::span<const KnobSectionInfo> knobSections()
{
    return Sections;
}

const KnobSectionInfo& knobSection(KnobSection section)
{
    return Sections[std::size_t(section)];
}

} // namespace dorvane
