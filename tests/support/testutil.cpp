// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testutil.h"

#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace dorvane::test {

TempDir::TempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "dorvane-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

void writeFile(const std::string& name, const Bytes& bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + name);
}

Bytes readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + name);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string hex(const Bytes& bytes)
{
    std::string s;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        s += buf;
    }
    return s;
}

Bytes fromHex(const std::string& text)
{
    Bytes out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(std::uint8_t(std::stoi(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

Bytes randomBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 gen(seed);
    Bytes out(count);
    for (auto& b : out)
        b = std::uint8_t(gen());
    return out;
}

std::string sourceDir()
{
    return DORVANE_SOURCE_DIR;
}
std::string binDir()
{
    return DORVANE_BIN_DIR;
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         int timeoutMs, const QProcessEnvironment& env)
{
    QStringList list;
    for (const auto& a : args)
        list << QString::fromStdString(a);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QString::fromStdString(program), list);
    ProcessResult r;
    if (!p.waitForStarted(10000)) {
        r.err = "cannot start " + program;
        return r;
    }
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = "timed out: " + program;
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

} // namespace dorvane::test
