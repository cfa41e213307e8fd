#pragma once

#include <QString>
#include <QStringList>

// Makes a new table file whole or not at all: the statements run on a file
// of another name beside it, which is renamed into place once they are
// committed. A crash while a table is created therefore never leaves a file
// of the table's name without its table, which every later start would
// refuse to open.
class NewTableFile {
public:
    // Throws OrvetError when the file cannot be made or `path` exists.
    static void create(const QString &path, const QStringList &statements);

    // The name the file is made under before it is renamed.
    static QString partPath(const QString &path) { return path + QStringLiteral(".part"); }
};
