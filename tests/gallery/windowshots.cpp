// SPDX-License-Identifier: GPL-3.0-or-later
// Grabs the main window as a new user meets it, sheet by sheet for part 1 and
// part R, into PNG files: windowshots OUTFOLDER [WIDTHxHEIGHT]. Run it on the
// offscreen platform or under Xvfb, with QT_SCALE_FACTOR for high-DPI looks.
#include "editor/mainwindow.h"
#include "editor/settingsstore.h"
#include "support/scripteddialogs.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

using namespace dorvane;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: windowshots OUTFOLDER [WIDTHxHEIGHT]\n");
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QSize size(1366, 740);
    if (argc > 2) {
        const QStringList wh = QString(argv[2]).split('x');
        size = QSize(wh.value(0).toInt(), wh.value(1).toInt());
    }

    QTemporaryDir settingsDir;
    test::ScriptedDialogs dialogs;
    MainWindow::Setup setup;
    setup.dialogs = &dialogs;
    setup.settings = std::make_unique<SettingsStore>(settingsDir.filePath("dorvane.ini"));
    setup.programFolder = QCoreApplication::applicationDirPath();
    MainWindow window(std::move(setup));
    window.resize(size);
    window.show();
    std::printf("size hint %dx%d, shown at %dx%d\n", window.sizeHint().width(),
                window.sizeHint().height(), window.width(), window.height());

    const char* sheetNames[] = {"tone", "common", "setup"};
    for (int part : {0, 7}) {
        window.selectPart(part);
        for (int s = 0; s < 3; ++s) {
            if (part == 7 && s == 2)
                continue;
            window.showSheet(Sheet(s));
            QApplication::processEvents();
            const QString file =
                QString("%1/part%2-%3.png").arg(out, part == 7 ? "R" : "1", sheetNames[s]);
            window.grab().save(file);
            std::printf("%s\n", qPrintable(file));
        }
    }
    // The answer to "Exit Dorvane now?" is Yes.
    return 0;
}
