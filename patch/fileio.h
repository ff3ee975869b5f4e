// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads and atomic writes. A save goes to a temporary file in the
// same folder and is renamed over the target, so an interrupted or failed save
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
    using std::runtime_error::runtime_error;
};

// Files larger than this are refused before they are read: nothing this program
// handles comes near it, and reading a huge file by mistake should not hang.
constexpr std::size_t MaxFileSize = 64 * 1024 * 1024;

Bytes readWholeFile(const std::string& fileName);
void writeFileAtomically(const std::string& fileName, ByteView bytes);

} // namespace dorvane
