// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/inputsettle.h"

#include "midi/tmidiinput.h"
#include "patch/rolandmessage.h"

namespace dorvane {

InputSettle::InputSettle(TMidiInput* input, QObject* parent)
    : QObject(parent), m_input(input), m_quiet(new QTimer(this)), m_limit(new QTimer(this))
{
    m_quiet->setSingleShot(true);
    m_limit->setSingleShot(true);
    m_limit->setInterval(MaxWaitMs);
    connect(m_quiet, &QTimer::timeout, this, &InputSettle::end);
    connect(m_limit, &QTimer::timeout, this, &InputSettle::end);
    if (input)
        connect(input, &TMidiInput::OnMidiInput, this, &InputSettle::drain);
}

void InputSettle::start(int quietMs)
{
    m_discarded = 0;
    m_quiet->start(quietMs);
    m_limit->start();
    if (m_input)
        m_input->Start();
    drain();
}

void InputSettle::cancel()
{
    if (isRunning() && m_input)
        m_input->Stop();
    m_quiet->stop();
    m_limit->stop();
}

void InputSettle::drain()
{
    if (!isRunning() || !m_input)
        return;
    bool heard = false;
    while (m_input->PendingEventCount() > 0) {
        const auto event = m_input->TakeEvent();
        if (!event)
            break;
        if (event->StatusByte == SysexStart) {
            ++m_discarded;
            heard = true;
        }
    }
    if (heard)
        m_quiet->start();
}

void InputSettle::end()
{
    // The reception that follows starts the port again; until then nothing
    // that arrives belongs to anyone.
    cancel();
    emit settled();
}

} // namespace dorvane
