// SPDX-License-Identifier: GPL-3.0-or-later
// What every command object of the main window starts from: the window's
// parts (its neighbours among them), and, by the names the window's code has
// always used, the session, the seams and the ports it works over.
#pragma once

#include "editor/windowframe.h"
#include "editor/windowparts.h"
#include "session/editsession.h"

#include <QMainWindow>
#include <QObject>

namespace dorvane {

class WindowPart : public QObject
{
    Q_OBJECT

protected:
    explicit WindowPart(const WindowParts& parts);

    const WindowParts& m_parts;
    WindowFrame& m_frame;
    EditSession& m_session;
    Dialogs* m_dialogs;
    SettingsStore* m_settings;
    RandomSource& m_random;
    TMIDIappUtil* m_util;
    TMidiOutput* m_output;
    TMidiInput* m_input;
    const QString& m_programFolder;
    const QString& m_dataFolder;
};

} // namespace dorvane
