// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace dorvane {

namespace {

std::string systemMessage(const std::string& what, const std::string& fileName)
{
    return what + " " + fileName + ": " + std::strerror(errno);
}

struct FileCloser
{
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

Bytes readWholeFile(const std::string& fileName)
{
    std::error_code ec;
    if (std::filesystem::is_directory(fileName, ec))
        throw FileError("Cannot open " + fileName + ": it is a folder");
    FilePtr f(std::fopen(fileName.c_str(), "rb"));
    if (!f)
        throw FileError(systemMessage("Cannot open", fileName));
    Bytes bytes;
    std::uint8_t buffer[65536];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, f.get());
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (bytes.size() > MaxFileSize)
            throw FileError("Cannot read " + fileName + ": the file is larger than " +
                            std::to_string(MaxFileSize / (1024 * 1024)) + " MB");
        if (n < sizeof buffer) {
            if (std::ferror(f.get()))
                throw FileError(systemMessage("Cannot read", fileName));
            break;
        }
    }
    return bytes;
}

void writeFileAtomically(const std::string& fileName, ByteView bytes)
{
    namespace fs = std::filesystem;
    const fs::path target(fileName);
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    if (fs::is_directory(target, ec))
        throw FileError("Cannot write " + fileName + ": it is a folder");

    std::random_device rd;
    // Built up step by step: GCC 12 at -O2 warns falsely (-Wrestrict) on the chained +.
    std::string tempName = ".";
    tempName += target.filename().string();
    tempName += ".tmp";
    tempName += std::to_string(rd() % 1000000);
    const fs::path temp = folder / tempName;
    std::FILE* f = std::fopen(temp.string().c_str(), "wb");
    if (!f)
        throw FileError(systemMessage("Cannot write", fileName));
    // Every step can be where a full disk or a lost network share shows: the
    // write, the flush, the sync to the disk and the close. Only when all of
    // them succeeded does the new file replace the old one.
    // An empty file is a valid save (a reception of nothing); fwrite must not
    // be handed the null pointer of an empty span.
    bool ok = (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size()) &&
              std::fflush(f) == 0;
#ifndef _WIN32
    ok = ok && ::fsync(fileno(f)) == 0;
#endif
    int saved = errno;
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        fs::remove(temp, ec);
        errno = saved;
        throw FileError(systemMessage("Cannot write", fileName));
    }
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw FileError("Cannot write " + fileName + ": " + ec.message());
    }
}

} // namespace dorvane
