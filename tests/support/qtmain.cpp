// SPDX-License-Identifier: GPL-3.0-or-later
// Test entry for folders whose code needs a running Qt application. The window
// tests drive real widgets, so they run on the offscreen platform unless the
// caller chose another (a screenshot run under Xvfb, say).
//
// Sizes and columns depend on the fonts a desktop happens to have, so the
// tests see only the fonts of support/fonts.conf; DORVANE_TEST_FONTS=desktop
// keeps the desktop's own, for the tests that prove the program copes with them.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("DORVANE_TEST_FONTS") != "desktop")
        qputenv("FONTCONFIG_FILE", DORVANE_SOURCE_DIR "/tests/support/fonts.conf");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
