// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/jackinstrumentpeer.h"

#include "support/testutil.h"

#include <QElapsedTimer>

namespace dorvane::test {

JackInstrumentPeer::JackInstrumentPeer(const std::string& imageFile, const QStringList& extra)
{
    // Debian's python-rtmidi belongs to the system interpreter.
    m_process.setProgram("/usr/bin/python3");
    m_process.setArguments(
        QStringList{QString::fromStdString(sourceDir() + "/tests/support/jackinstrument.py"),
                    "--image", QString::fromStdString(imageFile)} +
        extra);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    m_ready = m_process.waitForStarted(10000) && readLine(15000) == "READY";
}

JackInstrumentPeer::~JackInstrumentPeer()
{
    // Ended as finish() ends it, so that it leaves the JACK server properly;
    // killed only when it does not go.
    if (m_process.state() != QProcess::NotRunning) {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

std::string JackInstrumentPeer::readLine(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!m_process.canReadLine()) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || m_process.state() == QProcess::NotRunning)
            return {};
        m_process.waitForReadyRead(int(std::min<qint64>(left, 100)));
    }
    return m_process.readLine().trimmed().toStdString();
}

std::vector<JackInstrumentPeer::Message> JackInstrumentPeer::finish(int timeoutMs)
{
    std::vector<Message> messages;
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(timeoutMs))
        return messages;
    for (const QByteArray& line : m_process.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("MSG "))
            continue;
        const qsizetype at = line.indexOf(" AT ");
        if (at < 0)
            continue;
        messages.push_back(
            {fromHex(line.mid(4, at - 4).toStdString()), line.mid(at + 4).trimmed().toDouble()});
    }
    return messages;
}

} // namespace dorvane::test
