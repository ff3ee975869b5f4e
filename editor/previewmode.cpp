// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/previewmode.h"
#include "editor/valuesheets.h"
#include "editor/windowframe.h"

namespace dorvane {

PreviewMode::PreviewMode(const WindowParts& parts) : WindowPart(parts)
{
    connect(&m_session, &EditSession::changeRecorded, this, [this] {
        if (m_open && !m_recording)
            leave();
    });
}

void PreviewMode::enter(QWidget* panel)
{
    m_before = std::make_shared<const t505temppatch>(m_session.image());
    m_open = true;
    m_frame.modeStarting();
    m_frame.showInSheetArea(panel);
    // The part cannot change under what is tried on it.
    m_parts.sheets->selectionBar()->setEnabled(false);
}

void PreviewMode::keepAs(const QString& what)
{
    m_recording = true;
    m_session.record(what);
    m_recording = false;
    leave();
}

void PreviewMode::putBack()
{
    // Only the part tried on moved; the instrument hears it go back.
    const std::shared_ptr<const t505temppatch> image = m_before;
    m_session.preview([&](t505temppatch& current) { current.LoadFromStream(*image); });
    leave();
}

void PreviewMode::leave()
{
    m_open = false;
    m_parts.sheets->selectionBar()->setEnabled(true);
    m_frame.showSheets();
    m_parts.sheets->refresh();
}

} // namespace dorvane
