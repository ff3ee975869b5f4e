// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for Dorvane's start-up: the least a Qt 6 Widgets program does
// to show a window, one label in it.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label("Dorvane");
    label.show();
    return app.exec();
}
