// SPDX-License-Identifier: GPL-3.0-or-later
// Test entry for folders whose code needs a running Qt application. The window
// tests drive real widgets, so they run on the offscreen platform unless the
// caller chose another (a screenshot run under Xvfb, say).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
