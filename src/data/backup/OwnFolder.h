#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The folders the program makes for itself beside the tables or among the
// copies (a copy, a copy being written, a restore being staged), taken
// apart again without ever following a link and without ever removing what
// the program did not put there: a user's folder that happens to carry
// such a name, or a link to one, loses nothing.
class OwnFolder {
public:
    // What is at the path itself, links not followed.
    static bool isLink(const QString &path);
    static bool isFolder(const QString &path);
    static bool isFile(const QString &path);
    static bool exists(const QString &path);

    // The names in a real folder (not a link to one); none when the path
    // is no real folder or cannot be read.
    static std::optional<QStringList> entries(const QString &path);
    // Whether the path is a real folder holding plain files named in
    // `names` and nothing else.
    static bool holdsOnly(const QString &path, const QStringList &names);

    // Removes what is at the path when the program may: a link is removed
    // itself, whatever it points to; a real folder only when it holds
    // nothing but plain files named in `names`, each removed and then the
    // folder. True when nothing is left at the path.
    static bool remove(const QString &path, const QStringList &names);

    // Renames without replacing anything that is at the target.
    static bool renameNew(const QString &from, const QString &to);
};
