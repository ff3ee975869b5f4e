// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/bindingtable.h"

#include <algorithm>
#include <array>

namespace dorvane {

namespace {

using enum Handler;
using V = ValueList;

// Texts are the system's own; captions of the panels are what a musician reads.
constexpr std::array<SheetInfo, 3> Sheets = {{
    {Sheet::Tone, "wavesheet", "Tone"},
    {Sheet::Common, "commonsheet", "Common/Mod/Part/Scale"},
    {Sheet::Setup, "setupsheet", "MIDI && Setup"},
}};

constexpr std::array<PanelInfo, 16> Panels = {{
    {"wavepanel", Sheet::Tone, "", "Wave"},
    {"fxmbox", Sheet::Tone, "wavepanel", "FXM"},
    {"mutegroupbox", Sheet::Tone, "wavepanel", "Drum Note"},
    {"pitchpanel", Sheet::Tone, "", "Pitch"},
    {"filterpanel", Sheet::Tone, "", "Filter"},
    {"amppanel", Sheet::Tone, "", "Amp"},
    {"lfo1box", Sheet::Tone, "", "LFO 1"},
    {"lfo2box", Sheet::Tone, "", "LFO 2"},
    {"commonpanel", Sheet::Common, "", "Common"},
    {"Panel8", Sheet::Common, "", "Scale and System"},
    {"modpanel", Sheet::Common, "", "Modulation"},
    {"partpanel", Sheet::Common, "", "Effects"},
    {"GroupBox5", Sheet::Common, "partpanel", "Part"},
    {"midibox", Sheet::Setup, "", "MIDI Ports"},
    {"playbox", Sheet::Setup, "", "Keyboard Play"},
    {"shakebox", Sheet::Setup, "", "Shake"},
}};

// Columns: control, panel, handler, CtrlNo, Tag, values, PositionDefault,
// Tag1 (controller number), Tag3 (shaken by default), Tag4, Tag5, label, hint.
// Labels are the catalogue's parameter names; "Sensitivity" is cut to "Sens" where
// the full name would not fit beside a control. The drum-note box is shown on
// part R only, so its labels name the drum-note parameter at Tag.
// clang-format off
constexpr std::array<Binding, 205> Bindings = {{
    // mutegroupbox: the drum-note box of part R
    {"DragTweak104",   "mutegroupbox", Tone,   7,   6, V::Numbers0To12,          1,  0, 0,   0, 0, "Bender Range", ""},
    {"DragTweak105",   "mutegroupbox", Tone,   7,   7, V::Numbers0To31,          1,  0, 0,   0, 0, "Mute Group", ""},
    {"DragTweak106",   "mutegroupbox", Tone,   7,   8, V::NoSusSustain,          1,  0, 0,   0, 0, "Envelope Mode", ""},
    {"DragTweak107",   "mutegroupbox", Tone,   7,   9, V::OffOn,                 1,  0, 0,   0, 0, "Volume Ctrl Switch", ""},
    {"DragTweak108",   "mutegroupbox", Tone,   7,  10, V::OffOn,                 1,  0, 0,   0, 0, "Hold-1 Ctrl switch", ""},
    {"DragTweak109",   "mutegroupbox", Tone,   7,  11, V::OnContinuousKeyOn,     1,  0, 0,   0, 0, "Pan Ctrl Switch", ""},
    {"DragTweak134",   "mutegroupbox", Tone, 127,  56, V::Numbers0To127,         0,  0, 0,   0, 0, "Delay Send Level", ""},
    {"DragTweak135",   "mutegroupbox", Tone, 128,  57, V::Numbers0To127,         0,  0, 0,   0, 0, "Reverb Send Level", ""},
    {"drumout",        "mutegroupbox", Tone, 128,  54, V::DrumOutputAssign,      0,  0, 0,   0, 0, "Output Assign", ""},

    // fxmbox
    {"fxmswitch",      "fxmbox",       Tone,   6,   0, V::FxmSwitch,             1,  0, 1,   0, 0, "FMX Switch", ""},
    {"fxmcolor",       "fxmbox",       Tone,   7,   0, V::Numbers1To4,           1,  0, 1,   0, 0, "FMX Color", ""},
    {"FXMdepth",       "fxmbox",       Tone,   8,   0, V::Numbers1To16,          1,  0, 1,   0, 0, "FMX Depth", ""},
    {"tonedelaymode",  "fxmbox",       Tone,   9,   0, V::ToneDelayModes,        1,  0, 0,   0, 0, "Tone Delay Mode", ""},
    {"Tonedelaytime",  "fxmbox",       Tone,  10,   0, V::Numbers0To127,         1,  0, 0,   0, 0, "Tone Delay Time", ""},
    {"DragTweak179",   "fxmbox",       Tone,  11,   0, V::Numbers0To127,         1,  0, 0,   0, 0, "Vel X-Fade Depth", ""},
    {"DragTweak181",   "fxmbox",       Tone,  12,   0, V::Numbers0To127,        64,  0, 0,   0, 0, "Vel Range Lower", ""},
    {"DragTweak180",   "fxmbox",       Tone,  13,   0, V::Numbers0To127,        64,  0, 0,   0, 0, "Vel Range Upper", ""},
    {"DragTweak182",   "fxmbox",       Tone,  15,   0, V::NoteNames,             1,  0, 0,   0, 0, "Key Range Upper", ""},
    {"DragTweak183",   "fxmbox",       Tone,  14,   0, V::NoteNames,             1,  0, 0,   0, 0, "Key Range Lower", ""},

    // wavepanel
    {"toneswitch",     "wavepanel",    Tone,   0,   0, V::OffOnUpper,            0,  0, 0,   0, 0, "Tone Switch", ""},
    {"WaveGain",       "wavepanel",    Tone,   5,   5, V::WaveGain,              1,  0, 0,   0, 0, "Wave Gain", ""},

    // pitchpanel
    {"coarse",         "pitchpanel",   Tone,  61,  12, V::NumbersMinus48To48,   48, 21, 0,   0, 0, "Coarse Tune", ""},
    {"fine",           "pitchpanel",   Tone,  62,  13, V::NumbersMinus50To50,   50, 77, 0,   0, 0, "Fine Tune", ""},
    {"pitchrandom",    "pitchpanel",   Tone,  63,  14, V::RandomPitchDepth,      0,  0, 0,   0, 0, "Random Pitch Depth", ""},
    {"pitchkeyfollow", "pitchpanel",   Tone,  64,  15, V::KeyfollowScale,       12,  0, 0,   0, 0, "Pitch Keyfollow", ""},
    {"pitchenv",       "pitchpanel",   Tone,  65,  15, V::NumbersMinus12To12,   12, 25, 1,   0, 0, "P-Env Depth", ""},
    {"penvvel",        "pitchpanel",   Tone,  66,  16, V::VelocitySensitivity,  50,  0, 0,   0, 0, "P-Env Vel Sensitivity", ""},
    {"penvvelT1",      "pitchpanel",   Tone,  67,   0, V::SensitivityScale,      7,  0, 0,   0, 0, "P-Env Vel Time 1 Sens", ""},
    {"penvvelt4",      "pitchpanel",   Tone,  68,   0, V::SensitivityScale,      7,  0, 0,   0, 0, "P-Env Vel Time 4 Sens", ""},
    {"pKBT",           "pitchpanel",   Tone,  69,  17, V::SensitivityScale,      7,  0, 0,   0, 0, "P-Env Time Keyfollow", ""},
    {"pitcha",         "pitchpanel",   Tone,  70,  18, V::Numbers0To127,         0, 26, 1,   0, 0, "P-Env Time 1", ""},
    {"pT2",            "pitchpanel",   Tone,  71,  19, V::Numbers0To127,         0,  0, 1,   0, 0, "P-Env Time 2", ""},
    {"pitchd",         "pitchpanel",   Tone,  72,  20, V::Numbers0To127,         0, 27, 1,   0, 0, "P-Env Time 3", ""},
    {"pT4",            "pitchpanel",   Tone,  73,  21, V::Numbers0To127,         0, 40, 1,   0, 0, "P-Env Time 4", ""},
    {"pL1",            "pitchpanel",   Tone,  74,  22, V::NumbersMinus63To63,  126,  0, 1,   0, 0, "P-Env Level 1", ""},
    {"pL2",            "pitchpanel",   Tone,  75,  23, V::NumbersMinus63To63,  126,  0, 1,   0, 0, "P-Env Level 2", ""},
    {"pitchs",         "pitchpanel",   Tone,  76,  24, V::NumbersMinus63To63,   63, 39, 1,   0, 0, "P-Env Level 3", ""},
    {"pL4",            "pitchpanel",   Tone,  77,  25, V::NumbersMinus63To63,   63,  0, 1,   0, 0, "P-Env Level 4", ""},
    {"DragTweak40",    "pitchpanel",   Tone,  79,   0, V::NumbersMinus63To63,   63,  0, 0,   0, 0, "Pitch LFO2 Depth", ""},
    {"DragTweak41",    "pitchpanel",   Tone,  78,   0, V::NumbersMinus63To63,   63,  0, 0,   0, 0, "Pitch LFO1 Depth", ""},

    // filterpanel
    {"cutoff",         "filterpanel",  Tone,  81,  27, V::Numbers0To127,       127, 74, 1,   0, 0, "Cutoff Frequency", ""},
    {"q",              "filterpanel",  Tone,  83,  28, V::Numbers0To127,         0, 71, 1,   0, 0, "Resonance", ""},
    {"Fkbt",           "filterpanel",  Tone,  82,   0, V::KeyfollowScale,        5,  0, 1,   0, 0, "Cutoff Keyfollow", ""},
    {"filterenv",      "filterpanel",  Tone,  85,  30, V::NumbersMinus63To63,   63, 81, 1,   0, 0, "F-Env Depth", ""},
    {"fvel",           "filterpanel",  Tone,  87,  31, V::VelocitySensitivity,  50,  0, 1,   0, 0, "F-Env Vel Sensitivity", ""},
    {"fenvvelt1",      "filterpanel",  Tone,  88,   0, V::SensitivityScale,      7,  0, 0,   0, 0, "F-Env Vel Time 1 Sens", ""},
    {"fenvvelt4",      "filterpanel",  Tone,  89,   0, V::SensitivityScale,      7,  0, 0,   0, 0, "F-Env Vel Time 4 Sens", ""},
    {"fa",             "filterpanel",  Tone,  91,  33, V::Numbers0To127,         0, 82, 1,   0, 0, "F-Env Time 1", ""},
    {"fT2",            "filterpanel",  Tone,  92,  34, V::Numbers0To127,         0,  0, 1,   0, 0, "F-Env Time 2", ""},
    {"ft3",            "filterpanel",  Tone,  93,  35, V::Numbers0To127,         0, 83, 1,   0, 0, "F-Env Time 3", ""},
    {"ft4",            "filterpanel",  Tone,  94,  36, V::Numbers0To127,         0, 29, 1,   0, 0, "F-Env Time 4", ""},
    {"fl1",            "filterpanel",  Tone,  95,  37, V::Numbers0To127,       127,  0, 1,   0, 0, "F-Env Level 1", ""},
    {"fl2",            "filterpanel",  Tone,  96,  38, V::Numbers0To127,       127,  0, 1,   0, 0, "F-Env Level 2", ""},
    {"fl3",            "filterpanel",  Tone,  97,  39, V::Numbers0To127,       127, 28, 1,   0, 0, "F-Env Level 3", ""},
    {"fl4",            "filterpanel",  Tone,  98,  40, V::Numbers0To127,         0,  0, 1,   0, 0, "F-Env Level 4", ""},
    {"filtertype",     "filterpanel",  Tone,  80,  26, V::FilterTypes,           1, 34, 1,   0, 0, "Filter Type", ""},
    {"fenvkbt",        "filterpanel",  Tone,  90,  32, V::SensitivityScale,      7,  0, 0,   0, 0, "F-Env Time Keyfollow", ""},
    {"qvel",           "filterpanel",  Tone,  84,  29, V::VelocitySensitivity,  50,  0, 1,   0, 0, "Resonance Vel Sens", ""},
    {"fvelcurve",      "filterpanel",  Tone,  86,   0, V::Numbers1To7,           0,  0, 1,   0, 0, "F-Env Vel Curve", ""},

    // amppanel
    {"tonelevel",      "amppanel",     Tone, 101,  41, V::Numbers0To127,       127, 36, 1,   0, 0, "Tone Level", ""},
    {"bias",           "amppanel",     Tone, 102,   0, V::BiasDirections,        3,  0, 0,   0, 0, "Bias Direction", ""},
    {"avel",           "amppanel",     Tone, 106,  42, V::VelocitySensitivity,  50,  0, 0,   0, 0, "A-Env Vel Sensitivity", ""},
    {"aenvvelt1",      "amppanel",     Tone, 107,   0, V::SensitivityScale,      7,  0, 1,   0, 0, "A-Env Vel Time 1 Sens", ""},
    {"aenvvelt4",      "amppanel",     Tone, 108,   0, V::SensitivityScale,      7,  0, 1,   0, 0, "A-Env Vel Time 4 Sens", ""},
    {"at1",            "amppanel",     Tone, 110,  44, V::Numbers0To127,         0, 73, 1,   0, 0, "A-Env Time 1", ""},
    {"at2",            "amppanel",     Tone, 111,  45, V::Numbers0To127,         0,  0, 1,   0, 0, "A-Env Time 2", ""},
    {"at3",            "amppanel",     Tone, 112,  46, V::Numbers0To127,         0, 75, 1,   0, 0, "A-Env Time 3", ""},
    {"at4",            "amppanel",     Tone, 113,  47, V::Numbers0To127,         0, 72, 1,   0, 0, "A-Env Time 4", ""},
    {"al1",            "amppanel",     Tone, 114,  48, V::Numbers0To127,       127,  0, 1,   0, 0, "A-Env Level 1", ""},
    {"al2",            "amppanel",     Tone, 115,  49, V::Numbers0To127,       127,  0, 1,   0, 0, "A-Env Level 2", ""},
    {"al3",            "amppanel",     Tone, 116,  50, V::Numbers0To127,       127, 31, 1,   0, 0, "A-Env Level 3", ""},
    {"akbt",           "amppanel",     Tone, 109,  43, V::SensitivityScale,      7,  0, 0,   0, 0, "A-Env Time Keyfollow", ""},
    {"avelcurve",      "amppanel",     Tone, 105,   0, V::Numbers1To7,           0,  0, 1,   0, 0, "A-Env Vel Curve", ""},
    {"biaspos",        "amppanel",     Tone, 103,   0, V::NoteNames,            60,  0, 0,   0, 0, "Bias Point", ""},
    {"biaslevel",      "amppanel",     Tone, 104,   0, V::SensitivityScale,      7,  0, 0,   0, 0, "Bias Level", ""},
    {"tonepan",        "amppanel",     Tone, 119,  51, V::NumbersMinus64To63,   64, 35, 0,   0, 0, "Tone Pan", ""},
    {"pankbt",         "amppanel",     Tone, 120,   0, V::SensitivityScale,      7,  0, 1,   0, 0, "Pan Keyfollow", ""},
    {"rndpan",         "amppanel",     Tone, 121,  52, V::Numbers0To63,          0, 37, 1,   0, 0, "Random Pan Depth", ""},
    {"panalt",         "amppanel",     Tone, 122,  53, V::NumbersMinus64To63,   64,  0, 1,   0, 0, "Alternate Pan Depth", ""},

    // lfo1box
    {"LFO1",           "lfo1box",      Tone,  45,   0, V::LfoWaveforms,          0, 15, 1,   0, 0, "LFO1 Waveform", ""},
    {"LFO1sync",       "lfo1box",      Tone,  46,   0, V::LfoKeyTrigger,         0,  0, 1,   0, 0, "LFO1 Key Trigger", ""},
    {"LFo1rate",       "lfo1box",      Tone,  47,   0, V::Numbers0To127,         0, 16, 1,   0, 0, "LFO1 Rate", ""},
    {"lfo1offset",     "lfo1box",      Tone,  48,   0, V::LfoLevelOffset,        2,  0, 1,   0, 0, "LFO1 Level Offset", ""},
    {"lfo1delay",      "lfo1box",      Tone,  49,   0, V::Numbers0To127,         0,  0, 1,   0, 0, "LFO1 Delay Time", ""},
    {"lfo1fademode",   "lfo1box",      Tone,  50,   0, V::LfoFadeModes,          0,  0, 1,   0, 0, "LFO1 Fade Mode", ""},
    {"lfo1fade",       "lfo1box",      Tone,  51,   0, V::Numbers0To127,         0,  0, 1,   0, 0, "LFO1 Fade Time", ""},
    {"lfo1extsync",    "lfo1box",      Tone,  52,   0, V::LfoExternalSync,       0,  0, 1,   0, 0, "LFO1 External Sync", ""},
    {"alfo1",          "lfo1box",      Tone, 117,   0, V::NumbersMinus63To63,   63, 80, 1,   0, 0, "Amplitude LFO1 Depth", ""},
    {"panlfo1",        "lfo1box",      Tone, 123,   0, V::NumbersMinus63To63,   63,  0, 1,   0, 0, "Pan LFO1 Depth", ""},
    {"flfo1",          "lfo1box",      Tone,  99,   0, V::NumbersMinus63To63,   63, 19, 1,   0, 0, "Filter LFO1 Depth", ""},
    {"plfo1",          "lfo1box",      Tone,  78,   0, V::NumbersMinus63To63,   63, 18, 1,   0, 0, "Pitch LFO1 Depth", ""},

    // lfo2box
    {"lfo2",           "lfo2box",      Tone,  53,   0, V::LfoWaveforms,          0,  0, 1,   0, 0, "LFO2 Waveform", ""},
    {"lfo2sync",       "lfo2box",      Tone,  54,   0, V::LfoKeyTrigger,         0,  0, 1,   0, 0, "LFO2 Key Trigger", ""},
    {"lfo2rate",       "lfo2box",      Tone,  55,   0, V::Numbers0To127,         0,  0, 1,   0, 0, "LFO2 Rate", ""},
    {"lfo2offset",     "lfo2box",      Tone,  56,   0, V::LfoLevelOffset,        2,  0, 1,   0, 0, "LFO2 Level Offset", ""},
    {"lfo2delay",      "lfo2box",      Tone,  57,   0, V::Numbers0To127,         0,  0, 1,   0, 0, "LFO2 Delay Time", ""},
    {"lfo2fademode",   "lfo2box",      Tone,  58,   0, V::LfoFadeModes,          0,  0, 1,   0, 0, "LFO2 Fade Mode", ""},
    {"lfo2fade",       "lfo2box",      Tone,  59,   0, V::Numbers0To127,         0,  0, 1,   0, 0, "LFO2 Fade Time", ""},
    {"lfo2ext",        "lfo2box",      Tone,  60,   0, V::LfoExternalSync,       0,  0, 1,   0, 0, "LFO2 External Sync", ""},
    {"alfo2",          "lfo2box",      Tone, 118,   0, V::NumbersMinus63To63,   63,  0, 1,   0, 0, "Amplitude LFO2 Depth", ""},
    {"panlfo2",        "lfo2box",      Tone, 124,   0, V::NumbersMinus63To63,   63,  0, 1,   0, 0, "Pan LFO2 Depth", ""},
    {"flfo2",          "lfo2box",      Tone, 100,   0, V::NumbersMinus63To63,   63,  0, 1,   0, 0, "Filter LFO2 Depth", ""},
    {"plfo2",          "lfo2box",      Tone,  79,   0, V::NumbersMinus63To63,   63,  0, 1,   0, 0, "Pitch LFO2 Depth", ""},

    // commonpanel
    {"analog",         "commonpanel",  Common, 48,  0, V::Numbers0To127,        32,  0, 0,   0, 0, "Analog Feel Depth", ""},
    {"DragTweak72",    "commonpanel",  Common, 49,  0, V::Numbers0To12,          2,  0, 0,   0, 0, "Bender Range Up", ""},
    {"DragTweak73",    "commonpanel",  Common, 50,  0, V::Numbers0DownToMinus48, 1,  0, 0,   0, 0, "Bender Range Down", ""},
    {"solo",           "commonpanel",  Common, 51,  0, V::PolyMono,              0,  0, 0,   0, 0, "Key Assign Mode", ""},
    {"sololegato",     "commonpanel",  Common, 52,  0, V::OffOn,                 0,  0, 0,   0, 0, "Solo Legato", ""},
    {"porta",          "commonpanel",  Common, 53,  0, V::OffOn,                 0,  0, 0,   0, 0, "Portamento Switch", ""},
    {"portal",         "commonpanel",  Common, 54,  0, V::OffOn,                 0,  0, 0,   0, 0, "Portamento Mode", ""},
    {"DragTweak78",    "commonpanel",  Common, 55,  0, V::RateTime,              0,  0, 0,   0, 0, "Portamento Type", ""},
    {"DragTweak79",    "commonpanel",  Common, 56,  0, V::PitchNote,             0,  0, 0,   0, 0, "Portamento Start", ""},
    {"portatime",      "commonpanel",  Common, 57,  0, V::Numbers0To127,        10,  5, 0,   0, 0, "Portamento Time", ""},
    {"DragTweak83",    "commonpanel",  Common, 60,  0, V::HoldPeak,              0,  0, 0,   0, 0, "EFX Ctrl Hold/Peak", ""},
    {"DragTweak84",    "commonpanel",  Common, 61,  0, V::HoldPeak,              0,  0, 0,   0, 0, "Ctrl 1 Hold/Peak", ""},
    {"DragTweak85",    "commonpanel",  Common, 62,  0, V::HoldPeak,              0,  0, 0,   0, 0, "Ctrl 2 Hold/Peak", ""},
    {"DragTweak86",    "commonpanel",  Common, 63,  0, V::HoldPeak,              0,  0, 0,   0, 0, "Ctrl 3 Hold/Peak", ""},
    {"DragTweak87",    "commonpanel",  Common, 64,  0, V::OffOn,                 0,  0, 0,   0, 0, "Vel Range Switch", ""},
    {"DragTweak88",    "commonpanel",  Common, 65,  0, V::NumbersMinus3To3,      3,  0, 0,   0, 0, "Octave Shift", ""},
    {"DragTweak89",    "commonpanel",  Common, 66,  0, V::StretchTune,           0,  0, 0,   0, 0, "Stretch Tune Depth", ""},
    {"DragTweak90",    "commonpanel",  Common, 67,  0, V::VoicePriority,         0,  0, 0,   0, 0, "Voice Priority", ""},
    {"DragTweak91",    "commonpanel",  Common, 68,  0, V::Numbers1To10,          0,  0, 0,   0, 0, "Structure type 1&2", ""},
    {"DragTweak92",    "commonpanel",  Common, 69,  0, V::BoosterLevels,         0,  0, 0,   0, 0, "Booster Level 1&2", ""},
    {"DragTweak93",    "commonpanel",  Common, 70,  0, V::Numbers1To10,          0,  0, 0,   0, 0, "Structure type 3&4", ""},
    {"DragTweak94",    "commonpanel",  Common, 71,  0, V::BoosterLevels,         0,  0, 0,   0, 0, "Booster Level 3&4", ""},
    {"ctrl2",          "commonpanel",  Common, 58,  0, V::ControlSources,        0,  0, 0,   0, 0, "Patch Ctrl Source 2", ""},
    {"ctrl3",          "commonpanel",  Common, 59,  0, V::ControlSources,        0,  0, 0,   0, 0, "Patch Ctrl Source 3", ""},

    // Panel8: the scale panel, with the instrument-wide clock, scale switch and tempo.
    // The song key only feeds the scale tune: as a tone control it would write 0..11
    // into every selected tone's FMX Switch (offset 6), so it edits nothing here.
    {"key",            "Panel8",       Setup,   6,  0, V::KeyNames,              1,  0, 0,   0, 0, "Song Key", "Your song key"},
    {"DragTweak176",   "Panel8",       System, 12,  0, V::ClockSource,           1,  0, 0,   0, 0, "Clock Source", ""},
    {"DragTweak177",   "Panel8",       System,  7,  0, V::OffOn,                 1,  0, 0,   0, 0, "Scale Tune Switch", ""},
    {"DragTweak178",   "Panel8",       Tempo,  96,  0, V::Tempo20To250,        100,  0, 0,   0, 0, "System Tempo", ""},

    // modpanel: destinations carry Tag 1; depths carry Tag4 333 and their control in Tag5
    {"DragTweak110",   "modpanel",     Tone,  21,   1, V::ControlDestinations,   0,  0, 1,   0, 0, "Ctrl 1 Dest 1", ""},
    {"DragTweak111",   "modpanel",     Tone,  22,   0, V::NumbersMinus63To63,   63,  0, 1, 333, 1, "Ctrl 1 Depth 1", ""},
    {"DragTweak112",   "modpanel",     Tone,  23,   1, V::ControlDestinations,   0,  0, 1,   0, 0, "Ctrl 1 Dest 2", ""},
    {"DragTweak113",   "modpanel",     Tone,  24,   0, V::NumbersMinus63To63,   63,  0, 1, 333, 1, "Ctrl 1 Depth 2", ""},
    {"DragTweak114",   "modpanel",     Tone,  29,   1, V::ControlDestinations,   0,  0, 1,   0, 0, "Ctrl 2 Dest 1", ""},
    {"DragTweak115",   "modpanel",     Tone,  30,   0, V::NumbersMinus63To63,   63,  0, 1, 333, 2, "Ctrl 2 Depth 1", ""},
    {"DragTweak116",   "modpanel",     Tone,  31,   1, V::ControlDestinations,   0,  0, 1,   0, 0, "Ctrl 2 Dest 2", ""},
    {"DragTweak117",   "modpanel",     Tone,  32,   0, V::NumbersMinus63To63,   63,  0, 1, 333, 2, "Ctrl 2 Depth 2", ""},
    {"DragTweak118",   "modpanel",     Tone,  37,   1, V::ControlDestinations,   0,  0, 1,   0, 0, "Ctrl 3 Dest 1", ""},
    {"DragTweak119",   "modpanel",     Tone,  38,   0, V::NumbersMinus63To63,   63,  0, 1, 333, 3, "Ctrl 3 Depth 1", ""},
    {"DragTweak120",   "modpanel",     Tone,  39,   1, V::ControlDestinations,   0,  0, 1,   0, 0, "Ctrl 3 Dest 2", ""},
    {"DragTweak121",   "modpanel",     Tone,  40,   0, V::NumbersMinus63To63,   63,  0, 1, 333, 3, "Ctrl 3 Depth 2", ""},
    {"DragTweak122",   "modpanel",     Tone,  41,   1, V::ControlDestinations,   0,  0, 0,   0, 0, "Ctrl 3 Dest 3", ""},
    {"DragTweak123",   "modpanel",     Tone,  42,   0, V::NumbersMinus63To63,   63,  0, 0, 333, 3, "Ctrl 3 Depth 3", ""},
    {"DragTweak124",   "modpanel",     Tone,  43,   1, V::ControlDestinations,   0,  0, 0,   0, 0, "Ctrl 3 Dest 4", ""},
    {"DragTweak125",   "modpanel",     Tone,  44,   0, V::NumbersMinus63To63,   63,  0, 0, 333, 3, "Ctrl 3 Depth 4", ""},
    {"DragTweak126",   "modpanel",     Tone,  33,   1, V::ControlDestinations,   0,  0, 0,   0, 0, "Ctrl 2 Dest 3", ""},
    {"DragTweak127",   "modpanel",     Tone,  34,   0, V::NumbersMinus63To63,   63,  0, 0, 333, 2, "Ctrl 2 Depth 3", ""},
    {"DragTweak128",   "modpanel",     Tone,  35,   1, V::ControlDestinations,   0,  0, 0,   0, 0, "Ctrl 2 Dest 4", ""},
    {"DragTweak129",   "modpanel",     Tone,  36,   0, V::NumbersMinus63To63,   63,  0, 0, 333, 2, "Ctrl 2 Depth 4", ""},
    {"DragTweak130",   "modpanel",     Tone,  28,   0, V::NumbersMinus63To63,   63,  0, 0, 333, 1, "Ctrl 1 Depth 4", ""},
    {"DragTweak131",   "modpanel",     Tone,  27,   1, V::ControlDestinations,   0,  0, 0,   0, 0, "Ctrl 1 Dest 4", ""},
    {"DragTweak132",   "modpanel",     Tone,  26,   0, V::NumbersMinus63To63,   63,  0, 0, 333, 1, "Ctrl 1 Depth 3", ""},
    {"DragTweak133",   "modpanel",     Tone,  25,   1, V::ControlDestinations,   0,  0, 0,   0, 0, "Ctrl 1 Dest 3", ""},

    // partpanel: EFX (Tag5 1), delay (2) and reverb (3), then the voice reserve per part
    {"DragTweak136",   "partpanel",    Effects, 14, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Parameter 1", ""},
    {"DragTweak137",   "partpanel",    Effects, 15, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Parameter 2", ""},
    {"DragTweak138",   "partpanel",    Effects, 16, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Parameter 3", ""},
    {"DragTweak139",   "partpanel",    Effects, 17, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Parameter 4", ""},
    {"DragTweak140",   "partpanel",    Effects, 22, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Parameter 9", ""},
    {"DragTweak141",   "partpanel",    Effects, 21, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Parameter 8", ""},
    {"DragTweak142",   "partpanel",    Effects, 20, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Parameter 7", ""},
    {"DragTweak143",   "partpanel",    Effects, 19, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Parameter 6", ""},
    {"DragTweak144",   "partpanel",    Effects, 18, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Parameter 5", ""},
    {"DragTweak145",   "partpanel",    Effects, 23, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Parameter 10", ""},
    {"DragTweak146",   "partpanel",    Effects, 13, 0, V::EfxTypes,             63,  0, 0, 333, 1, "EFX Type", ""},
    {"DragTweak147",   "partpanel",    Effects, 28, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Delay Send Level", ""},
    {"DragTweak148",   "partpanel",    Effects, 29, 0, V::Numbers0To127,        63,  0, 0, 333, 1, "EFX Reverb Send Level", ""},
    {"DragTweak149",   "partpanel",    Effects, 34, 0, V::Numbers0To127,        63,  0, 0, 333, 2, "Delay Level", ""},
    {"DragTweak150",   "partpanel",    Effects, 35, 0, V::DelayTypes,           63,  0, 0, 333, 2, "Delay Type", ""},
    {"DragTweak151",   "partpanel",    Effects, 36, 0, V::HfDamp,               17,  0, 0, 333, 2, "Delay HF Damp", ""},
    {"DragTweak152",   "partpanel",    Effects, 37, 0, V::Numbers0To120,        63,  0, 0, 333, 2, "Delay Time", ""},
    {"DragTweak153",   "partpanel",    Effects, 43, 0, V::HfDamp,               17,  0, 0, 333, 3, "Reverb HF Damp", ""},
    {"DragTweak154",   "partpanel",    Effects, 42, 0, V::Numbers0To127,        63,  0, 0, 333, 3, "Reverb Time", ""},
    {"DragTweak155",   "partpanel",    Effects, 41, 0, V::Numbers0To127,        63,  0, 0, 333, 3, "Reverb Level", ""},
    {"DragTweak156",   "partpanel",    Effects, 40, 0, V::ReverbTypes,          63,  0, 0, 333, 3, "Reverb Type", ""},
    {"DragTweak157",   "partpanel",    Effects, 38, 0, V::Numbers0To98,         63,  0, 0, 333, 2, "Delay Feedback", ""},
    {"DragTweak158",   "partpanel",    Effects, 39, 0, V::DelayOutputs,         63,  0, 0, 333, 2, "Delay Output Assign", ""},
    {"DragTweak159",   "partpanel",    Effects, 48, 0, V::VoiceReserve1,         4,  0, 0,   0, 0, "Voice Reserve 1", ""},
    {"DragTweak160",   "partpanel",    Effects, 49, 0, V::VoiceReserve2,         4,  0, 0,   0, 0, "Voice Reserve 2", ""},
    {"DragTweak161",   "partpanel",    Effects, 50, 0, V::VoiceReserve3,         4,  0, 0,   0, 0, "Voice Reserve 3", ""},
    {"DragTweak162",   "partpanel",    Effects, 51, 0, V::VoiceReserve4,         4,  0, 0,   0, 0, "Voice Reserve 4", ""},
    {"DragTweak163",   "partpanel",    Effects, 52, 0, V::VoiceReserve5,         4,  0, 0,   0, 0, "Voice Reserve 5", ""},
    {"DragTweak164",   "partpanel",    Effects, 53, 0, V::VoiceReserve6,         4,  0, 0,   0, 0, "Voice Reserve 6", ""},
    {"DragTweak165",   "partpanel",    Effects, 54, 0, V::VoiceReserve7,         4,  0, 0,   0, 0, "Voice Reserve 7", ""},
    {"DragTweak166",   "partpanel",    Effects, 57, 0, V::VoiceReserveR,         4,  0, 0,   0, 0, "Voice Reserve R", ""},

    // GroupBox5: the PART box inside partpanel
    {"DragTweak167",   "GroupBox5",    Part,   0,   0, V::OffOnUpper,            0,  0, 0,   0, 0, "Receive Switch", ""},
    {"DragTweak168",   "GroupBox5",    Part,   6,  41, V::Numbers0To127,       127,  0, 0,   0, 0, "Part Level", ""},
    {"DragTweak169",   "GroupBox5",    Part,   9,  13, V::NumbersMinus50To50,   50,  0, 0,   0, 0, "Part Fine Tune", ""},
    {"DragTweak170",   "GroupBox5",    Part,   8,  12, V::NumbersMinus48To48,   48,  0, 0,   0, 0, "Part Coarse Tune", ""},
    {"DragTweak171",   "GroupBox5",    Part,   7,  51, V::NumbersMinus64To63,   64,  0, 0,   0, 0, "Part Pan", ""},
    {"DragTweak172",   "GroupBox5",    Part,  10,  13, V::PartOutputAssign,     50,  0, 0,   0, 0, "Part Output Assign", ""},
    {"DragTweak173",   "GroupBox5",    Part,  13,  41, V::Numbers0To127,         0,  0, 0,   0, 0, "Part Reverb Send", ""},
    {"DragTweak174",   "GroupBox5",    Part,  12,  41, V::Numbers0To127,         0,  0, 0,   0, 0, "Part Delay Send", ""},
    {"DragTweak175",   "GroupBox5",    Part,  11,  41, V::Numbers0To127,       127,  0, 0,   0, 0, "Part Output Level", ""},

    // The setup sheet: ports, keyboard playing and the shake amounts
    {"midiout",        "midibox",      Device,  0,  0, V::Devices,               0,  0, 0,   0, 0, "MIDI Out", "select MIDI output port here"},
    {"midiin",         "midibox",      Device,  0,  0, V::Devices,               0,  0, 0,   0, 0, "MIDI In", "select MIDI input port here"},
    {"autonote",       "playbox",      Setup,   0,  0, V::AutoNoteNames,        48,  0, 0,   0, 0, "Auto Trigger Note", "the note for Auto trigger to play"},
    {"playmode",       "playbox",      Player,  0,  0, V::PlayModes,             0,  0, 0,   0, 0, "Play Mode", ""},
    {"velocity",       "playbox",      Player,  0,  0, V::Numbers0To127,        96,  0, 0,   0, 0, "Velocity", ""},
    {"velrnd",         "playbox",      Player,  0,  0, V::Numbers0To127,         6,  0, 0,   0, 0, "Velocity Spread", ""},
    {"octave",         "playbox",      Player,  0,  0, V::KeyboardOctaves,       3,  0, 0,   0, 0, "Octave", ""},
    {"lshakeamt",      "shakebox",     Setup,   0,  0, V::Numbers0To48,         12,  0, 0,   0, 0, "Linear Shake amount", "linear shake amount"},
    {"shakeamt",       "shakebox",     Setup,   0,  0, V::Numbers0To9,           2,  0, 0,   0, 0, "Patch Shake amount", "Amount of non-linear Patch Shake"},
    {"wshakeamt",      "shakebox",     Setup,   0,  0, V::Numbers0To9,           2,  0, 0,   0, 0, "Wave Shake amount", "Amount of non-linear Wave Shake"},
}};
// clang-format on

} // namespace

std::span<const Binding> bindingTable()
{
    return Bindings;
}

const Binding* findBinding(std::string_view name)
{
    const auto it = std::find_if(Bindings.begin(), Bindings.end(),
                                 [name](const Binding& b) { return b.name == name; });
    return it == Bindings.end() ? nullptr : &*it;
}

std::vector<const Binding*> bindingsOfPanel(std::string_view panel)
{
    std::vector<const Binding*> rows;
    for (const Binding& b : Bindings) {
        if (b.panel == panel)
            rows.push_back(&b);
    }
    return rows;
}

std::span<const PanelInfo> panelTable()
{
    return Panels;
}

const PanelInfo* findPanel(std::string_view name)
{
    const auto it = std::find_if(Panels.begin(), Panels.end(),
                                 [name](const PanelInfo& p) { return p.name == name; });
    return it == Panels.end() ? nullptr : &*it;
}

std::span<const SheetInfo> sheetTable()
{
    return Sheets;
}

const SheetInfo& sheetInfo(Sheet sheet)
{
    for (const SheetInfo& s : Sheets) {
        if (s.sheet == sheet)
            return s;
    }
    return Sheets.front();
}

Sheet sheetOf(const Binding& binding)
{
    const PanelInfo* panel = findPanel(binding.panel);
    return panel ? panel->sheet : Sheet::Tone;
}

bool editsDrumNote(const Binding& binding)
{
    static constexpr std::string_view DrumPanels[] = {"wavepanel", "mutegroupbox", "pitchpanel",
                                                      "filterpanel", "amppanel"};
    // Tag 0 is no drum-note parameter, except on the Tone Switch, which stays
    // on the wave panel on part R and switches the drum note there.
    const bool tagged = binding.tag != 0 || binding.name == "toneswitch";
    if (binding.handler != Handler::Tone || !tagged ||
        std::find(std::begin(DrumPanels), std::end(DrumPanels), binding.panel) ==
            std::end(DrumPanels))
        return false;
    // Pitch Keyfollow carries P-Env Depth's Tag as well; P-Env Depth's own
    // control already edits it on the same -12..+12 scale.
    return binding.name != "pitchkeyfollow";
}

ValueList drumNoteValues(const Binding& binding)
{
    return binding.name == "coarse" ? ValueList::NoteNames : binding.values;
}

} // namespace dorvane
