#pragma once

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QString>
#include <QTemporaryDir>

// A working folder for one test, with the settings file inside it.
struct TestDir {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString file(const QString &name) const { return dir.filePath(name); }
    QString ini() const { return dir.filePath(QStringLiteral("Orvet.ini")); }
};

inline void pinRussianLocale() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

// A font no larger than the one the windows were drawn for, so that every
// drawn pixel size stands as drawn; the system's wider font grows them.
inline void useSmallFont() {
    QFont f = QApplication::font();
    f.setPixelSize(9);
    QApplication::setFont(f);
}
