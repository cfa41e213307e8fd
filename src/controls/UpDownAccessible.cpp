#include "controls/UpDownAccessible.h"

#include "controls/UpDown.h"

UpDownAccessible::UpDownAccessible(UpDown *upDown) : QAccessibleWidget(upDown, QAccessible::SpinBox) {}

UpDown *UpDownAccessible::upDown() const {
    return static_cast<UpDown *>(object());
}

QString UpDownAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value)
        return plainText();
    return QAccessibleWidget::text(t);
}

void *UpDownAccessible::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface *>(this);
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QStringList UpDownAccessible::actionNames() const {
    return QAccessibleWidget::actionNames()
           << QAccessibleActionInterface::increaseAction() << QAccessibleActionInterface::decreaseAction();
}

void UpDownAccessible::doAction(const QString &actionName) {
    if (actionName == QAccessibleActionInterface::increaseAction())
        upDown()->stepUp();
    else if (actionName == QAccessibleActionInterface::decreaseAction())
        upDown()->stepDown();
    else
        QAccessibleWidget::doAction(actionName);
}

QVariant UpDownAccessible::currentValue() const {
    return upDown()->position();
}

// A value set from outside moves step by step, so the owner follows each
// step as it follows the keys.
void UpDownAccessible::setCurrentValue(const QVariant &value) {
    const int target = qBound(upDown()->minimum(), value.toInt(), upDown()->maximum());
    while (upDown()->position() != target)
        target > upDown()->position() ? upDown()->stepUp() : upDown()->stepDown();
}

QVariant UpDownAccessible::maximumValue() const {
    return upDown()->maximum();
}

QVariant UpDownAccessible::minimumValue() const {
    return upDown()->minimum();
}

QString UpDownAccessible::plainText() const {
    return upDown()->valueText();
}
