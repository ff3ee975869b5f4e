// SPDX-License-Identifier: GPL-3.0-or-later
// The patch name field: at most twelve characters, printable ASCII only, since
// every character goes to the instrument as one 7-bit byte. A double-click
// asks for a random name instead of selecting a word.
#pragma once

#include <QLineEdit>

namespace dorvane {

class NameEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit NameEdit(QWidget* parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace dorvane
