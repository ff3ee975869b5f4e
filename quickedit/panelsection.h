// SPDX-License-Identifier: GPL-3.0-or-later
// PanelSection: one boxed, titled section of the knob window's front panel, the
// way a hardware panel prints a frame and a name around a group of knobs. It
// draws only the frame and the title, from its palette (WindowText for the
// title, Mid for the frame); its layout holds the contents.
#pragma once

#include <QString>
#include <QWidget>

namespace dorvane {

class PanelSection : public QWidget
{
    Q_OBJECT

public:
    explicit PanelSection(const QString& title, QWidget* parent = nullptr);

    QString title() const { return m_title; }
    // Room the frame and the title take from the contents, for the layout.
    QMargins frameMargins() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QFont titleFont() const;

    QString m_title;
};

} // namespace dorvane
