#pragma once

#include "core/PlainAccessibleText.h"

#include <QAccessibleWidget>

// A field that only shows a value (a reading, a read-only date): a screen
// reader hears its caption as the name and the value shown as its text,
// and knows it cannot be typed into.
class ReadOnlyFieldAccessible : public QAccessibleWidget, public PlainAccessibleText {
public:
    explicit ReadOnlyFieldAccessible(QWidget *field);

    // Makes `field` (a label, a line edit or a spin box) read this way from
    // now on, its caption being its accessible name.
    static void expose(QWidget *field);
    static bool exposed(const QObject *object);

    QAccessible::State state() const override;
    using PlainAccessibleText::text; // the text interface's own, by offsets
    QString text(QAccessible::Text t) const override;
    void *interface_cast(QAccessible::InterfaceType t) override;
    QString plainText() const override;
};
