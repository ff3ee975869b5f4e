// SPDX-License-Identifier: GPL-3.0-or-later
// "Sounds like this": how far apart two normal parts sound, from the
// parameters that shape a sound most. Each parameter is scaled by its range,
// so a step of a switch weighs as much as the whole sweep of a level; waves
// count by group and number (another number of the same group is half as far
// as another group); a switch weighs as the group of parameters it turns on
// and off (a tone heard in one part only is as far as a tone can be), and
// what a switch turns off is not compared. The result runs from 0 (the same
// sound) to 100.
//
// A part's parameters are kept as a short run of bytes (`soundFeatures`), so
// the library can hold them for every part and weigh hundreds of thousands in
// a few tens of milliseconds.
#pragma once

#include "library/libraryentry.h"
#include "patch/layout.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace dorvane {

// Where a parameter lies: area 0 the part common, 1..4 a tone; its offset in
// that message's data, and the number of values it takes.
struct LikenessParameter
{
    int area;
    int offset;
    int range;
};
// Every parameter compared, in the order of the features.
const std::vector<LikenessParameter>& likenessParameters();

// The part's features: empty for part R's kits, which are not compared, or a
// block that is no normal part.
QByteArray soundFeatures(ByteView block, bool rhythm);

// 0..100; -1 when either part has no features.
double soundDistance(const QByteArray& a, const QByteArray& b);
// A distance as the list and the command line show it. Copies saved with a
// step or two moved lie a few hundredths apart: one decimal would call them
// the same sound, which they are not.
QString distanceText(double distance);

struct NearSound
{
    qint64 partId;
    double distance; // 0..100
};

// The features of many parts side by side, weighed against one at a time.
class SoundTable
{
public:
    // Features of another length (a kit, an older index) are passed over.
    void add(qint64 partId, const QByteArray& features);
    std::size_t size() const { return m_ids.size(); }

    // The `count` nearest, nearest first, `skip` left out.
    std::vector<NearSound> nearest(const QByteArray& features, std::size_t count,
                                   qint64 skip = 0) const;

private:
    std::vector<qint64> m_ids;
    std::vector<std::uint8_t> m_bytes;
};

} // namespace dorvane
