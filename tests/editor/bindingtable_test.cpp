// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/bindingtable.h"
#include "patch/catalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace dorvane {
namespace {

struct ExpectedRow
{
    const char* name;
    const char* panel;
    Handler handler;
    int ctrlNo;
    int tag;
    // "count:first...last", or every label separated by "|"
    const char* values;
    int positionDefault;
};

// The bindings as the instrument's editor has always had them, written the way a
// reference card lists them. The song key is the one deliberate change: it feeds
// the scale tune only and edits no tone (see the table's comment).
const ExpectedRow Expected[] = {
    {"DragTweak104", "mutegroupbox", Handler::Tone, 7, 6, "13:0...12", 1},
    {"DragTweak105", "mutegroupbox", Handler::Tone, 7, 7, "32:0...31", 1},
    {"DragTweak106", "mutegroupbox", Handler::Tone, 7, 8, "no-sus|sustain", 1},
    {"DragTweak107", "mutegroupbox", Handler::Tone, 7, 9, "off|on", 1},
    {"DragTweak108", "mutegroupbox", Handler::Tone, 7, 10, "off|on", 1},
    {"DragTweak109", "mutegroupbox", Handler::Tone, 7, 11, "on|continuous|key!on", 1},
    {"DragTweak134", "mutegroupbox", Handler::Tone, 127, 56, "128:0...127", 0},
    {"DragTweak135", "mutegroupbox", Handler::Tone, 128, 57, "128:0...127", 0},
    {"drumout", "mutegroupbox", Handler::Tone, 128, 54, "MIX|EFX|DIR1|DIR2", 0},
    {"fxmswitch", "fxmbox", Handler::Tone, 6, 0, "FXM: OFF|FXM: ON", 1},
    {"fxmcolor", "fxmbox", Handler::Tone, 7, 0, "1|2|3|4", 1},
    {"FXMdepth", "fxmbox", Handler::Tone, 8, 0, "16:1...16", 1},
    {"tonedelaymode", "fxmbox", Handler::Tone, 9, 0,
     "Normal|Hold|Key Interval|Clock Sync|Tap Sync|Key Off Normal|Key Off Decay", 1},
    {"Tonedelaytime", "fxmbox", Handler::Tone, 10, 0, "128:0...127", 1},
    {"DragTweak179", "fxmbox", Handler::Tone, 11, 0, "128:0...127", 1},
    {"DragTweak181", "fxmbox", Handler::Tone, 12, 0, "128:0...127", 64},
    {"DragTweak180", "fxmbox", Handler::Tone, 13, 0, "128:0...127", 64},
    {"DragTweak182", "fxmbox", Handler::Tone, 15, 0, "128:C-1 ...G9 ", 1},
    {"DragTweak183", "fxmbox", Handler::Tone, 14, 0, "128:C-1 ...G9 ", 1},
    {"toneswitch", "wavepanel", Handler::Tone, 0, 0, "OFF|ON", 0},
    {"WaveGain", "wavepanel", Handler::Tone, 5, 5, "-6|0|+6|+12", 1},
    {"coarse", "pitchpanel", Handler::Tone, 61, 12, "97:-48...48", 48},
    {"fine", "pitchpanel", Handler::Tone, 62, 13, "101:-50...50", 50},
    {"pitchrandom", "pitchpanel", Handler::Tone, 63, 14, "30:0...1200", 0},
    {"pitchkeyfollow", "pitchpanel", Handler::Tone, 64, 15, "16:-100...+200", 12},
    {"pitchenv", "pitchpanel", Handler::Tone, 65, 15, "25:-12...12", 12},
    {"penvvel", "pitchpanel", Handler::Tone, 66, 16, "126:-100...150", 50},
    {"penvvelT1", "pitchpanel", Handler::Tone, 67, 0, "15:-100...+100", 7},
    {"penvvelt4", "pitchpanel", Handler::Tone, 68, 0, "15:-100...+100", 7},
    {"pKBT", "pitchpanel", Handler::Tone, 69, 17, "15:-100...+100", 7},
    {"pitcha", "pitchpanel", Handler::Tone, 70, 18, "128:0...127", 0},
    {"pT2", "pitchpanel", Handler::Tone, 71, 19, "128:0...127", 0},
    {"pitchd", "pitchpanel", Handler::Tone, 72, 20, "128:0...127", 0},
    {"pT4", "pitchpanel", Handler::Tone, 73, 21, "128:0...127", 0},
    {"pL1", "pitchpanel", Handler::Tone, 74, 22, "127:-63...63", 126},
    {"pL2", "pitchpanel", Handler::Tone, 75, 23, "127:-63...63", 126},
    {"pitchs", "pitchpanel", Handler::Tone, 76, 24, "127:-63...63", 63},
    {"pL4", "pitchpanel", Handler::Tone, 77, 25, "127:-63...63", 63},
    {"DragTweak40", "pitchpanel", Handler::Tone, 79, 0, "127:-63...63", 63},
    {"DragTweak41", "pitchpanel", Handler::Tone, 78, 0, "127:-63...63", 63},
    {"cutoff", "filterpanel", Handler::Tone, 81, 27, "128:0...127", 127},
    {"q", "filterpanel", Handler::Tone, 83, 28, "128:0...127", 0},
    {"Fkbt", "filterpanel", Handler::Tone, 82, 0, "16:-100...+200", 5},
    {"filterenv", "filterpanel", Handler::Tone, 85, 30, "127:-63...63", 63},
    {"fvel", "filterpanel", Handler::Tone, 87, 31, "126:-100...150", 50},
    {"fenvvelt1", "filterpanel", Handler::Tone, 88, 0, "15:-100...+100", 7},
    {"fenvvelt4", "filterpanel", Handler::Tone, 89, 0, "15:-100...+100", 7},
    {"fa", "filterpanel", Handler::Tone, 91, 33, "128:0...127", 0},
    {"fT2", "filterpanel", Handler::Tone, 92, 34, "128:0...127", 0},
    {"ft3", "filterpanel", Handler::Tone, 93, 35, "128:0...127", 0},
    {"ft4", "filterpanel", Handler::Tone, 94, 36, "128:0...127", 0},
    {"fl1", "filterpanel", Handler::Tone, 95, 37, "128:0...127", 127},
    {"fl2", "filterpanel", Handler::Tone, 96, 38, "128:0...127", 127},
    {"fl3", "filterpanel", Handler::Tone, 97, 39, "128:0...127", 127},
    {"fl4", "filterpanel", Handler::Tone, 98, 40, "128:0...127", 0},
    {"filtertype", "filterpanel", Handler::Tone, 80, 26, "off|LP|BP|HP|PK", 1},
    {"fenvkbt", "filterpanel", Handler::Tone, 90, 32, "15:-100...+100", 7},
    {"qvel", "filterpanel", Handler::Tone, 84, 29, "126:-100...150", 50},
    {"fvelcurve", "filterpanel", Handler::Tone, 86, 0, "1|2|3|4|5|6|7", 0},
    {"tonelevel", "amppanel", Handler::Tone, 101, 41, "128:0...127", 127},
    {"bias", "amppanel", Handler::Tone, 102, 0, "lower|upper|low&up|all", 3},
    {"avel", "amppanel", Handler::Tone, 106, 42, "126:-100...150", 50},
    {"aenvvelt1", "amppanel", Handler::Tone, 107, 0, "15:-100...+100", 7},
    {"aenvvelt4", "amppanel", Handler::Tone, 108, 0, "15:-100...+100", 7},
    {"at1", "amppanel", Handler::Tone, 110, 44, "128:0...127", 0},
    {"at2", "amppanel", Handler::Tone, 111, 45, "128:0...127", 0},
    {"at3", "amppanel", Handler::Tone, 112, 46, "128:0...127", 0},
    {"at4", "amppanel", Handler::Tone, 113, 47, "128:0...127", 0},
    {"al1", "amppanel", Handler::Tone, 114, 48, "128:0...127", 127},
    {"al2", "amppanel", Handler::Tone, 115, 49, "128:0...127", 127},
    {"al3", "amppanel", Handler::Tone, 116, 50, "128:0...127", 127},
    {"akbt", "amppanel", Handler::Tone, 109, 43, "15:-100...+100", 7},
    {"avelcurve", "amppanel", Handler::Tone, 105, 0, "1|2|3|4|5|6|7", 0},
    {"biaspos", "amppanel", Handler::Tone, 103, 0, "128:C-1 ...G9 ", 60},
    {"biaslevel", "amppanel", Handler::Tone, 104, 0, "15:-100...+100", 7},
    {"tonepan", "amppanel", Handler::Tone, 119, 51, "128:-64...63", 64},
    {"pankbt", "amppanel", Handler::Tone, 120, 0, "15:-100...+100", 7},
    {"rndpan", "amppanel", Handler::Tone, 121, 52, "64:0...63", 0},
    {"panalt", "amppanel", Handler::Tone, 122, 53, "128:-64...63", 64},
    {"LFO1", "lfo1box", Handler::Tone, 45, 0, "Triangle|Sine|Saw|Square|Trapezoid|S&H|Random|Chaos",
     0},
    {"LFO1sync", "lfo1box", Handler::Tone, 46, 0, "Sync: off|Sync: on", 0},
    {"LFo1rate", "lfo1box", Handler::Tone, 47, 0, "128:0...127", 0},
    {"lfo1offset", "lfo1box", Handler::Tone, 48, 0, "-100|-50|0|+50|+100", 2},
    {"lfo1delay", "lfo1box", Handler::Tone, 49, 0, "128:0...127", 0},
    {"lfo1fademode", "lfo1box", Handler::Tone, 50, 0, "on-in|on-out|off-in|off-out", 0},
    {"lfo1fade", "lfo1box", Handler::Tone, 51, 0, "128:0...127", 0},
    {"lfo1extsync", "lfo1box", Handler::Tone, 52, 0, "internal|clock", 0},
    {"alfo1", "lfo1box", Handler::Tone, 117, 0, "127:-63...63", 63},
    {"panlfo1", "lfo1box", Handler::Tone, 123, 0, "127:-63...63", 63},
    {"flfo1", "lfo1box", Handler::Tone, 99, 0, "127:-63...63", 63},
    {"plfo1", "lfo1box", Handler::Tone, 78, 0, "127:-63...63", 63},
    {"lfo2", "lfo2box", Handler::Tone, 53, 0, "Triangle|Sine|Saw|Square|Trapezoid|S&H|Random|Chaos",
     0},
    {"lfo2sync", "lfo2box", Handler::Tone, 54, 0, "Sync: off|Sync: on", 0},
    {"lfo2rate", "lfo2box", Handler::Tone, 55, 0, "128:0...127", 0},
    {"lfo2offset", "lfo2box", Handler::Tone, 56, 0, "-100|-50|0|+50|+100", 2},
    {"lfo2delay", "lfo2box", Handler::Tone, 57, 0, "128:0...127", 0},
    {"lfo2fademode", "lfo2box", Handler::Tone, 58, 0, "on-in|on-out|off-in|off-out", 0},
    {"lfo2fade", "lfo2box", Handler::Tone, 59, 0, "128:0...127", 0},
    {"lfo2ext", "lfo2box", Handler::Tone, 60, 0, "internal|clock", 0},
    {"alfo2", "lfo2box", Handler::Tone, 118, 0, "127:-63...63", 63},
    {"panlfo2", "lfo2box", Handler::Tone, 124, 0, "127:-63...63", 63},
    {"flfo2", "lfo2box", Handler::Tone, 100, 0, "127:-63...63", 63},
    {"plfo2", "lfo2box", Handler::Tone, 79, 0, "127:-63...63", 63},
    {"analog", "commonpanel", Handler::Common, 48, 0, "128:0...127", 32},
    {"DragTweak72", "commonpanel", Handler::Common, 49, 0, "13:0...12", 2},
    {"DragTweak73", "commonpanel", Handler::Common, 50, 0, "49:0...-48", 1},
    {"solo", "commonpanel", Handler::Common, 51, 0, "poly|mono", 0},
    {"sololegato", "commonpanel", Handler::Common, 52, 0, "off|on", 0},
    {"porta", "commonpanel", Handler::Common, 53, 0, "off|on", 0},
    {"portal", "commonpanel", Handler::Common, 54, 0, "off|on", 0},
    {"DragTweak78", "commonpanel", Handler::Common, 55, 0, "Rate|Time", 0},
    {"DragTweak79", "commonpanel", Handler::Common, 56, 0, "Pitch|Note", 0},
    {"portatime", "commonpanel", Handler::Common, 57, 0, "128:0...127", 10},
    {"DragTweak83", "commonpanel", Handler::Common, 60, 0, "off|hold|peak", 0},
    {"DragTweak84", "commonpanel", Handler::Common, 61, 0, "off|hold|peak", 0},
    {"DragTweak85", "commonpanel", Handler::Common, 62, 0, "off|hold|peak", 0},
    {"DragTweak86", "commonpanel", Handler::Common, 63, 0, "off|hold|peak", 0},
    {"DragTweak87", "commonpanel", Handler::Common, 64, 0, "off|on", 0},
    {"DragTweak88", "commonpanel", Handler::Common, 65, 0, "-3|-2|-1|0|1|2|3", 3},
    {"DragTweak89", "commonpanel", Handler::Common, 66, 0, "off|1|2|3", 0},
    {"DragTweak90", "commonpanel", Handler::Common, 67, 0, "last|loudest", 0},
    {"DragTweak91", "commonpanel", Handler::Common, 68, 0, "10:1...10", 0},
    {"DragTweak92", "commonpanel", Handler::Common, 69, 0, "0|+6|+12|+18", 0},
    {"DragTweak93", "commonpanel", Handler::Common, 70, 0, "10:1...10", 0},
    {"DragTweak94", "commonpanel", Handler::Common, 71, 0, "0|+6|+12|+18", 0},
    {"ctrl2", "commonpanel", Handler::Common, 58, 0, "16:off...playmate", 0},
    {"ctrl3", "commonpanel", Handler::Common, 59, 0, "16:off...playmate", 0},
    {"key", "Panel8", Handler::Setup, 6, 0, "12:C...B", 1},
    {"DragTweak176", "Panel8", Handler::System, 12, 0, "int|MIDI", 1},
    {"DragTweak177", "Panel8", Handler::System, 7, 0, "off|on", 1},
    {"DragTweak178", "Panel8", Handler::Tempo, 96, 0, "231:20...250", 100},
    {"DragTweak110", "modpanel", Handler::Tone, 21, 1, "16:OFF...L2R", 0},
    {"DragTweak111", "modpanel", Handler::Tone, 22, 0, "127:-63...63", 63},
    {"DragTweak112", "modpanel", Handler::Tone, 23, 1, "16:OFF...L2R", 0},
    {"DragTweak113", "modpanel", Handler::Tone, 24, 0, "127:-63...63", 63},
    {"DragTweak114", "modpanel", Handler::Tone, 29, 1, "16:OFF...L2R", 0},
    {"DragTweak115", "modpanel", Handler::Tone, 30, 0, "127:-63...63", 63},
    {"DragTweak116", "modpanel", Handler::Tone, 31, 1, "16:OFF...L2R", 0},
    {"DragTweak117", "modpanel", Handler::Tone, 32, 0, "127:-63...63", 63},
    {"DragTweak118", "modpanel", Handler::Tone, 37, 1, "16:OFF...L2R", 0},
    {"DragTweak119", "modpanel", Handler::Tone, 38, 0, "127:-63...63", 63},
    {"DragTweak120", "modpanel", Handler::Tone, 39, 1, "16:OFF...L2R", 0},
    {"DragTweak121", "modpanel", Handler::Tone, 40, 0, "127:-63...63", 63},
    {"DragTweak122", "modpanel", Handler::Tone, 41, 1, "16:OFF...L2R", 0},
    {"DragTweak123", "modpanel", Handler::Tone, 42, 0, "127:-63...63", 63},
    {"DragTweak124", "modpanel", Handler::Tone, 43, 1, "16:OFF...L2R", 0},
    {"DragTweak125", "modpanel", Handler::Tone, 44, 0, "127:-63...63", 63},
    {"DragTweak126", "modpanel", Handler::Tone, 33, 1, "16:OFF...L2R", 0},
    {"DragTweak127", "modpanel", Handler::Tone, 34, 0, "127:-63...63", 63},
    {"DragTweak128", "modpanel", Handler::Tone, 35, 1, "16:OFF...L2R", 0},
    {"DragTweak129", "modpanel", Handler::Tone, 36, 0, "127:-63...63", 63},
    {"DragTweak130", "modpanel", Handler::Tone, 28, 0, "127:-63...63", 63},
    {"DragTweak131", "modpanel", Handler::Tone, 27, 1, "16:OFF...L2R", 0},
    {"DragTweak132", "modpanel", Handler::Tone, 26, 0, "127:-63...63", 63},
    {"DragTweak133", "modpanel", Handler::Tone, 25, 1, "16:OFF...L2R", 0},
    {"DragTweak136", "partpanel", Handler::Effects, 14, 0, "128:0...127", 63},
    {"DragTweak137", "partpanel", Handler::Effects, 15, 0, "128:0...127", 63},
    {"DragTweak138", "partpanel", Handler::Effects, 16, 0, "128:0...127", 63},
    {"DragTweak139", "partpanel", Handler::Effects, 17, 0, "128:0...127", 63},
    {"DragTweak140", "partpanel", Handler::Effects, 22, 0, "128:0...127", 63},
    {"DragTweak141", "partpanel", Handler::Effects, 21, 0, "128:0...127", 63},
    {"DragTweak142", "partpanel", Handler::Effects, 20, 0, "128:0...127", 63},
    {"DragTweak143", "partpanel", Handler::Effects, 19, 0, "128:0...127", 63},
    {"DragTweak144", "partpanel", Handler::Effects, 18, 0, "128:0...127", 63},
    {"DragTweak145", "partpanel", Handler::Effects, 23, 0, "128:0...127", 63},
    {"DragTweak146", "partpanel", Handler::Effects, 13, 0, "24:4 band EQ...gate reverb", 63},
    {"DragTweak147", "partpanel", Handler::Effects, 28, 0, "128:0...127", 63},
    {"DragTweak148", "partpanel", Handler::Effects, 29, 0, "128:0...127", 63},
    {"DragTweak149", "partpanel", Handler::Effects, 34, 0, "128:0...127", 63},
    {"DragTweak150", "partpanel", Handler::Effects, 35, 0, "short|long", 63},
    {"DragTweak151", "partpanel", Handler::Effects, 36, 0, "18:200...bypass", 17},
    {"DragTweak152", "partpanel", Handler::Effects, 37, 0, "121:0...120", 63},
    {"DragTweak153", "partpanel", Handler::Effects, 43, 0, "18:200...bypass", 17},
    {"DragTweak154", "partpanel", Handler::Effects, 42, 0, "128:0...127", 63},
    {"DragTweak155", "partpanel", Handler::Effects, 41, 0, "128:0...127", 63},
    {"DragTweak156", "partpanel", Handler::Effects, 40, 0, "room1|room2|stage1|stage2|hall1|hall2|",
     63},
    {"DragTweak157", "partpanel", Handler::Effects, 38, 0, "99:0...98", 63},
    {"DragTweak158", "partpanel", Handler::Effects, 39, 0, "EFX|reverb|EFX+rev", 63},
    {"DragTweak159", "partpanel", Handler::Effects, 48, 0, "65:P1: 0...P1: 64", 4},
    {"DragTweak160", "partpanel", Handler::Effects, 49, 0, "65:P2: 0...P2: 64", 4},
    {"DragTweak161", "partpanel", Handler::Effects, 50, 0, "65:P3: 0...P3: 64", 4},
    {"DragTweak162", "partpanel", Handler::Effects, 51, 0, "65:P4: 0...P4: 64", 4},
    {"DragTweak163", "partpanel", Handler::Effects, 52, 0, "65:P5: 0...P5: 64", 4},
    {"DragTweak164", "partpanel", Handler::Effects, 53, 0, "65:P6: 0...P6: 64", 4},
    {"DragTweak165", "partpanel", Handler::Effects, 54, 0, "65:P7: 0...P7: 64", 4},
    {"DragTweak166", "partpanel", Handler::Effects, 57, 0, "65:R: 0...R: 64", 4},
    {"DragTweak167", "GroupBox5", Handler::Part, 0, 0, "OFF|ON", 0},
    {"DragTweak168", "GroupBox5", Handler::Part, 6, 41, "128:0...127", 127},
    {"DragTweak169", "GroupBox5", Handler::Part, 9, 13, "101:-50...50", 50},
    {"DragTweak170", "GroupBox5", Handler::Part, 8, 12, "97:-48...48", 48},
    {"DragTweak171", "GroupBox5", Handler::Part, 7, 51, "128:-64...63", 64},
    {"DragTweak172", "GroupBox5", Handler::Part, 10, 13, "dry|EFX|dir1|dir2|RHY", 50},
    {"DragTweak173", "GroupBox5", Handler::Part, 13, 41, "128:0...127", 0},
    {"DragTweak174", "GroupBox5", Handler::Part, 12, 41, "128:0...127", 0},
    {"DragTweak175", "GroupBox5", Handler::Part, 11, 41, "128:0...127", 127},
};

void expectValues(const Binding& b, const QString& expected)
{
    const QStringList& list = valueList(b.values);
    const int colon = expected.indexOf(QLatin1Char(':'));
    const int dots = expected.indexOf(QLatin1String("..."));
    if (colon > 0 && dots > colon) {
        EXPECT_EQ(list.size(), expected.left(colon).toInt()) << b.name;
        ASSERT_FALSE(list.isEmpty()) << b.name;
        EXPECT_EQ(list.first().toStdString(),
                  expected.mid(colon + 1, dots - colon - 1).toStdString())
            << b.name;
        EXPECT_EQ(list.last().toStdString(), expected.mid(dots + 3).toStdString()) << b.name;
    } else {
        EXPECT_EQ(list.join(QLatin1Char('|')).toStdString(), expected.toStdString()) << b.name;
    }
}

TEST(BindingTable, HoldsEveryValueControlOfTheWindowOnce)
{
    const auto table = bindingTable();
    EXPECT_EQ(table.size(), 205u);
    std::set<std::string_view> names;
    for (const Binding& b : table) {
        EXPECT_TRUE(names.insert(b.name).second) << "twice: " << b.name;
        EXPECT_NE(findPanel(b.panel), nullptr) << b.name << " sits in an unknown panel";
        if (b.handler != Handler::Device) {
            EXPECT_FALSE(valueList(b.values).isEmpty()) << b.name;
        }
        EXPECT_FALSE(b.label.empty()) << b.name;
        EXPECT_LE(b.label.size(), 22u) << b.name << ": label too wide for its panel";
    }
}

TEST(BindingTable, RowsMatchTheReferenceBindings)
{
    EXPECT_EQ(std::size(Expected), 195u);
    for (const ExpectedRow& e : Expected) {
        const Binding* b = findBinding(e.name);
        ASSERT_NE(b, nullptr) << e.name;
        EXPECT_EQ(b->panel, std::string_view(e.panel)) << e.name;
        EXPECT_EQ(b->handler, e.handler) << e.name;
        EXPECT_EQ(b->ctrlNo, e.ctrlNo) << e.name;
        EXPECT_EQ(b->tag, e.tag) << e.name;
        EXPECT_EQ(b->positionDefault, e.positionDefault) << e.name;
        expectValues(*b, QString::fromUtf8(e.values));
    }
}

TEST(BindingTable, SetupSheetControlsCompleteTheCount)
{
    struct Extra
    {
        const char* name;
        Handler handler;
        const char* values;
        int positionDefault;
    };
    const Extra extras[] = {
        {"midiout", Handler::Device, "", 0},
        {"midiin", Handler::Device, "", 0},
        {"autonote", Handler::Setup, "128:C-1...G9", 48}, // "C3"
        {"playmode", Handler::Player, "17:Note...8th", 0},
        {"velocity", Handler::Player, "128:0...127", 96},
        {"velrnd", Handler::Player, "128:0...127", 6},
        {"octave", Handler::Player, "11:C-1...C9", 3}, // "C2": the lowest key
        {"lshakeamt", Handler::Setup, "49:0...48", 12},
        {"shakeamt", Handler::Setup, "10:0...9", 2},
        {"wshakeamt", Handler::Setup, "10:0...9", 2},
    };
    for (const Extra& e : extras) {
        const Binding* b = findBinding(e.name);
        ASSERT_NE(b, nullptr) << e.name;
        EXPECT_EQ(sheetOf(*b), Sheet::Setup) << e.name;
        EXPECT_EQ(b->handler, e.handler) << e.name;
        EXPECT_EQ(b->positionDefault, e.positionDefault) << e.name;
        if (e.handler == Handler::Device) {
            EXPECT_TRUE(valueList(b->values).isEmpty()) << e.name;
        } else {
            expectValues(*b, QString::fromUtf8(e.values));
        }
    }
    EXPECT_EQ(std::size(Expected) + std::size(extras), bindingTable().size());
    EXPECT_EQ(valueList(findBinding("autonote")->values).at(48), QStringLiteral("C3"));
    EXPECT_EQ(findBinding("midiout")->hint, "select MIDI output port here");
    EXPECT_EQ(findBinding("shakeamt")->hint, "Amount of non-linear Patch Shake");
}

// Which parameters each shake group shakes unless the user says otherwise, by the
// catalogue's names.
TEST(BindingTable, ShakeMembershipFollowsTheShakeGroups)
{
    const std::set<std::string> fxmOn = {"FMX Switch", "FMX Color", "FMX Depth"};
    const std::set<std::string> pitchOn = {"P-Env Depth",   "P-Env Time 1",  "P-Env Time 2",
                                           "P-Env Time 3",  "P-Env Time 4",  "P-Env Level 1",
                                           "P-Env Level 2", "P-Env Level 3", "P-Env Level 4"};
    const std::set<std::string> filterOn = {"Cutoff Frequency",
                                            "Resonance",
                                            "Cutoff Keyfollow",
                                            "F-Env Depth",
                                            "F-Env Vel Sensitivity",
                                            "F-Env Time 1",
                                            "F-Env Time 2",
                                            "F-Env Time 3",
                                            "F-Env Time 4",
                                            "F-Env Level 1",
                                            "F-Env Level 2",
                                            "F-Env Level 3",
                                            "F-Env Level 4",
                                            "Filter Type",
                                            "Resonance Vel Sensitivity",
                                            "F-Env Vel Curve"};
    const std::set<std::string> ampOn = {"Tone Level",
                                         "A-Env Vel Time 1 Sensitivity",
                                         "A-Env Vel Time 4 Sensitivity",
                                         "A-Env Time 1",
                                         "A-Env Time 2",
                                         "A-Env Time 3",
                                         "A-Env Time 4",
                                         "A-Env Level 1",
                                         "A-Env Level 2",
                                         "A-Env Level 3",
                                         "A-Env Vel Curve",
                                         "Pan Keyfollow",
                                         "Random Pan Depth",
                                         "Alternate Pan Depth"};
    std::set<std::string> modOn;
    for (int c = 1; c <= 3; ++c) {
        for (int n = 1; n <= 2; ++n) {
            modOn.insert("Ctrl " + std::to_string(c) + " Dest " + std::to_string(n));
            modOn.insert("Ctrl " + std::to_string(c) + " Depth " + std::to_string(n));
        }
    }
    struct Group
    {
        const char* panel;
        std::size_t controls;
        const std::set<std::string>* on; // nullptr: all on
        bool none = false;
    };
    const Group groups[] = {
        {"fxmbox", 10, &fxmOn},         {"pitchpanel", 19, &pitchOn},
        {"filterpanel", 19, &filterOn}, {"amppanel", 20, &ampOn},
        {"lfo1box", 12, nullptr},       {"lfo2box", 12, nullptr},
        {"modpanel", 24, &modOn},       {"commonpanel", 24, nullptr, true},
    };
    for (const Group& g : groups) {
        const auto rows = bindingsOfPanel(g.panel);
        EXPECT_EQ(rows.size(), g.controls) << g.panel;
        for (const Binding* b : rows) {
            const auto table =
                b->handler == Handler::Common ? ParameterTable::PartCommon : ParameterTable::Tone;
            const auto name = parameterName(table, b->ctrlNo);
            ASSERT_TRUE(name) << b->name;
            const bool expected = g.none ? false : !g.on || g.on->count(std::string(*name)) > 0;
            EXPECT_EQ(b->tag3, expected ? 1 : 0) << g.panel << " " << b->name << " " << *name;
        }
    }
    // Controls outside the shake groups are never marked.
    for (const char* panel : {"mutegroupbox", "wavepanel", "Panel8", "partpanel", "GroupBox5",
                              "midibox", "playbox", "shakebox"}) {
        for (const Binding* b : bindingsOfPanel(panel))
            EXPECT_EQ(b->tag3, 0) << b->name;
    }
}

// The instrument's controller numbers: the look-up lists exactly these.
TEST(BindingTable, ControllerNumbersSitOnTheirParameters)
{
    const std::map<int, std::pair<ParameterTable, std::string>> cc = {
        {21, {ParameterTable::Tone, "Coarse Tune"}},
        {77, {ParameterTable::Tone, "Fine Tune"}},
        {34, {ParameterTable::Tone, "Filter Type"}},
        {74, {ParameterTable::Tone, "Cutoff Frequency"}},
        {71, {ParameterTable::Tone, "Resonance"}},
        {36, {ParameterTable::Tone, "Tone Level"}},
        {35, {ParameterTable::Tone, "Tone Pan"}},
        {37, {ParameterTable::Tone, "Random Pan Depth"}},
        {25, {ParameterTable::Tone, "P-Env Depth"}},
        {26, {ParameterTable::Tone, "P-Env Time 1"}},
        {27, {ParameterTable::Tone, "P-Env Time 3"}},
        {39, {ParameterTable::Tone, "P-Env Level 3"}},
        {40, {ParameterTable::Tone, "P-Env Time 4"}},
        {81, {ParameterTable::Tone, "F-Env Depth"}},
        {82, {ParameterTable::Tone, "F-Env Time 1"}},
        {83, {ParameterTable::Tone, "F-Env Time 3"}},
        {28, {ParameterTable::Tone, "F-Env Level 3"}},
        {29, {ParameterTable::Tone, "F-Env Time 4"}},
        {73, {ParameterTable::Tone, "A-Env Time 1"}},
        {75, {ParameterTable::Tone, "A-Env Time 3"}},
        {31, {ParameterTable::Tone, "A-Env Level 3"}},
        {72, {ParameterTable::Tone, "A-Env Time 4"}},
        {15, {ParameterTable::Tone, "LFO1 Waveform"}},
        {16, {ParameterTable::Tone, "LFO1 Rate"}},
        {18, {ParameterTable::Tone, "Pitch LFO1 Depth"}},
        {19, {ParameterTable::Tone, "Filter LFO1 Depth"}},
        {80, {ParameterTable::Tone, "Amplitude LFO1 Depth"}},
        {5, {ParameterTable::PartCommon, "Portamento Time"}},
    };
    std::map<int, const Binding*> found;
    for (const Binding& b : bindingTable()) {
        if (b.tag1 != 0) {
            EXPECT_TRUE(found.emplace(b.tag1, &b).second) << "controller twice: " << b.tag1;
        }
    }
    EXPECT_EQ(found.size(), cc.size());
    for (const auto& [number, parameter] : cc) {
        ASSERT_TRUE(found.count(number)) << "controller " << number;
        const Binding* b = found[number];
        EXPECT_EQ(parameterName(parameter.first, b->ctrlNo).value_or(""), parameter.second)
            << "controller " << number << " on " << b->name;
    }
}

TEST(BindingTable, EffectsAndModulationDepthsCarryTheirSectionTags)
{
    for (const Binding* b : bindingsOfPanel("modpanel")) {
        const auto name = std::string(parameterName(ParameterTable::Tone, b->ctrlNo).value());
        const bool depth = name.find("Depth") != std::string::npos;
        EXPECT_EQ(b->tag4, depth ? 333 : 0) << b->name;
        EXPECT_EQ(b->tag5, depth ? name[5] - '0' : 0) << b->name; // "Ctrl n ..."
    }
    for (const Binding* b : bindingsOfPanel("partpanel")) {
        const bool voiceReserve = b->ctrlNo >= 48;
        EXPECT_EQ(b->tag4, voiceReserve ? 0 : 333) << b->name;
        const int section = voiceReserve ? 0 : b->ctrlNo < 34 ? 1 : b->ctrlNo < 40 ? 2 : 3;
        EXPECT_EQ(b->tag5, section) << b->name;
    }
}

// The musician reads the catalogue's words beside each control.
TEST(BindingTable, LabelsAreTheCatalogueNames)
{
    auto shortened = [](std::string name) {
        if (name.size() > 22) {
            const auto at = name.find("Sensitivity");
            if (at != std::string::npos)
                name.replace(at, 11, "Sens");
        }
        return name;
    };
    for (const Binding& b : bindingTable()) {
        std::optional<std::string_view> name;
        if (b.panel == "mutegroupbox")
            name = parameterName(ParameterTable::RhythmNote, b.tag);
        else if (b.handler == Handler::Tone)
            name = parameterName(ParameterTable::Tone, b.ctrlNo);
        else if (b.handler == Handler::Common)
            name = parameterName(ParameterTable::PartCommon, b.ctrlNo);
        if (name) {
            EXPECT_EQ(b.label, shortened(std::string(*name))) << b.name;
        }
    }
    EXPECT_EQ(findBinding("DragTweak176")->label, parameterName(ParameterTable::System, 6));
    EXPECT_EQ(findBinding("DragTweak177")->label, parameterName(ParameterTable::System, 1));
    EXPECT_EQ(findBinding("DragTweak178")->label, parameterName(ParameterTable::System, 17));
}

TEST(BindingTable, LooksUpByNameAndPanel)
{
    const Binding* cutoff = findBinding("cutoff");
    ASSERT_NE(cutoff, nullptr);
    EXPECT_EQ(cutoff->ctrlNo, 81);
    EXPECT_EQ(findBinding("Cutoff"), nullptr); // names are exact
    EXPECT_EQ(findBinding(""), nullptr);

    const auto lfo = bindingsOfPanel("lfo1box");
    ASSERT_EQ(lfo.size(), 12u);
    EXPECT_EQ(lfo.front()->name, "LFO1");
    EXPECT_EQ(lfo.back()->name, "plfo1"); // placement order, which the shake follows
    EXPECT_TRUE(bindingsOfPanel("nosuchpanel").empty());

    std::size_t total = 0;
    for (const PanelInfo& p : panelTable())
        total += bindingsOfPanel(p.name).size();
    EXPECT_EQ(total, bindingTable().size());
}

TEST(BindingTable, PanelsSitOnTheirSheets)
{
    const std::map<std::string_view, Sheet> sheets = {
        {"wavepanel", Sheet::Tone},   {"fxmbox", Sheet::Tone},      {"mutegroupbox", Sheet::Tone},
        {"pitchpanel", Sheet::Tone},  {"filterpanel", Sheet::Tone}, {"amppanel", Sheet::Tone},
        {"lfo1box", Sheet::Tone},     {"lfo2box", Sheet::Tone},     {"commonpanel", Sheet::Common},
        {"Panel8", Sheet::Common},    {"modpanel", Sheet::Common},  {"partpanel", Sheet::Common},
        {"GroupBox5", Sheet::Common},
    };
    for (const auto& [panel, sheet] : sheets) {
        const PanelInfo* p = findPanel(panel);
        ASSERT_NE(p, nullptr) << panel;
        EXPECT_EQ(p->sheet, sheet) << panel;
        EXPECT_FALSE(p->caption.empty()) << panel;
    }
    EXPECT_EQ(findPanel("GroupBox5")->parent, "partpanel");
    EXPECT_EQ(sheetOf(*findBinding("DragTweak170")), Sheet::Common);
    EXPECT_EQ(sheetInfo(Sheet::Tone).name, "wavesheet");
    EXPECT_EQ(sheetInfo(Sheet::Common).caption, "Common/Mod/Part/Scale");
    EXPECT_EQ(sheetInfo(Sheet::Setup).caption, "MIDI && Setup");
    EXPECT_EQ(findPanel("nosuchpanel"), nullptr);
}

} // namespace
} // namespace dorvane
