// SPDX-License-Identifier: GPL-3.0-or-later
// The yardsticks for Dorvane's start-up: the least a Qt 6 Widgets program does
// to show a window, one label in it; and, with --window WIDTHxHEIGHT, the least
// it does to show a main window of Dorvane's first size (a menu bar with one
// menu, one label), which tells the cost of the window's size from the cost
// of what Dorvane puts into it.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 1) {
        QLabel label("Dorvane");
        label.show();
        return app.exec();
    }
    const QRegularExpressionMatch size = QRegularExpression("^(\\d+)x(\\d+)$").match(args.value(2));
    if (args.size() != 3 || args[1] != "--window" || !size.hasMatch()) {
        std::fputs("usage: startup-barewindow [--window WIDTHxHEIGHT]\n", stderr);
        return 2;
    }
    QMainWindow window;
    window.menuBar()->addMenu("&File")->addAction("&Open...");
    window.setCentralWidget(new QLabel("Dorvane"));
    // Bounded by the screen as Dorvane bounds its first size, with room for a
    // title bar and frame.
    QSize wanted(size.captured(1).toInt(), size.captured(2).toInt());
    if (const QScreen* s = window.screen())
        wanted = wanted.boundedTo(s->availableGeometry().size() - QSize(8, 34));
    window.resize(wanted);
    window.show();
    return app.exec();
}
