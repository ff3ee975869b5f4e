// SPDX-License-Identifier: GPL-3.0-or-later
#include "quickedit/picturestrip.h"

#include <utility>

namespace dorvane {

PictureStrip::PictureStrip(QSize frameSize, QList<QPixmap> frames)
    : m_frameSize(frameSize), m_frames(std::move(frames))
{
}

QPixmap PictureStrip::Frame(int i) const
{
    if (i < 0 || i >= Count())
        return {};
    return m_frames[i];
}

} // namespace dorvane
