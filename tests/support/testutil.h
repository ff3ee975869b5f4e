// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers shared by the tests: temporary files, byte formatting, child processes.
#pragma once

#include <QProcessEnvironment>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace dorvane::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

void writeFile(const std::string& name, const Bytes& bytes);
Bytes readFile(const std::string& name);
std::string hex(const Bytes& bytes);
Bytes fromHex(const std::string& text);
Bytes randomBytes(std::size_t count, std::uint32_t seed);

// Folders of the source tree and of the built executables and their data files.
std::string sourceDir();
std::string binDir();

struct ProcessResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program to completion with the given arguments (no shell involved),
// in the given environment or this process's own.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         int timeoutMs = 60000,
                         const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

} // namespace dorvane::test
