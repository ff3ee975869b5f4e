// SPDX-License-Identifier: GPL-3.0-or-later
// What the morph and the breed share: a panel that takes the sheets' place
// while sounds are tried on the current part through the session's preview.
// "Keep" makes what is heard one step of the history, "Cancel" puts the
// image back as it was when the mode began, in the window and on the
// instrument, and any other change of the image ends the mode where it
// stands (the sound it started from is gone then).
#pragma once

#include "editor/windowpart.h"
#include "patch/t505temppatch.h"

#include <memory>

class QWidget;

namespace dorvane {

class PreviewMode : public WindowPart
{
    Q_OBJECT

public:
    bool isOpen() const { return m_open; }

protected:
    explicit PreviewMode(const WindowParts& parts);

    // A slot for a panel's signal that runs `f` at the window's command boundary.
    template <typename F> auto command(F f)
    {
        return [this, f](auto... args) { m_frame.runCommand([&] { f(args...); }); };
    }
    // The image as it stood, kept; the panel shown; the part held still.
    void enter(QWidget* panel);
    // The image as it stood when the mode began.
    const std::shared_ptr<const t505temppatch>& before() const { return m_before; }
    void keepAs(const QString& what);
    void putBack();

private:
    void leave();

    bool m_open = false;
    bool m_recording = false;
    std::shared_ptr<const t505temppatch> m_before;
};

} // namespace dorvane
