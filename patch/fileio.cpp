// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dorvane {

namespace {

std::string systemMessage(const std::string& what, const std::string& fileName)
{
    return what + " " + fileName + ": " + std::strerror(errno);
}

std::string systemReason(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

#ifdef _WIN32
struct FileCloser
{
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
#endif

} // namespace

namespace {

#ifdef _WIN32
// Why a file of this type is not read, or nothing for a regular file.
std::optional<std::string> notRegular(std::filesystem::file_type type)
{
    using std::filesystem::file_type;
    switch (type) {
    case file_type::regular:
        return std::nullopt;
    case file_type::directory:
        return "it is a folder";
    case file_type::block:
    case file_type::character:
        return "it is a device";
    case file_type::fifo:
        return "it is a pipe";
    case file_type::socket:
        return "it is a socket";
    default:
        return "it is not a regular file";
    }
}
#endif

[[noreturn]] void refuse(const std::string& fileName, const std::string& reason)
{
    throw FileError("Cannot read " + fileName + ": " + reason, reason);
}

std::string tooLarge(std::uintmax_t size, std::size_t maxSize)
{
    return std::to_string(size) + " bytes, more than the " + std::to_string(maxSize) +
           " this program reads";
}

} // namespace

namespace {

#ifndef _WIN32
// Why a file of this mode is not read, or nothing for a regular file.
std::optional<std::string> notRegular(mode_t mode)
{
    if (S_ISREG(mode))
        return std::nullopt;
    if (S_ISDIR(mode))
        return "it is a folder";
    if (S_ISBLK(mode) || S_ISCHR(mode))
        return "it is a device";
    if (S_ISFIFO(mode))
        return "it is a pipe";
    if (S_ISSOCK(mode))
        return "it is a socket";
    return "it is not a regular file";
}

[[noreturn]] void cannotOpen(const std::string& fileName)
{
    throw FileError(systemMessage("Cannot open", fileName), systemReason("cannot be opened"));
}

struct FdCloser
{
    int fd;
    ~FdCloser() { ::close(fd); }
};

// A library scan reads every file of a collection through here, so this is
// one stat, one open and reads straight into the bytes: no stream, no
// buffer copied from, no second look at the size.
Bytes readRegularFile(const std::string& fileName, std::size_t maxSize, bool headOnly)
{
    // Judged before the open: opening a pipe waits for a writer, and opening
    // some devices is itself an act (a serial line raises its lines). A name
    // that is not there is left to the open, which says so.
    struct stat before;
    if (::stat(fileName.c_str(), &before) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            cannotOpen(fileName);
    } else {
        if (const auto reason = notRegular(before.st_mode))
            refuse(fileName, *reason);
        if (!headOnly && std::uintmax_t(before.st_size) > maxSize)
            refuse(fileName, tooLarge(std::uintmax_t(before.st_size), maxSize));
    }
    // Non-blocking, so that a file swapped for a pipe since the look above
    // cannot hold the open; what was opened is judged again.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        cannotOpen(fileName);
    const FdCloser closer{fd};
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))
        refuse(fileName, "it is not a regular file");

    // Room for the size the file has now and one byte more, so that a file
    // of the size it claims is read whole by the first read and its end seen
    // by the second; one that grows is read on, held to the same bound.
    const std::size_t bound = headOnly ? maxSize : maxSize + 1;
    Bytes bytes(std::min(std::size_t(opened.st_size) + 1, bound));
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (have >= bound)
                break;
            bytes.resize(std::min(std::max(have * 2, std::size_t(65536)), bound));
        }
        const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw FileError(systemMessage("Cannot read", fileName), systemReason("cannot be read"));
        }
        if (n == 0)
            break;
        have += std::size_t(n);
    }
    // A file that grew while it is read past the bound is refused.
    if (!headOnly && have > maxSize)
        refuse(fileName, tooLarge(have, maxSize));
    bytes.resize(have);
    return bytes;
}
#else
Bytes readRegularFile(const std::string& fileName, std::size_t maxSize, bool headOnly)
{
    namespace fs = std::filesystem;
    // Judged before the open: opening a pipe waits for a writer, and opening
    // some devices is itself an act (a serial line raises its lines).
    std::error_code ec;
    const fs::file_status status = fs::status(fileName, ec);
    if (status.type() != fs::file_type::not_found) {
        if (ec)
            throw FileError("Cannot open " + fileName + ": " + ec.message(),
                            "cannot be opened: " + ec.message());
        if (const auto reason = notRegular(status.type()))
            refuse(fileName, *reason);
        if (const std::uintmax_t size = fs::file_size(fileName, ec);
            !headOnly && !ec && size > maxSize)
            refuse(fileName, tooLarge(size, maxSize));
    }
    FilePtr f(std::fopen(fileName.c_str(), "rb"));
    if (!f)
        throw FileError(systemMessage("Cannot open", fileName), systemReason("cannot be opened"));
    Bytes bytes;
    std::uint8_t buffer[65536];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, f.get());
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (headOnly && bytes.size() >= maxSize) {
            bytes.resize(maxSize);
            break;
        }
        // A file that grows while it is read is held to the same bound.
        if (bytes.size() > maxSize)
            refuse(fileName, tooLarge(bytes.size(), maxSize));
        if (n < sizeof buffer) {
            if (std::ferror(f.get()))
                throw FileError(systemMessage("Cannot read", fileName),
                                systemReason("cannot be read"));
            break;
        }
    }
    return bytes;
}

#endif

} // namespace

Bytes readWholeFile(const std::string& fileName, std::size_t maxSize)
{
    return readRegularFile(fileName, maxSize, false);
}

Bytes readFileHead(const std::string& fileName, std::size_t maxSize)
{
    return readRegularFile(fileName, maxSize, true);
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
