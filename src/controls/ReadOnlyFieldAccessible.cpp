#include "controls/ReadOnlyFieldAccessible.h"

#include "controls/AccessibleFactory.h"

#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>

namespace {
const char *const Marker = "orvetReadOnlyField";
} // namespace

ReadOnlyFieldAccessible::ReadOnlyFieldAccessible(QWidget *field)
    : QAccessibleWidget(field, QAccessible::EditableText) {}

void ReadOnlyFieldAccessible::expose(QWidget *field) {
    field->setProperty(Marker, true);
    AccessibleFactory::renew(field);
}

bool ReadOnlyFieldAccessible::exposed(const QObject *object) {
    return object->property(Marker).toBool();
}

QAccessible::State ReadOnlyFieldAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.editable = false;
    return s;
}

QString ReadOnlyFieldAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value)
        return plainText();
    return QAccessibleWidget::text(t);
}

void *ReadOnlyFieldAccessible::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QString ReadOnlyFieldAccessible::plainText() const {
    if (const auto *label = qobject_cast<const QLabel *>(object()))
        return label->text();
    if (const auto *spin = qobject_cast<const QAbstractSpinBox *>(object()))
        return spin->text();
    if (const auto *edit = qobject_cast<const QLineEdit *>(object()))
        return edit->text();
    return {};
}
