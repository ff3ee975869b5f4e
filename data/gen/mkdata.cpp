// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the start-up image perf.syx and the part template part.syx into the
// folder given (default: the current one). The committed files in data/ are this
// program's output; a test keeps them from drifting apart.
#include "patch/fileio.h"
#include "patch/initialpatch.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    try {
        dorvane::writeFileAtomically(folder + "/perf.syx", dorvane::initialImage());
        dorvane::writeFileAtomically(folder + "/part.syx", dorvane::initialPartFile());
    } catch (const dorvane::FileError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
