#pragma once

#include <QWidget>
#include <initializer_list>

// The order in which Tab walks a window's controls, given in one list.
class TabOrder {
public:
    static void chain(std::initializer_list<QWidget *> controls) {
        QWidget *previous = nullptr;
        for (QWidget *w : controls) {
            if (previous)
                QWidget::setTabOrder(previous, w);
            previous = w;
        }
    }
};
