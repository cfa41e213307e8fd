#include "controls/FrameParts.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSizeGrip>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

namespace {
void nameIfUnnamed(QWidget *w, const QString &name) {
    if (w->accessibleName().isEmpty())
        w->setAccessibleName(name);
}

// A control's accessible name, or else the text of the label it is the buddy of.
QString caption(QWidget *window, QWidget *control) {
    if (!control->accessibleName().isEmpty())
        return control->accessibleName();
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->buddy() == control)
            return label->text().remove(QLatin1Char('&'));
    }
    return {};
}
} // namespace

void FrameParts::name(QWidget *window) {
    for (QSplitter *splitter : window->findChildren<QSplitter *>()) {
        for (int i = 0; i < splitter->count(); ++i)
            nameIfUnnamed(splitter->handle(i), QStringLiteral("Граница панелей"));
    }
    for (QToolBar *bar : window->findChildren<QToolBar *>()) {
        for (QToolButton *b : bar->findChildren<QToolButton *>())
            nameIfUnnamed(b, QStringLiteral("Другие кнопки"));
    }
    for (QSizeGrip *grip : window->findChildren<QSizeGrip *>())
        nameIfUnnamed(grip, QStringLiteral("Размер окна"));
    // The list and the edit line are read under the box's caption.
    for (QComboBox *combo : window->findChildren<QComboBox *>()) {
        const QString name = caption(window, combo);
        nameIfUnnamed(combo->view(), name);
        if (combo->lineEdit())
            nameIfUnnamed(combo->lineEdit(), name);
    }
}
