// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/jackserver.h"

#include "support/testutil.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace dorvane::test {
namespace {

std::string uniqueName()
{
    static std::atomic<int> counter{0};
    return "dorvane-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

std::string readText(const std::string& file)
{
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool exited(int pid)
{
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

} // namespace

JackServer::JackServer() : m_name(uniqueName())
{
    m_log = (std::filesystem::temp_directory_path() / (m_name + ".log")).string();
    setenv("JACK_DEFAULT_SERVER", m_name.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);

    // Everything the child needs is made before fork(): after it, only calls
    // that are safe in a copy of a threaded process.
    // Synchronous: a cycle ends only when every client has run. In the default
    // mode a client that a loaded machine keeps waiting past the cycle's end
    // leaves its peer reading the last cycle's events again, and the events
    // it writes late are lost: one message twice, the next never.
    const std::string program = "jackd";
    std::vector<std::string> args = {program, "-S", "-n",    m_name, "-d",
                                     "dummy", "-r", "48000", "-p",   "256"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("cannot start jackd");
    if (pid == 0) {
#if defined(__linux__)
        prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
        if (getppid() != parent)
            _exit(127);
        // A client that vanishes must not kill the server with SIGPIPE: killed
        // that way it leaves its slot in the machine's JACK registry, and after
        // a few such slots no server starts at all. Ignoring survives exec.
        signal(SIGPIPE, SIG_IGN);
        const int log = open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (log >= 0) {
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    m_pid = pid;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        if (exited(m_pid)) {
            m_pid = -1;
            throw std::runtime_error("jackd ended at once:\n" + readText(m_log));
        }
        if (runProcess("jack_lsp", {"-s", m_name}, 5000).exitCode == 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const std::string log = readText(m_log);
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
    throw std::runtime_error("the JACK server " + m_name + " does not answer:\n" + log);
}

void JackServer::stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    bool gone = false;
    while (!(gone = exited(m_pid)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!gone) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
}

JackServer::~JackServer()
{
    stop();
    std::error_code ignored;
    std::filesystem::remove(m_log, ignored);
}

std::vector<std::string> JackServer::ports() const
{
    std::vector<std::string> list;
    const ProcessResult result = runProcess("jack_lsp", {"-s", m_name}, 5000);
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            list.push_back(line);
    return list;
}

bool JackServer::waitForPort(const std::string& port, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        for (const std::string& p : ports())
            if (p == port)
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

} // namespace dorvane::test
