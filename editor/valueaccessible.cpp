// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/valueaccessible.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QFontMetrics>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <utility>

namespace dorvane {

namespace {

// A spin button to assistive technology: a value with a text of its own,
// which is how readers speak a value that may be a word ("SAW", "OFF") as
// well as a number. The text is read-only: values are chosen, never typed here.
class ValueControlAccessible : public QAccessibleWidget,
                               public QAccessibleValueInterface,
                               public QAccessibleTextInterface
{
public:
    ValueControlAccessible(QWidget* widget, AccessibleValue* value)
        : QAccessibleWidget(widget, QAccessible::SpinBox), m_value(value)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return m_value->accessibleLabel();
        case QAccessible::Value:
            return m_value->accessibleValueText();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    // The value interface: the position in the control's list.
    QVariant currentValue() const override { return m_value->accessiblePosition(); }
    void setCurrentValue(const QVariant& value) override
    {
        bool ok = false;
        const int position = value.toInt(&ok);
        if (ok)
            m_value->setAccessiblePosition(std::clamp(position, 0, m_value->accessibleMaximum()));
    }
    QVariant maximumValue() const override { return m_value->accessibleMaximum(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

    // The text interface: the shown value, whole, with nothing selected.
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        const QString shown = m_value->accessibleValueText();
        if (endOffset < 0 || endOffset > shown.size())
            endOffset = int(shown.size());
        startOffset = std::clamp(startOffset, 0, endOffset);
        return shown.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(m_value->accessibleValueText().size()); }
    QRect characterRect(int offset) const override
    {
        // The text is centred in the control, as it is drawn.
        const QString shown = m_value->accessibleValueText();
        const QFontMetrics metrics(widget()->font());
        const QRect r = rect();
        const int left = r.center().x() - metrics.horizontalAdvance(shown) / 2;
        const int x = left + metrics.horizontalAdvance(shown.left(offset));
        const int w = offset < shown.size() ? metrics.horizontalAdvance(shown.at(offset)) : 0;
        return QRect(x, r.center().y() - metrics.height() / 2, w, metrics.height());
    }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    AccessibleValue* m_value;
};

QAccessibleInterface* valueControlFactory(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    auto* value = widget ? dynamic_cast<AccessibleValue*>(widget) : nullptr;
    return value ? new ValueControlAccessible(widget, value) : nullptr;
}

} // namespace

void installValueAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(valueControlFactory);
        return true;
    }();
    (void)installed;
}

void connectChoice(QButtonGroup* group, QObject* context, std::function<int()> current,
                   std::function<void(int)> select)
{
    auto toggled = std::make_shared<int>(-1);
    QObject::connect(group, &QButtonGroup::idClicked, context, [toggled, select](int id) {
        if (std::exchange(*toggled, -1) != id)
            select(id);
    });
    QObject::connect(group, &QButtonGroup::idToggled, context,
                     [toggled, current, select](int id, bool checked) {
                         if (!checked || id == current())
                             return;
                         *toggled = id;
                         select(id);
                     });
}

void announceValueChanged(QWidget* control)
{
    if (!QAccessible::isActive())
        return;
    auto* value = dynamic_cast<AccessibleValue*>(control);
    if (!value)
        return;
    QAccessibleValueChangeEvent event(control, value->accessiblePosition());
    QAccessible::updateAccessibility(&event);
}

void nameValueControl(QWidget* control, const QString& name, QObject* mirror)
{
    // Qt tells of the control's own name at every setting; the window names
    // all its controls at each selection, most of them as they were.
    if (control->accessibleName() == name)
        return;
    control->setAccessibleName(name);
    if (!mirror || !QAccessible::isActive())
        return;
    QAccessibleEvent event(mirror, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

} // namespace dorvane
