// SPDX-License-Identifier: GPL-3.0-or-later
// dorvane-cli: the patch and transfer work without the window, for scripts.
// Every command is the code the window uses; this file only reads arguments.
#include "app/clicommands.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Quellrin");
    QCoreApplication::setApplicationName("dorvane-cli");
    QCoreApplication::setApplicationVersion(DORVANE_VERSION);
    return dorvane::cli::run(QCoreApplication::arguments());
}
