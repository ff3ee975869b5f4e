// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/soundlikeness.h"

#include "patch/parameteraddress.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <numeric>

namespace dorvane {

namespace {

// Tone data offsets the features need by name.
constexpr int WaveGroup = 1;
constexpr int WaveGroupId = 2;
constexpr int WaveNumber1 = 3;
constexpr int WaveNumber2 = 4;
constexpr int FxmSwitch = 6;
constexpr int PortamentoSwitch = 53;

// The parameters of a tone compared as values, with their ranges (as the
// sheets' value lists count them).
constexpr std::array<std::pair<int, int>, 34> ToneValues = {{
    {5, 4},     // Wave Gain
    {6, 2},     // FMX Switch
    {7, 4},     // FMX Color
    {8, 16},    // FMX Depth
    {47, 128},  // LFO1 Rate
    {55, 128},  // LFO2 Rate
    {61, 97},   // Coarse Tune
    {62, 101},  // Fine Tune
    {64, 16},   // Pitch Keyfollow
    {65, 25},   // P-Env Depth
    {78, 127},  // Pitch LFO1 Depth
    {80, 5},    // Filter Type
    {81, 128},  // Cutoff Frequency
    {82, 16},   // Cutoff Keyfollow
    {83, 128},  // Resonance
    {85, 127},  // F-Env Depth
    {91, 128},  // F-Env Time 1
    {92, 128},  // F-Env Time 2
    {93, 128},  // F-Env Time 3
    {94, 128},  // F-Env Time 4
    {95, 128},  // F-Env Level 1
    {96, 128},  // F-Env Level 2
    {97, 128},  // F-Env Level 3
    {98, 128},  // F-Env Level 4
    {99, 127},  // Filter LFO1 Depth
    {101, 128}, // Tone Level
    {110, 128}, // A-Env Time 1
    {111, 128}, // A-Env Time 2
    {112, 128}, // A-Env Time 3
    {113, 128}, // A-Env Time 4
    {114, 128}, // A-Env Level 1
    {115, 128}, // A-Env Level 2
    {116, 128}, // A-Env Level 3
    {117, 127}, // Amplitude LFO1 Depth
}};
// Tone Pan is left out on purpose: where a sound sits is not what it is.

constexpr std::array<std::pair<int, int>, 7> CommonValues = {{
    {51, 2},   // Key Assign Mode
    {53, 2},   // Portamento Switch
    {57, 128}, // Portamento Time
    {68, 10},  // Structure type 1&2
    {69, 4},   // Booster Level 1&2
    {70, 10},  // Structure type 3&4
    {71, 4},   // Booster Level 3&4
}};

// What a switch turns on: FMX colour and depth, the portamento time.
constexpr int FxmGroup = 2;
constexpr int PortamentoGroup = 1;

// Layout of the features: the common's values, then per tone its switch, its
// wave (group and number, three bytes), its values.
constexpr int CommonBytes = int(CommonValues.size());
constexpr int ToneBytes = 1 + 3 + int(ToneValues.size());
constexpr int FeatureBytes = CommonBytes + ToneCount * ToneBytes;

// Weights of the bytes compared as values; a tone's switch and wave are
// weighed apart.
struct Weights
{
    std::array<std::uint16_t, FeatureBytes> byByte{};
    int waveWeight = 2;
    int toneWeight = 0; // a tone heard in one part only: as far as its whole group
    int total = 0;      // the most two parts differ
};

const Weights& weights()
{
    static const Weights w = [] {
        Weights w;
        for (int i = 0; i < CommonBytes; ++i)
            w.byByte[std::size_t(i)] = 1;
        w.byByte[1] = 1 + PortamentoGroup; // the portamento switch, as its group
        w.toneWeight = w.waveWeight;
        for (int t = 0; t < ToneCount; ++t) {
            const int base = CommonBytes + t * ToneBytes;
            for (std::size_t i = 0; i < ToneValues.size(); ++i) {
                const int weight = ToneValues[i].first == FxmSwitch ? 1 + FxmGroup : 1;
                w.byByte[std::size_t(base + 4) + i] = std::uint16_t(weight);
                if (t == 0)
                    w.toneWeight += weight;
            }
        }
        w.total = ToneCount * w.toneWeight;
        for (int i = 0; i < CommonBytes; ++i)
            w.total += w.byByte[std::size_t(i)];
        return w;
    }();
    return w;
}

std::uint8_t scaled(std::uint8_t value, int range)
{
    const int v = std::min<int>(value, range - 1);
    return std::uint8_t(range > 1 ? v * 255 / (range - 1) : 0);
}

} // namespace

const std::vector<LikenessParameter>& likenessParameters()
{
    static const std::vector<LikenessParameter> list = [] {
        std::vector<LikenessParameter> l;
        for (const auto& [offset, range] : CommonValues)
            l.push_back({0, offset, range});
        for (int t = 1; t <= ToneCount; ++t)
            for (const auto& [offset, range] : ToneValues)
                l.push_back({t, offset, range});
        return l;
    }();
    return list;
}

QByteArray soundFeatures(ByteView block, bool rhythm)
{
    if (rhythm || block.size() != PartBlockSize)
        return {};
    auto data = [&](int area, int offset) -> std::uint8_t {
        const std::size_t message =
            area == 0 ? 0 : CommonMessageSize + std::size_t(area - 1) * ToneMessageSize;
        return block[message + MessageHeaderSize + std::size_t(offset)];
    };
    QByteArray f(FeatureBytes, '\0');
    auto* out = reinterpret_cast<std::uint8_t*>(f.data());
    for (std::size_t i = 0; i < CommonValues.size(); ++i)
        out[i] = scaled(data(0, CommonValues[i].first), CommonValues[i].second);
    if (data(0, PortamentoSwitch) == 0)
        out[2] = 0; // portamento time: not heard while portamento is off
    for (int t = 0; t < ToneCount; ++t) {
        std::uint8_t* tone = out + CommonBytes + t * ToneBytes;
        if (data(t + 1, ToneSwitchOffset) == 0)
            continue; // a tone switched off: nothing of it is heard
        tone[0] = 255;
        tone[1] = std::uint8_t((data(t + 1, WaveGroup) << 3 | data(t + 1, WaveGroupId)) | 0x80);
        tone[2] = data(t + 1, WaveNumber1);
        tone[3] = data(t + 1, WaveNumber2);
        const bool fxm = data(t + 1, FxmSwitch) != 0;
        for (std::size_t i = 0; i < ToneValues.size(); ++i) {
            const int offset = ToneValues[i].first;
            tone[4 + i] = (offset == 7 || offset == 8) && !fxm
                              ? 0
                              : scaled(data(t + 1, offset), ToneValues[i].second);
        }
    }
    return f;
}

namespace {

// The weighted sum of differences, in 1/255 of a weight.
int distanceUnits(const std::uint8_t* a, const std::uint8_t* b)
{
    const Weights& w = weights();
    int sum = 0;
    for (int i = 0; i < CommonBytes; ++i)
        sum += w.byByte[std::size_t(i)] * std::abs(int(a[i]) - int(b[i]));
    for (int t = 0; t < ToneCount; ++t) {
        const int base = CommonBytes + t * ToneBytes;
        if (a[base] != b[base]) {
            sum += w.toneWeight * 255;
            continue;
        }
        if (a[base] == 0)
            continue; // off in both: nothing of it is heard
        if (a[base + 1] != b[base + 1])
            sum += w.waveWeight * 255;
        else if (a[base + 2] != b[base + 2] || a[base + 3] != b[base + 3])
            sum += w.waveWeight * 255 / 2;
        for (int i = base + 4; i < base + ToneBytes; ++i)
            sum += w.byByte[std::size_t(i)] * std::abs(int(a[i]) - int(b[i]));
    }
    return sum;
}

double toHundred(int units)
{
    return 100.0 * double(units) / (255.0 * double(weights().total));
}

} // namespace

double soundDistance(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != FeatureBytes || b.size() != FeatureBytes)
        return -1;
    return toHundred(distanceUnits(reinterpret_cast<const std::uint8_t*>(a.constData()),
                                   reinterpret_cast<const std::uint8_t*>(b.constData())));
}

void SoundTable::add(qint64 partId, const QByteArray& features)
{
    if (features.size() != FeatureBytes)
        return;
    m_ids.push_back(partId);
    m_bytes.insert(m_bytes.end(), features.begin(), features.end());
}

std::vector<NearSound> SoundTable::nearest(const QByteArray& features, std::size_t count,
                                           qint64 skip) const
{
    if (features.size() != FeatureBytes)
        return {};
    const auto* a = reinterpret_cast<const std::uint8_t*>(features.constData());
    std::vector<std::pair<int, std::size_t>> scored; // units, index
    scored.reserve(m_ids.size());
    for (std::size_t i = 0; i < m_ids.size(); ++i)
        if (m_ids[i] != skip || skip == 0)
            scored.emplace_back(distanceUnits(a, m_bytes.data() + i * FeatureBytes), i);
    const std::size_t n = std::min(count, scored.size());
    std::partial_sort(scored.begin(), scored.begin() + std::ptrdiff_t(n), scored.end());
    std::vector<NearSound> out;
    for (std::size_t i = 0; i < n; ++i)
        out.push_back({m_ids[scored[i].second], toHundred(scored[i].first)});
    return out;
}

QString distanceText(double distance)
{
    if (distance <= 0)
        return "0";
    return distance < 1 ? QString::number(distance, 'g', 2) : QString::number(distance, 'f', 1);
}

} // namespace dorvane
