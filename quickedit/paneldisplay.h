// SPDX-License-Identifier: GPL-3.0-or-later
// PanelDisplay: the knob window's lit display, in the colours of the main
// window's value controls: the part line on top, then the name of the knob
// last touched and, large, its value.
#pragma once

#include <QString>
#include <QWidget>

namespace dorvane {

class PanelDisplay : public QWidget
{
    Q_OBJECT

public:
    explicit PanelDisplay(QWidget* parent = nullptr);

    QString partLine() const { return m_partLine; }
    QString name() const { return m_name; }
    QString value() const { return m_value; }
    void setPartLine(const QString& text);
    // The knob last touched: its full parameter name and its value as the
    // value control shows it.
    void setParameter(const QString& name, const QString& value);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont smallFont() const;
    QFont largeFont() const;

    QString m_partLine;
    QString m_name;
    QString m_value;
};

} // namespace dorvane
