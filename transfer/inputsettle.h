// SPDX-License-Identifier: GPL-3.0-or-later
// Lets an input settle before a reading back: the port is started, whatever
// sysex arrives is thrown away, and settled() comes once none has arrived for
// a quiet spell. After a send, a MIDI thru or a loop hands the data straight
// back; asked only after that, the instrument's answer is the first thing a
// reception sees, and an echo of what was sent can never pass for it.
//
// An input that never falls quiet settles all the same after MaxWaitMs: the
// reception then judges what comes. Main thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

namespace dorvane {

class TMidiInput;

class InputSettle : public QObject
{
    Q_OBJECT

public:
    // Echoes come back within milliseconds of the data (a cable, a thru, a
    // software loop over JACK); an instrument says nothing until asked.
    static constexpr int QuietMs = 40;
    static constexpr int MaxWaitMs = 1000;

    explicit InputSettle(TMidiInput* input, QObject* parent = nullptr);

    void start(int quietMs = QuietMs);
    void cancel();
    bool isRunning() const { return m_quiet->isActive(); }
    // Sysex messages thrown away since the start.
    int discarded() const { return m_discarded; }

signals:
    void settled();

private:
    void drain();
    void end();

    QPointer<TMidiInput> m_input;
    QTimer* m_quiet;
    QTimer* m_limit;
    int m_discarded = 0;
};

} // namespace dorvane
