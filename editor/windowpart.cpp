// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/windowpart.h"

#include <QMainWindow>

namespace dorvane {

WindowPart::WindowPart(const WindowParts& parts)
    : QObject(parts.window), m_parts(parts), m_frame(*parts.frame), m_session(*parts.session),
      m_dialogs(parts.dialogs), m_settings(parts.settings), m_random(*parts.random),
      m_util(parts.util), m_output(parts.output), m_input(parts.input),
      m_programFolder(parts.programFolder), m_dataFolder(parts.dataFolder)
{
}

} // namespace dorvane
