// SPDX-License-Identifier: GPL-3.0-or-later
#include "patch/imagecheck.h"
#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace dorvane;

TEST(StartupData, CommittedFilesAreTheGeneratorsOutput)
{
    EXPECT_EQ(test::readFile(test::sourceDir() + "/data/perf.syx"), initialImage());
    EXPECT_EQ(test::readFile(test::sourceDir() + "/data/part.syx"), initialPartFile());
    // The build puts them beside the executables.
    EXPECT_EQ(test::readFile(test::binDir() + "/perf.syx"), initialImage());
}

TEST(StartupData, NeutralAndWellFormed)
{
    t505temppatch p;
    p.LoadFromBytes(initialImage());
    ASSERT_EQ(p.Size(), ImageSize);
    EXPECT_TRUE(checksumProblems(p.bytes()).empty());
    const SysexFileCheck check = checkSysexFile(p.bytes());
    ASSERT_EQ(check.kind, SysexFileKind::Image) << check.problem();
    EXPECT_EQ(check.wrongChecksums(), 0u);
    EXPECT_EQ(checkSysexFile(initialPartFile()).kind, SysexFileKind::PartFile);

    for (int part = 0; part < 7; ++part) {
        EXPECT_EQ(p.GetPatchName(part), "INIT PATCH");
        EXPECT_EQ(p.ReadByte(part, 1, 0), 1) << "tone 1 on";
        for (int t = 2; t <= 4; ++t)
            EXPECT_EQ(p.ReadByte(part, t, 0), 0) << "tones 2-4 off";
        for (int t = 1; t <= 4; ++t) {
            EXPECT_EQ(p.ReadByte(part, t, 101), 127) << "tone level up";
            EXPECT_EQ(p.ReadByte(part, t, 119), 64) << "pan centred";
            EXPECT_EQ(p.ReadByte(part, t, 61), 48) << "coarse tune at zero";
            EXPECT_EQ(p.ReadByte(part, t, 62), 50) << "fine tune at zero";
            EXPECT_EQ(p.ReadByte(part, t, 81), 127) << "filter open";
        }
        EXPECT_EQ(p.ReadByte(part, 0, 44) * 16 + p.ReadByte(part, 0, 45), 120) << "tempo 120";
    }
    EXPECT_EQ(p.GetPatchName(9), "INIT PATCH");
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(p.ReadByte(9, i, 12), 35 + i) << "each drum note plays its own key";
        EXPECT_EQ(p.ReadByte(9, i, 41), 127);
        EXPECT_EQ(p.ReadByte(9, i, 51), 64);
    }
}
