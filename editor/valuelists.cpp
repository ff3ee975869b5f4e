// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/valuelists.h"

#include "patch/notename.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <utility>

namespace dorvane {

namespace {

QStringList numbers(int first, int last)
{
    QStringList list;
    const int step = first <= last ? 1 : -1;
    for (int v = first;; v += step) {
        list << QString::number(v);
        if (v == last)
            break;
    }
    return list;
}

QStringList scale(std::initializer_list<int> values)
{
    QStringList list;
    for (int v : values)
        list << QString::number(v);
    return list;
}

// Positive steps of these scales carry a plus sign, as the instrument shows them.
QStringList signedScale(std::initializer_list<int> values)
{
    QStringList list;
    for (int v : values)
        list << (v > 0 ? QStringLiteral("+%1").arg(v) : QString::number(v));
    return list;
}

QStringList spelled(std::initializer_list<const char*> labels)
{
    QStringList list;
    for (const char* label : labels)
        list << QString::fromUtf8(label);
    return list;
}

// "C-1 " … "G9 " as the note player names notes, or without the blank.
QStringList noteNames(bool trailingBlank)
{
    QStringList list;
    for (int note = 0; note < 128; ++note) {
        const QString name = QString::fromStdString(noteName(note));
        list << (trailingBlank ? name : name.trimmed());
    }
    return list;
}

QStringList voiceReserve(const QString& part)
{
    QStringList list;
    for (int voices = 0; voices <= 64; ++voices)
        list << QStringLiteral("%1: %2").arg(part).arg(voices);
    return list;
}

QStringList build(ValueList list)
{
    switch (list) {
    case ValueList::Numbers0To9:
        return numbers(0, 9);
    case ValueList::Numbers0To10:
        return numbers(0, 10);
    case ValueList::Numbers0To12:
        return numbers(0, 12);
    case ValueList::Numbers0To31:
        return numbers(0, 31);
    case ValueList::Numbers0To48:
        return numbers(0, 48);
    case ValueList::Numbers0To63:
        return numbers(0, 63);
    case ValueList::Numbers0To98:
        return numbers(0, 98);
    case ValueList::Numbers0To120:
        return numbers(0, 120);
    case ValueList::Numbers0To127:
        return numbers(0, 127);
    case ValueList::Numbers1To4:
        return numbers(1, 4);
    case ValueList::Numbers1To7:
        return numbers(1, 7);
    case ValueList::Numbers1To10:
        return numbers(1, 10);
    case ValueList::Numbers1To16:
        return numbers(1, 16);
    case ValueList::NumbersMinus3To3:
        return numbers(-3, 3);
    case ValueList::NumbersMinus12To12:
        return numbers(-12, 12);
    case ValueList::NumbersMinus48To48:
        return numbers(-48, 48);
    case ValueList::NumbersMinus50To50:
        return numbers(-50, 50);
    case ValueList::NumbersMinus63To63:
        return numbers(-63, 63);
    case ValueList::NumbersMinus64To63:
        return numbers(-64, 63);
    case ValueList::Numbers0DownToMinus48:
        return numbers(0, -48);
    case ValueList::Tempo20To250:
        return numbers(20, 250);

    case ValueList::NoteNames:
        return noteNames(true);
    case ValueList::AutoNoteNames:
        return noteNames(false);
    case ValueList::KeyNames: {
        QStringList keys;
        for (std::string_view p : PitchNames)
            keys << QString::fromLatin1(p.data(), qsizetype(p.size()));
        return keys;
    }
    case ValueList::KeyfollowScale:
        return signedScale(
            {-100, -70, -50, -30, -10, 0, 10, 20, 30, 40, 50, 70, 100, 120, 150, 200});
    case ValueList::SensitivityScale:
        return signedScale({-100, -70, -50, -40, -30, -20, -10, 0, 10, 20, 30, 40, 50, 70, 100});
    case ValueList::VelocitySensitivity: {
        QStringList l;
        for (int v = -100; v <= 150; v += 2)
            l << QString::number(v);
        return l;
    }
    case ValueList::RandomPitchDepth:
        // The instrument steps by 1 cent to 10, by 10 to 100, by 100 to 1200: 31 values.
        // The control has 30 positions ending at 1200, so 1100 is left out, which keeps
        // every label below it on its raw value.
        return scale({0,  1,  2,  3,  4,   5,   6,   7,   8,   9,   10,  20,  30,  40,   50,
                      60, 70, 80, 90, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1200});
    case ValueList::ControlDestinations:
        return spelled({"OFF", "PCH", "CUT", "RES", "LEV", "PAN", "PL1", "PL2", "FL1", "FL2", "AL1",
                        "AL2", "PN1", "PN2", "L1R", "L2R"});
    case ValueList::EfxTypes:
        return spelled({"4 band EQ",    "spectrum",
                        "enhancer",     "overdrive",
                        "distortion",   "lo-fi",
                        "noise",        "radio tuning",
                        "phonograph",   "compressor",
                        "limiter",      "slicer",
                        "tremolo",      "phaser",
                        "chorus",       "space-D",
                        "tetra chorus", "flanger",
                        "step flanger", "short delay",
                        "auto pan",     "FB pitch shifter",
                        "reverb",       "gate reverb"});
    case ValueList::HfDamp:
        return spelled({"200", "250", "315", "400", "500", "630", "800", "1000", "1250", "1600",
                        "2000", "2500", "3150", "4000", "5000", "6300", "8000", "bypass"});
    case ValueList::ControlSources: {
        // Only the ends are known by name; the sources between are numbered.
        QStringList l{QStringLiteral("off")};
        for (int source = 1; source <= 14; ++source)
            l << QStringLiteral("source %1").arg(source);
        l << QStringLiteral("playmate");
        return l;
    }
    case ValueList::VoiceReserve1:
    case ValueList::VoiceReserve2:
    case ValueList::VoiceReserve3:
    case ValueList::VoiceReserve4:
    case ValueList::VoiceReserve5:
    case ValueList::VoiceReserve6:
    case ValueList::VoiceReserve7:
        return voiceReserve(
            QStringLiteral("P%1").arg(int(list) - int(ValueList::VoiceReserve1) + 1));
    case ValueList::VoiceReserveR:
        return voiceReserve(QStringLiteral("R"));

    case ValueList::NoSusSustain:
        return spelled({"no-sus", "sustain"});
    case ValueList::OffOn:
        return spelled({"off", "on"});
    case ValueList::OffOnUpper:
        return spelled({"OFF", "ON"});
    case ValueList::OnContinuousKeyOn:
        return spelled({"on", "continuous", "key!on"});
    case ValueList::DrumOutputAssign:
        return spelled({"MIX", "EFX", "DIR1", "DIR2"});
    case ValueList::FxmSwitch:
        return spelled({"FXM: OFF", "FXM: ON"});
    case ValueList::ToneDelayModes:
        return spelled({"Normal", "Hold", "Key Interval", "Clock Sync", "Tap Sync",
                        "Key Off Normal", "Key Off Decay"});
    case ValueList::WaveGain:
        return spelled({"-6", "0", "+6", "+12"});
    case ValueList::FilterTypes:
        return spelled({"off", "LP", "BP", "HP", "PK"});
    case ValueList::BiasDirections:
        return spelled({"lower", "upper", "low&up", "all"});
    case ValueList::LfoWaveforms:
        return spelled(
            {"Triangle", "Sine", "Saw", "Square", "Trapezoid", "S&H", "Random", "Chaos"});
    case ValueList::LfoKeyTrigger:
        return spelled({"Sync: off", "Sync: on"});
    case ValueList::LfoLevelOffset:
        return spelled({"-100", "-50", "0", "+50", "+100"});
    case ValueList::LfoFadeModes:
        return spelled({"on-in", "on-out", "off-in", "off-out"});
    case ValueList::LfoExternalSync:
        return spelled({"internal", "clock"});
    case ValueList::PolyMono:
        return spelled({"poly", "mono"});
    case ValueList::RateTime:
        return spelled({"Rate", "Time"});
    case ValueList::PitchNote:
        return spelled({"Pitch", "Note"});
    case ValueList::HoldPeak:
        return spelled({"off", "hold", "peak"});
    case ValueList::StretchTune:
        return spelled({"off", "1", "2", "3"});
    case ValueList::VoicePriority:
        return spelled({"last", "loudest"});
    case ValueList::BoosterLevels:
        return spelled({"0", "+6", "+12", "+18"});
    case ValueList::ClockSource:
        return spelled({"int", "MIDI"});
    case ValueList::DelayTypes:
        return spelled({"short", "long"});
    case ValueList::ReverbTypes:
        // The seventh, blank entry stands for a raw value the instrument has no
        // type for; it is kept so that the count matches the stored form.
        return spelled({"room1", "room2", "stage1", "stage2", "hall1", "hall2", ""});
    case ValueList::DelayOutputs:
        return spelled({"EFX", "reverb", "EFX+rev"});
    case ValueList::PartOutputAssign:
        return spelled({"dry", "EFX", "dir1", "dir2", "RHY"});
    case ValueList::PlayModes:
        return spelled({"Note", "Major", "Minor", "Major 7th", "Minor 7th", "Minor 7th -5",
                        "Diminished", "Dominant 7th", "Major 9th", "Minor 9th", "2nd", "3rd", "4th",
                        "5th", "6th", "7th", "8th"});

    case ValueList::KeyboardOctaves: {
        // The player adds twelve semitones an octave to the lowest key's
        // note 0, so position p plays note 12 p: shown by the name that note has
        // everywhere else, rather than by a bare number one octave off it.
        QStringList octaves;
        for (int octave = 0; octave <= 10; ++octave)
            octaves << QString::fromStdString(noteName(12 * octave)).trimmed();
        return octaves;
    }

    case ValueList::Devices:
        return {};
    }
    return {};
}

// The words the instrument's panel and its owner's manual use for values these
// lists spell otherwise, and the long names musicians type.
struct Spelling
{
    const char* entry;
    const char* other;
};
// clang-format off
constexpr Spelling OtherSpellings[] = {
    // filter types
    {"LP", "LPF"}, {"LP", "low pass"}, {"LP", "lowpass"},
    {"BP", "BPF"}, {"BP", "band pass"}, {"BP", "bandpass"},
    {"HP", "HPF"}, {"HP", "high pass"}, {"HP", "highpass"},
    {"PK", "PKG"}, {"PK", "peaking"},
    // LFO waveforms
    {"Triangle", "TRI"}, {"Sine", "SIN"}, {"Square", "SQR"}, {"Trapezoid", "TRP"},
    {"S&H", "SH"}, {"S&H", "S+H"}, {"S&H", "sample and hold"},
    {"Random", "RND"}, {"Chaos", "CHS"},
};
// clang-format on

bool same(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// A whole number, with or without its sign.
std::optional<int> number(const QString& text)
{
    QString t = text.trimmed();
    if (t.startsWith('+'))
        t.remove(0, 1);
    if (t.isEmpty() || t.startsWith('+') || t.startsWith(' '))
        return std::nullopt;
    bool ok = false;
    const int n = t.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

// "Db4" as "C#4": the lists name the black keys by their sharps only.
QString sharpFor(const QString& typed)
{
    static const std::pair<QChar, const char*> flats[] = {
        {'D', "C#"}, {'E', "D#"}, {'G', "F#"}, {'A', "G#"}, {'B', "A#"}};
    const QString t = typed.trimmed();
    if (t.size() < 3 || t[1].toLower() != 'b')
        return {};
    for (const auto& [letter, sharp] : flats)
        if (t[0].toUpper() == letter)
            return QString::fromLatin1(sharp) + t.mid(2);
    return {};
}

template <typename Match> int firstOf(const QStringList& items, Match match)
{
    for (int i = 0; i < items.size(); ++i)
        if (match(items[i]))
            return i;
    return -1;
}

// clang-format off
constexpr std::array<WaveCategory, 43> Categories = {{
    {" TB", 0},         {" Saw", 12},        {" Square", 21},      {" Pulse", 24},
    {" P wave", 28},    {" Bass", 38},       {" Pad", 57},         {" Piano", 67},
    {" Organ", 72},     {" Bell ", 79},      {" Guitar", 88},      {" Brass", 101},
    {" Wind", 108},     {" Noise", 112},     {" Noise Hit", 125},  {" Scratch", 135},
    {" Hit", 144},      {" P Noise", 159},   {" Voice", 175},      {" Formant", 192},
    {" Tom", 202},      {" Bngo/Cnga", 215}, {" Perc", 226},       {" Tambourine", 240},
    {" Cowbell", 246},  {" Triangle", 252},  {" Shaker", 255},     {" W Perc ", 262},
    {" Rim", 272},      {" Clave", 282},     {" CHH", 286},        {" PHH", 308},
    {" OHH ", 322},     {" Ride", 343},      {" Crash", 347},      {" Clap", 353},
    {" Snare 909", 379}, {" Snare 808", 387}, {" Snare 606", 396}, {" Snare", 399},
    {" Kick 909", 464}, {" Kick 808", 473},  {" Kick", 478},
}};
// clang-format on

} // namespace

const QStringList& valueList(ValueList list)
{
    // Each list is made the first time it is asked for: the first window
    // shows a handful of the seventy, and making them all cost it a visible
    // share of its start.
    static std::array<QStringList, ValueListCount> lists;
    static std::array<std::once_flag, ValueListCount> made;
    int index = int(list);
    if (index < 0 || index >= ValueListCount)
        index = int(ValueList::Devices);
    const auto at = std::size_t(index);
    std::call_once(made[at], [&] { lists[at] = build(ValueList(index)); });
    return lists[at];
}

int findValue(const QStringList& items, const QString& typed)
{
    if (typed.trimmed().isEmpty())
        return -1;
    if (const int i = firstOf(items, [&](const QString& e) { return same(e, typed); }); i >= 0)
        return i;
    if (const int i =
            firstOf(items,
                    [&](const QString& e) {
                        const QStringList others = otherSpellings(e.trimmed());
                        return std::any_of(others.begin(), others.end(),
                                           [&](const QString& o) { return same(o, typed); });
                    });
        i >= 0)
        return i;
    if (const auto n = number(typed)) {
        if (const int i = firstOf(items, [&](const QString& e) { return number(e) == n; }); i >= 0)
            return i;
    }
    if (const QString sharp = sharpFor(typed); !sharp.isEmpty()) {
        if (const int i = firstOf(items, [&](const QString& e) { return same(e, sharp); }); i >= 0)
            return i;
    }
    // "FXM: ON", "Sync: off", "P3: 12": the value after the name it carries.
    return firstOf(items, [&](const QString& e) {
        const qsizetype colon = e.indexOf(QLatin1String(": "));
        return colon > 0 && same(e.mid(colon + 2), typed);
    });
}

QStringList otherSpellings(const QString& entry)
{
    QStringList others;
    for (const Spelling& s : OtherSpellings)
        if (entry == QLatin1String(s.entry))
            others << QString::fromLatin1(s.other);
    return others;
}

std::span<const WaveCategory> waveCategories()
{
    return Categories;
}

int waveCategoryOf(int wave)
{
    const auto after =
        std::upper_bound(Categories.begin(), Categories.end(), wave,
                         [](int w, const WaveCategory& c) { return w < c.firstWave; });
    if (after == Categories.begin())
        return 0;
    return int(after - Categories.begin()) - 1;
}

} // namespace dorvane
