#pragma once

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
