// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader is told of the controls that show one value of a list
// (the value controls and the knobs): a name the window gives (the parameter
// with its part and tone), the text the control shows as its value, and the
// position in the list as a number it may step or set. The controls draw
// themselves, so without this Qt would offer a screen reader only a label's
// text with nothing to say what it is.
#pragma once

#include <QString>

#include <functional>

class QButtonGroup;
class QObject;
class QWidget;

namespace dorvane {

class AccessibleValue
{
public:
    virtual ~AccessibleValue() = default;
    virtual QString accessibleLabel() const = 0;
    // Exactly what the musician reads on the control (a dash when unknown).
    virtual QString accessibleValueText() const = 0;
    virtual int accessiblePosition() const = 0;
    virtual int accessibleMaximum() const = 0;
    // A value chosen through assistive technology is an edit, made as the
    // release of a drag to that position would make it.
    virtual void setAccessiblePosition(int position) = 0;
};

// Registers the interface for every widget that is an AccessibleValue; the
// controls call it as they are made, so nothing else has to.
void installValueAccessibility();

// Tells a listening screen reader that the control shows another value
// (nothing to do, and nothing done, when none listens).
void announceValueChanged(QWidget* control);

// Gives a value control the name a screen reader reads, told to a listening
// one only when it changes (a part or tone chosen), for the control and for
// `mirror`, which reads its name from the control (its knob) where Qt cannot
// see it change.
void nameValueControl(QWidget* control, const QString& name, QObject* mirror = nullptr);

// A click on a button of the group selects its choice through `select`. A
// screen reader's "toggle" checks a button without a click, so a toggle to
// another choice than `current` selects too, and the click a real toggle comes
// with does not select it a second time.
void connectChoice(QButtonGroup* group, QObject* context, std::function<int()> current,
                   std::function<void(int)> select);

} // namespace dorvane
