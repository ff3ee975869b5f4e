// SPDX-License-Identifier: GPL-3.0-or-later
// Tells the main (Qt) thread that a driver thread left something for it. post()
// may be called from any thread and does no allocation and takes no lock: on
// Unix it writes to an eventfd or a pipe watched by a QSocketNotifier. Posts
// are coalesced: while one wake-up is pending, further posts cost one atomic
// exchange, so a burst of deliveries wakes the main thread once.
#pragma once

#include <QObject>

#include <atomic>

class QSocketNotifier;

namespace dorvane {

class WakeUp : public QObject
{
    Q_OBJECT

public:
    explicit WakeUp(QObject* parent = nullptr);
    ~WakeUp() override;

    void post() noexcept;

signals:
    // On the thread that owns this object, once per coalesced run of posts.
    void woken();

private:
    void onActivated();

    std::atomic<bool> m_pending{false};
    int m_readFd = -1;
    int m_writeFd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace dorvane
