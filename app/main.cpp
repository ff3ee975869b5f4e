// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Quellrin");
    QApplication::setApplicationName("Dorvane");
    QMainWindow window;
    window.setWindowTitle("Dorvane:  ");
    window.setCentralWidget(new QLabel("Dorvane"));
    window.show();
    return app.exec();
}
