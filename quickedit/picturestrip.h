// SPDX-License-Identifier: GPL-3.0-or-later
// PictureStrip: a list of equally sized frames, one per look of a knob. A value
// type: copies share the pixmaps, so a knob can simply hold its own copy.
#pragma once

#include <QList>
#include <QPixmap>
#include <QSize>

namespace dorvane {

class PictureStrip
{
public:
    PictureStrip() = default;
    // Every frame is frameSize in device-independent pixels; the pixmaps carry
    // their own device pixel ratio.
    PictureStrip(QSize frameSize, QList<QPixmap> frames);

    int Count() const { return int(m_frames.size()); }
    bool isEmpty() const { return m_frames.isEmpty(); }
    QSize FrameSize() const { return m_frameSize; }
    // Frame i, or a null pixmap outside 0..Count()-1.
    QPixmap Frame(int i) const;

private:
    QSize m_frameSize;
    QList<QPixmap> m_frames;
};

} // namespace dorvane
