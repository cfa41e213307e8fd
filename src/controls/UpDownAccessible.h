#pragma once

#include "core/PlainAccessibleText.h"

#include <QAccessibleWidget>

class UpDown;

// The up-down as a screen reader should know it: a spin button whose value
// is what it moves (the text its owner gives it), stepped by the increase
// and decrease actions.
class UpDownAccessible : public QAccessibleWidget,
                         public QAccessibleValueInterface,
                         public PlainAccessibleText {
public:
    explicit UpDownAccessible(UpDown *upDown);

    using PlainAccessibleText::text; // the text interface's own, by offsets
    QString text(QAccessible::Text t) const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override { return 1; }

    QString plainText() const override;

private:
    UpDown *upDown() const;
};
