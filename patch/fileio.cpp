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
    const fs::path temp =
        folder / ("." + target.filename().string() + ".tmp" + std::to_string(rd() % 1000000));
    {
        FilePtr f(std::fopen(temp.string().c_str(), "wb"));
        if (!f)
            throw FileError(systemMessage("Cannot write", fileName));
        // An empty file is a valid save (a reception of nothing); fwrite must
        // not be handed the null pointer of an empty span.
        const bool written =
            (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size()) &&
            std::fflush(f.get()) == 0;
        int saved = errno;
#ifndef _WIN32
        // The rename below is only as good as the data under it.
        if (written && ::fsync(fileno(f.get())) != 0)
            saved = errno;
#endif
        if (!written) {
            f.reset();
            fs::remove(temp, ec);
            errno = saved;
            throw FileError(systemMessage("Cannot write", fileName));
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw FileError("Cannot write " + fileName + ": " + ec.message());
    }
}

} // namespace dorvane
