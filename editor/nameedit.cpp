// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/nameedit.h"

#include "patch/patchname.h"

#include <QMouseEvent>
#include <QValidator>

namespace dorvane {

namespace {

// Refuses what cannot be typed into a name. A name shown from a loaded file may
// still hold other characters; on Enter they become '?', as they are sent.
class NameValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override
    {
        for (const char32_t c : input.toUcs4())
            if (!isNameCharacter(c))
                return Invalid;
        return Acceptable;
    }

    void fixup(QString& input) const override
    {
        QString fixed;
        for (const char32_t c : input.toUcs4())
            fixed += isNameCharacter(c) ? QChar(char16_t(c)) : QChar('?');
        input = fixed;
    }
};

} // namespace

NameEdit::NameEdit(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(int(PatchNameLength));
    setValidator(new NameValidator(this));
}

void NameEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
        event->accept();
        return;
    }
    QLineEdit::mouseDoubleClickEvent(event);
}

} // namespace dorvane
