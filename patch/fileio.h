// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads and atomic writes. Every file the program takes in is read
// here, and only a regular file of bounded size is read at all: a .syx that is
// a device, a pipe or a socket would be read without end or block the open,
// so it is refused by what it is. A save goes to a temporary file in the same
// folder and is renamed over the target, so an interrupted or failed save
// leaves the old file whole.
#pragma once

#include "patch/layout.h"

#include <stdexcept>
#include <string>

namespace dorvane {

// A file that cannot be read or written; the text carries the system's message.
class FileError : public std::runtime_error
{
public:
    explicit FileError(const std::string& message, std::string reason = {})
        : std::runtime_error(message), m_reason(std::move(reason))
    {
    }
    // The reason alone, without the file's name ("it is a device"), for
    // lists that show the name already; the whole message when none was given.
    std::string reason() const { return m_reason.empty() ? what() : m_reason; }

private:
    std::string m_reason;
};

// Files larger than this are refused before they are read: nothing this program
// handles comes near it, and reading a huge file by mistake should not hang.
constexpr std::size_t MaxFileSize = 64 * 1024 * 1024;

// The whole of a regular file, refused with FileError when it is anything
// else or larger than maxSize; nothing is read from a file that is refused.
Bytes readWholeFile(const std::string& fileName, std::size_t maxSize = MaxFileSize);
// The first maxSize bytes of a regular file, for text lists that are read only
// as far as any list of theirs goes; anything but a regular file is refused.
Bytes readFileHead(const std::string& fileName, std::size_t maxSize);
void writeFileAtomically(const std::string& fileName, ByteView bytes);

} // namespace dorvane
