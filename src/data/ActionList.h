#pragma once

#include "core/Names.h"

#include <QAction>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <functional>

// Every command of the program, registered once: name, category, caption,
// image and handler. Each runs inside the general error display.
class ActionList : public QObject {
    Q_OBJECT
public:
    explicit ActionList(QObject *parent = nullptr) : QObject(parent) {}

    QAction *add(const QString &name, const QString &category, const QString &caption, Image image,
                 std::function<void()> handler = {});
    // Binds the execute handler of a registered action (replacing any other).
    void setHandler(const QString &name, std::function<void()> handler);
    QAction *action(const QString &name) const; // throws for an unknown name

    // The picture of the program's 32x32 image list.
    static QIcon image(Image image);
    static constexpr int ImageCount = 12;

private:
    QHash<QString, QAction *> m_byName;
    QHash<QString, std::function<void()>> m_handlers;
};
