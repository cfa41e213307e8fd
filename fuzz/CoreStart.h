#pragma once

// The start a target without windows needs: a Qt core application (never
// destroyed: Qt's own globals may be gone by the time statics are) and the
// Russian locale the program runs in.
#include <QCoreApplication>
#include <QLocale>

inline int startCoreApplication(int *argc, char ***argv) {
    static QCoreApplication *app = new QCoreApplication(*argc, *argv);
    Q_UNUSED(app);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    return 0;
}
