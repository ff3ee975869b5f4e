// SPDX-License-Identifier: GPL-3.0-or-later
// The file commands of dorvane-cli: the same patch code the window uses, with
// results on the given streams. Each returns the process exit status (0 done,
// 1 bad input, with one line on the error stream saying why).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace dorvane::cli {

int info(const std::vector<std::string>& files, std::ostream& out, std::ostream& err);
int fixChecksums(const std::string& in, const std::string& outFile, std::ostream& err);
int exportMid(const std::string& in, const std::string& outFile, std::optional<int> part,
              std::ostream& err);
int convert(const std::string& in, const std::string& outFile, std::ostream& out,
            std::ostream& err);
int extractPart(const std::string& in, const std::string& outFile, int part,
                std::optional<int> asPart, std::ostream& err);

// "1".."7" -> 0..6, "R"/"r" -> 9; nothing for anything else.
std::optional<int> parsePart(const std::string& text, bool allowRhythm = true);

} // namespace dorvane::cli
