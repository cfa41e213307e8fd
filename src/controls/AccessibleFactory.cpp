#include "controls/AccessibleFactory.h"

#include "controls/ReadOnlyFieldAccessible.h"
#include "controls/UpDown.h"
#include "controls/UpDownAccessible.h"

#include <QAccessible>

namespace {
QAccessibleInterface *create(const QString &className, QObject *object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("UpDown"))
        return new UpDownAccessible(static_cast<UpDown *>(object));
    if (ReadOnlyFieldAccessible::exposed(object))
        return new ReadOnlyFieldAccessible(static_cast<QWidget *>(object));
    return nullptr;
}
} // namespace

void AccessibleFactory::install() {
    static const bool installed = [] {
        QAccessible::installFactory(create);
        return true;
    }();
    Q_UNUSED(installed);
}

void AccessibleFactory::renew(QObject *object) {
    install();
    QAccessibleInterface *made = QAccessible::queryAccessibleInterface(object);
    if (made && !dynamic_cast<ReadOnlyFieldAccessible *>(made) && !dynamic_cast<UpDownAccessible *>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}
