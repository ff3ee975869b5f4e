// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the files Dorvane keeps beside itself that are made rather than
// written by hand: the start-up image perf.syx, the part template part.syx,
// the scale-tune values scales.txt and the numbered preset list patchlist.txt,
// into the folder given (default: the current one). The committed files in
// data/ are this program's output; a test keeps them from drifting apart.
#include "patch/fileio.h"
#include "patch/initialpatch.h"
#include "patch/presetselect.h"
#include "patch/temperaments.h"

#include <cstdio>
#include <string>

namespace {

dorvane::Bytes textBytes(const std::string& text)
{
    return dorvane::Bytes(text.begin(), text.end());
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    try {
        dorvane::writeFileAtomically(folder + "/perf.syx", dorvane::initialImage());
        dorvane::writeFileAtomically(folder + "/part.syx", dorvane::initialPartFile());
        dorvane::writeFileAtomically(folder + "/scales.txt", textBytes(dorvane::scalesFileText()));
        dorvane::writeFileAtomically(folder + "/patchlist.txt",
                                     textBytes(dorvane::presetListText()));
    } catch (const dorvane::FileError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
