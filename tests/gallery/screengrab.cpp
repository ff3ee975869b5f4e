// SPDX-License-Identifier: GPL-3.0-or-later
// Saves what an X display shows, as PNG: screengrab FILE.png. For pictures of
// the running program with its menus open, which a grab of one widget misses.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: screengrab FILE.png\n");
        return 1;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "screengrab: cannot grab the screen into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
