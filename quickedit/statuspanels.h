// SPDX-License-Identifier: GPL-3.0-or-later
// StatusPanels: the knob window's status line, three sunken panels side by
// side: the first takes what width is left, the others are as wide as their
// widest expected text. It paints its texts itself and never asks for a new
// layout when they change: every edit writes the first panel, and relaying
// out a window of ninety knobs for it would cost more than the edit.
#pragma once

#include <QString>
#include <QWidget>

#include <array>

namespace dorvane {

class StatusPanels : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Count = 3;

    explicit StatusPanels(QWidget* parent = nullptr);

    QString text(int panel) const { return m_texts[std::size_t(panel)]; }
    void setText(int panel, const QString& text);
    // The panels after the first are wide enough for this text.
    void setWidthFor(int panel, const QString& widest);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRect panelRect(int panel) const;
    // The panels' widths in pixels, measured again only when a widest text or
    // the font changes: measuring shapes the text, and every edit asks.
    void measure();

    std::array<QString, Count> m_texts;
    std::array<QString, Count> m_widest;
    std::array<int, Count> m_widestPx{};
};

} // namespace dorvane
