// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI monitor: every message going out of the output port and coming in
// on the input port, with a time stamp, in words (Data Set address, part, tone
// or drum note, parameter and value; requests; notes and controllers; the rest
// as hex). The ports' taps only copy the bytes into a bounded queue; the
// window decodes and shows them on a timer, so watching never slows an edit.
#pragma once

#include "midi/miditap.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <string>

class QPlainTextEdit;
class QCheckBox;

namespace dorvane {

class MidiMonitor : public QWidget, public MidiTap
{
    Q_OBJECT

public:
    // The most messages kept and shown; older ones make room.
    static constexpr std::size_t HistoryLimit = 2000;

    explicit MidiMonitor(QWidget* parent = nullptr);
    ~MidiMonitor() override;

    void sent(ByteView message) override;
    void received(ByteView message) override;
    void overflowed(std::uint32_t deliveries, std::uint32_t bytes) override;

    // Decodes what is queued into the view now (the timer does it otherwise).
    void flush();
    void clear();
    // The lines shown, oldest first (none until the monitor was shown or flushed).
    QStringList lines() const;
    // Whether new lines scroll into view (the user has not scrolled up).
    bool following() const;
    QPlainTextEdit* view() const { return m_view; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Entry
    {
        qint64 ms;
        bool out;
        Bytes bytes;
        std::string note; // said instead of a message (input dropped)
    };
    void add(bool out, ByteView message);
    void scrollToEnd();
    void buildView();

    QElapsedTimer m_clock;
    std::deque<Entry> m_pending;
    QTimer m_timer;
    QPlainTextEdit* m_view = nullptr;
    QCheckBox* m_paused = nullptr;
    bool m_following = true;
    bool m_appending = false; // scroll moves of our own say nothing of the user
};

} // namespace dorvane
