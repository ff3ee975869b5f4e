// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/catalogue.h"

#include <array>

namespace dorvane {

namespace {
// The spellings are the instrument's own ("Reberb Switch", "EFX OutPut Level", the
// trailing blank of "P-Env Vel Time "): musicians meet these words in its manual.
constexpr std::array<std::string_view, 129> ToneNames = {
    "Tone Switch",                  // 0
    "Wave Group",                   // 1
    "Wave Group ID",                // 2
    "Wave Number 1",                // 3
    "Wave Number 2",                // 4
    "Wave Gain",                    // 5
    "FMX Switch",                   // 6
    "FMX Color",                    // 7
    "FMX Depth",                    // 8
    "Tone Delay Mode",              // 9
    "Tone Delay Time",              // 10
    "Vel X-Fade Depth",             // 11
    "Vel Range Lower",              // 12
    "Vel Range Upper",              // 13
    "Key Range Lower",              // 14
    "Key Range Upper",              // 15
    "Redamper Ctrl Switch",         // 16
    "Volume Ctrl Switch",           // 17
    "Hold-1 Ctrl switch",           // 18
    "Bender Ctrl Switch",           // 19
    "Pan Ctrl Switch",              // 20
    "Ctrl 1 Dest 1",                // 21
    "Ctrl 1 Depth 1",               // 22
    "Ctrl 1 Dest 2",                // 23
    "Ctrl 1 Depth 2",               // 24
    "Ctrl 1 Dest 3",                // 25
    "Ctrl 1 Depth 3",               // 26
    "Ctrl 1 Dest 4",                // 27
    "Ctrl 1 Depth 4",               // 28
    "Ctrl 2 Dest 1",                // 29
    "Ctrl 2 Depth 1",               // 30
    "Ctrl 2 Dest 2",                // 31
    "Ctrl 2 Depth 2",               // 32
    "Ctrl 2 Dest 3",                // 33
    "Ctrl 2 Depth 3",               // 34
    "Ctrl 2 Dest 4",                // 35
    "Ctrl 2 Depth 4",               // 36
    "Ctrl 3 Dest 1",                // 37
    "Ctrl 3 Depth 1",               // 38
    "Ctrl 3 Dest 2",                // 39
    "Ctrl 3 Depth 2",               // 40
    "Ctrl 3 Dest 3",                // 41
    "Ctrl 3 Depth 3",               // 42
    "Ctrl 3 Dest 4",                // 43
    "Ctrl 3 Depth 4",               // 44
    "LFO1 Waveform",                // 45
    "LFO1 Key Trigger",             // 46
    "LFO1 Rate",                    // 47
    "LFO1 Level Offset",            // 48
    "LFO1 Delay Time",              // 49
    "LFO1 Fade Mode",               // 50
    "LFO1 Fade Time",               // 51
    "LFO1 External Sync",           // 52
    "LFO2 Waveform",                // 53
    "LFO2 Key Trigger",             // 54
    "LFO2 Rate",                    // 55
    "LFO2 Level Offset",            // 56
    "LFO2 Delay Time",              // 57
    "LFO2 Fade Mode",               // 58
    "LFO2 Fade Time",               // 59
    "LFO2 External Sync",           // 60
    "Coarse Tune",                  // 61
    "Fine Tune",                    // 62
    "Random Pitch Depth",           // 63
    "Pitch Keyfollow",              // 64
    "P-Env Depth",                  // 65
    "P-Env Vel Sensitivity",        // 66
    "P-Env Vel Time 1 Sensitivity", // 67
    "P-Env Vel Time 4 Sensitivity", // 68
    "P-Env Time Keyfollow",         // 69
    "P-Env Time 1",                 // 70
    "P-Env Time 2",                 // 71
    "P-Env Time 3",                 // 72
    "P-Env Time 4",                 // 73
    "P-Env Level 1",                // 74
    "P-Env Level 2",                // 75
    "P-Env Level 3",                // 76
    "P-Env Level 4",                // 77
    "Pitch LFO1 Depth",             // 78
    "Pitch LFO2 Depth",             // 79
    "Filter Type",                  // 80
    "Cutoff Frequency",             // 81
    "Cutoff Keyfollow",             // 82
    "Resonance",                    // 83
    "Resonance Vel Sensitivity",    // 84
    "F-Env Depth",                  // 85
    "F-Env Vel Curve",              // 86
    "F-Env Vel Sensitivity",        // 87
    "F-Env Vel Time 1 Sensitivity", // 88
    "F-Env Vel Time 4 Sensitivity", // 89
    "F-Env Time Keyfollow",         // 90
    "F-Env Time 1",                 // 91
    "F-Env Time 2",                 // 92
    "F-Env Time 3",                 // 93
    "F-Env Time 4",                 // 94
    "F-Env Level 1",                // 95
    "F-Env Level 2",                // 96
    "F-Env Level 3",                // 97
    "F-Env Level 4",                // 98
    "Filter LFO1 Depth",            // 99
    "Filter LFO2 Depth",            // 100
    "Tone Level",                   // 101
    "Bias Direction",               // 102
    "Bias Point",                   // 103
    "Bias Level",                   // 104
    "A-Env Vel Curve",              // 105
    "A-Env Vel Sensitivity",        // 106
    "A-Env Vel Time 1 Sensitivity", // 107
    "A-Env Vel Time 4 Sensitivity", // 108
    "A-Env Time Keyfollow",         // 109
    "A-Env Time 1",                 // 110
    "A-Env Time 2",                 // 111
    "A-Env Time 3",                 // 112
    "A-Env Time 4",                 // 113
    "A-Env Level 1",                // 114
    "A-Env Level 2",                // 115
    "A-Env Level 3",                // 116
    "Amplitude LFO1 Depth",         // 117
    "Amplitude LFO2 Depth",         // 118
    "Tone Pan",                     // 119
    "Pan Keyfollow",                // 120
    "Random Pan Depth",             // 121
    "Alternate Pan Depth",          // 122
    "Pan LFO1 Depth",               // 123
    "Pan LFO2 Depth",               // 124
    "Output Assign",                // 125
    "Output Level",                 // 126
    "Chorus Send Level",            // 127
    "Reverb Send Level",            // 128
};

constexpr std::array<std::string_view, 73> CommonNames = {
    "name1",                 // 0
    "name2",                 // 1
    "name3",                 // 2
    "name4",                 // 3
    "name5",                 // 4
    "name6",                 // 5
    "name7",                 // 6
    "name8",                 // 7
    "name9",                 // 8
    "name10",                // 9
    "name11",                // 10
    "name12",                // 11
    "EFX Type",              // 12
    "EFX Parameter 1",       // 13
    "EFX Parameter 2",       // 14
    "EFX Parameter 3",       // 15
    "EFX Parameter 4",       // 16
    "EFX Parameter 5",       // 17
    "EFX Parameter 6",       // 18
    "EFX Parameter 7",       // 19
    "EFX Parameter 8",       // 20
    "EFX Parameter 9",       // 21
    "EFX Parameter 10",      // 22
    "EFX Parameter 11",      // 23
    "EFX Parameter 12",      // 24
    "EFX Output Assign",     // 25
    "EFX OutPut Level",      // 26
    "EFX Chorus Send Level", // 27
    "EFX Reverb Send Level", // 28
    "EFX Ctrl Source 1",     // 29
    "EFX Ctrl Depth 1",      // 30
    "EFX Ctrl Source 2",     // 31
    "EFX Ctrl Depth 2",      // 32
    "Chorus Level",          // 33
    "Chorus Rate",           // 34
    "Chorus Depth",          // 35
    "Chorus Predelay",       // 36
    "Chorus Feedback",       // 37
    "Chorus Output Assign",  // 38
    "Reverb Type",           // 39
    "Reverb Level",          // 40
    "Reverb Time",           // 41
    "Reverb HF Damp",        // 42
    "Reverb Feedback",       // 43
    "Default Tempo 1",       // 44
    "Default Tempo 2",       // 45
    "Patch Level",           // 46
    "Patch Pan",             // 47
    "Analog Feel Depth",     // 48
    "Bender Range Up",       // 49
    "Bender Range Down",     // 50
    "Key Assign Mode",       // 51
    "Solo Legato",           // 52
    "Portamento Switch",     // 53
    "Portamento Mode",       // 54
    "Portamento Type",       // 55
    "Portamento Start",      // 56
    "Portamento Time",       // 57
    "Patch Ctrl Source 2",   // 58
    "Patch Ctrl Source 3",   // 59
    "EFX Ctrl Hold/Peak",    // 60
    "Ctrl 1 Hold/Peak",      // 61
    "Ctrl 2 Hold/Peak",      // 62
    "Ctrl 3 Hold/Peak",      // 63
    "Vel Range Switch",      // 64
    "Octave Shift",          // 65
    "Stretch Tune Depth",    // 66
    "Voice Priority",        // 67
    "Structure type 1&2",    // 68
    "Booster Level 1&2",     // 69
    "Structure type 3&4",    // 70
    "Booster Level 3&4",     // 71
    "Clock Source",          // 72
};

constexpr std::array<std::string_view, 58> RhythmNoteNames = {
    "Tone Switch",                // 0
    "Wave Group",                 // 1
    "Wave Group ID",              // 2
    "Wave Number 1",              // 3
    "Wave Number 2",              // 4
    "Wave Gain",                  // 5
    "Bender Range",               // 6
    "Mute Group",                 // 7
    "Envelope Mode",              // 8
    "Volume Ctrl Switch",         // 9
    "Hold-1 Ctrl switch",         // 10
    "Pan Ctrl Switch",            // 11
    "Source Key",                 // 12
    "Fine Tune",                  // 13
    "Random Pitch Depth",         // 14
    "P-Env Depth",                // 15
    "P-Env Vel Sensitivity",      // 16
    "P-Env Vel Time ",            // 17
    "P-Env Time 1",               // 18
    "P-Env Time 2",               // 19
    "P-Env Time 3",               // 20
    "P-Env Time 4",               // 21
    "P-Env Level 1",              // 22
    "P-Env Level 2",              // 23
    "P-Env Level 3",              // 24
    "P-Env Level 4",              // 25
    "Filter Type",                // 26
    "Cutoff Frequency",           // 27
    "Resonance",                  // 28
    "Resonance Vel Sensitivity",  // 29
    "F-Env Depth",                // 30
    "F-Env Vel Sensitivity",      // 31
    "F-Env Vel Time Sensitivity", // 32
    "F-Env Time 1",               // 33
    "F-Env Time 2",               // 34
    "F-Env Time 3",               // 35
    "F-Env Time 4",               // 36
    "F-Env Level 1",              // 37
    "F-Env Level 2",              // 38
    "F-Env Level 3",              // 39
    "F-Env Level 4",              // 40
    "Tone Level",                 // 41
    "A-Env Vel Sensitivity",      // 42
    "A-Env Vel Time Sensitivity", // 43
    "A-Env Time 1",               // 44
    "A-Env Time 2",               // 45
    "A-Env Time 3",               // 46
    "A-Env Time 4",               // 47
    "A-Env Level 1",              // 48
    "A-Env Level 2",              // 49
    "A-Env Level 3",              // 50
    "Tone Pan",                   // 51
    "Random Pan Depth",           // 52
    "Alternate Pan Depth",        // 53
    "Output Assign",              // 54
    "Output Level",               // 55
    "Delay Send Level",           // 56
    "Reverb Send Level",          // 57
};

constexpr std::array<std::string_view, 18> SystemNames = {
    "Master Tune",             // 0
    "Scale Tune Switch",       // 1
    "EFX Switch",              // 2
    "Delay Switch",            // 3
    "Reberb Switch",           // 4
    "Patch Remain",            // 5
    "Clock Source",            // 6
    "Receive Program Change",  // 7
    "Receive Bank Select",     // 8
    "Receive Control Change",  // 9
    "Receive Modulation",      // 10
    "Receive Volume",          // 11
    "Receive Hold-1",          // 12
    "Receive Pitch Bend",      // 13
    "Receive Aftertouch",      // 14
    "Transmit Program Change", // 15
    "Transmit Bank Select",    // 16
    "System Tempo",            // 17
};

} // namespace

int parameterCount(ParameterTable table)
{
    switch (table) {
    case ParameterTable::Tone:
        return int(ToneNames.size());
    case ParameterTable::PartCommon:
        return int(CommonNames.size());
    case ParameterTable::RhythmNote:
        return int(RhythmNoteNames.size());
    case ParameterTable::System:
        return int(SystemNames.size());
    }
    return 0;
}

std::optional<std::string_view> parameterName(ParameterTable table, int offset)
{
    auto pick = [offset](const auto& names) -> std::optional<std::string_view> {
        if (offset < 0 || offset >= int(names.size()))
            return std::nullopt;
        return names[std::size_t(offset)];
    };
    switch (table) {
    case ParameterTable::Tone:
        return pick(ToneNames);
    case ParameterTable::PartCommon:
        return pick(CommonNames);
    case ParameterTable::RhythmNote:
        return pick(RhythmNoteNames);
    case ParameterTable::System:
        return pick(SystemNames);
    }
    return std::nullopt;
}

} // namespace dorvane
