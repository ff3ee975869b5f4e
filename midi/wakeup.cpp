// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/wakeup.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#if defined(Q_OS_LINUX)
#include <sys/eventfd.h>
#endif
#endif

#include <cstdint>
#include <stdexcept>

namespace dorvane {

WakeUp::WakeUp(QObject* parent) : QObject(parent)
{
#if defined(Q_OS_LINUX)
    m_readFd = m_writeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_readFd < 0)
        throw std::runtime_error("cannot create the MIDI wake-up channel");
#elif defined(Q_OS_UNIX)
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("cannot create the MIDI wake-up channel");
    for (int fd : fds) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    m_readFd = fds[0];
    m_writeFd = fds[1];
#endif
#if defined(Q_OS_UNIX)
    m_notifier = new QSocketNotifier(qintptr(m_readFd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WakeUp::onActivated);
#endif
}

WakeUp::~WakeUp()
{
#if defined(Q_OS_UNIX)
    delete m_notifier;
    if (m_writeFd != m_readFd)
        close(m_writeFd);
    close(m_readFd);
#endif
}

void WakeUp::post() noexcept
{
    if (m_pending.exchange(true, std::memory_order_acq_rel))
        return;
#if defined(Q_OS_UNIX)
    const std::uint64_t one = 1;
    // A full pipe already holds a wake-up; a failed write loses nothing.
    ssize_t written;
    do {
        written = write(m_writeFd, &one, sizeof one);
    } while (written < 0 && errno == EINTR);
#else
    // No descriptor to watch here: one queued call, coalesced like the rest.
    QMetaObject::invokeMethod(this, &WakeUp::onActivated, Qt::QueuedConnection);
#endif
}

void WakeUp::onActivated()
{
#if defined(Q_OS_UNIX)
    std::uint64_t buffer[8];
    while (read(m_readFd, buffer, sizeof buffer) > 0) {
    }
#endif
    // Cleared only after the descriptor is drained: a post that lands between
    // the two finds the flag still set and relies on the emit below. The
    // exchange (not a plain store) reads that poster's write, so everything it
    // pushed before posting is visible to the handlers.
    m_pending.exchange(false, std::memory_order_acq_rel);
    emit woken();
}

} // namespace dorvane
