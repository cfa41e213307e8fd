#include "data/ActionList.h"

#include "controls/BakedIcon.h"
#include "core/ErrorBoundary.h"
#include "core/OrvetError.h"

QAction *ActionList::add(const QString &name, const QString &category, const QString &caption, Image image,
                         std::function<void()> handler) {
    auto *a = new QAction(caption, this);
    a->setObjectName(name);
    a->setProperty("category", category);
    a->setProperty("imageIndex", int(image));
    if (image != Image::None)
        a->setIcon(ActionList::image(image));
    connect(a, &QAction::triggered, this, [this, name] {
        const std::function<void()> handler = m_handlers.value(name);
        if (handler)
            ErrorBoundary::guarded(handler);
    });
    m_byName.insert(name, a);
    m_handlers.insert(name, std::move(handler));
    return a;
}

void ActionList::setHandler(const QString &name, std::function<void()> handler) {
    action(name); // must be registered
    m_handlers.insert(name, std::move(handler));
}

QAction *ActionList::action(const QString &name) const {
    QAction *a = m_byName.value(name);
    if (!a)
        throw OrvetError(QStringLiteral("Нет команды %1").arg(name));
    return a;
}

QIcon ActionList::image(Image image) {
    const int index = int(image);
    if (index < 0 || index >= ImageCount)
        return QIcon();
    return BakedIcon::icon(QString::number(index));
}

