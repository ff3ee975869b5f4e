// SPDX-License-Identifier: GPL-3.0-or-later
// A private JACK server for the benchmarks' JACK figures (`jackd -d dummy`
// under a name of this process's own), gone with the process. Start it before
// any JACK client is made: it points this process and its children at itself.
#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace dorvane::bench {

// A private JACK server for the JACK figures; gone with this process.
class JackServer
{
public:
    bool start()
    {
        const QString name = QStringLiteral("dorvane-bench-%1").arg(getpid());
        qputenv("JACK_DEFAULT_SERVER", name.toUtf8());
        qputenv("JACK_NO_START_SERVER", "1");
        qputenv("JACK_NO_AUDIO_RESERVATION", "1");
        m_server.setChildProcessModifier([] {
#if defined(__linux__)
            prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
        });
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start("jackd", {"-n", name, "-d", "dummy", "-r", "48000", "-p", "256"});
        if (!m_server.waitForStarted(5000))
            return false;
        for (int i = 0; i < 100; ++i) {
            QProcess lsp;
            lsp.start("jack_lsp", {"-s", name});
            if (lsp.waitForFinished(5000) && lsp.exitCode() == 0)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    ~JackServer()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(5000))
                m_server.kill();
        }
    }

    // The full name of this process's port that ends in `port`.
    static QString ownPort(const QString& port)
    {
        QProcess lsp;
        lsp.start("jack_lsp", {});
        lsp.waitForFinished(5000);
        for (const QByteArray& line : lsp.readAllStandardOutput().split('\n'))
            if (line.startsWith("Dorvane") && line.endsWith(":" + port.toUtf8()))
                return QString::fromUtf8(line);
        return {};
    }

private:
    QProcess m_server;
};

// The main() of a benchmark program with JACK figures: the private server is
// started first, and `registerJack` registers the benchmarks that need it only
// when it runs (the others run either way).
template <typename Register> int runWithJack(int argc, char** argv, Register registerJack)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    JackServer jack;
    if (jack.start())
        registerJack();
    else
        std::fprintf(stderr, "No JACK server could be started: the JACK figures are left out.\n");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace dorvane::bench
