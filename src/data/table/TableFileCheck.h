#pragma once

#include <QHash>
#include <QSet>
#include <QString>

class Database;
class Table;

// Lets SQLite look over a table file at start-up, so that a damaged file
// is refused then, with its name, rather than failing later wherever a
// list or a command first reads the damaged part.
//
// Reading every page of decades of data takes far longer than the rest of
// the start, so a file is looked over only when it is not exactly as the
// program left it: the program notes each file's size, times and inode
// when it has checked it and when it closes, and a file that anything
// wrote since (a run that ended without closing, a copy, a restore, a
// damaged disk write) no longer matches its note. A file is noted only as
// the program itself left it: one that anything else changed while the
// program ran (a copy put in its place, say) keeps no note, so the next
// start looks it over.
class TableFileCheck {
public:
    explicit TableFileCheck(const QString &directory);

    // Throws OrvetError naming the file when SQLite finds it damaged.
    // Skips the look-over when the file is as last noted.
    void verify(Database &db, const Table &table);
    // Whether the last verify() had SQLite read the file.
    bool lastLookedOver() const { return m_lookedOver; }

    // Around each write of the program's own (Database::watchWrites): a
    // file found changed before the write was changed by something else,
    // and the write would hide that. Returns the files so changed.
    QStringList beforeWrite();
    void afterWrite();

    // Notes the files as they are now, each only if nothing but the
    // program changed it since it was verified; a file not open (not
    // verified, or refused) or changed by another loses its note. Writing
    // the note may fail: the files are then looked over at the next start.
    void remember(const QList<Table *> &tables);

    // The note, a hidden file beside the tables.
    static QString noteName() { return QStringLiteral(".orvet-checked"); }

    // What SQLite says of the file, always reading it in full.
    static void lookOver(Database &db, const QString &fileName);

private:
    QString stampOf(const QString &fileName) const;
    QHash<QString, QString> readNote() const;

    QString m_dir;
    bool writeNote(const QByteArray &text);

    QHash<QString, QString> m_noted;
    QHash<QString, QString> m_left; // each verified file as the program last left it
    QSet<QString> m_foreign;        // changed by something else during this run
    bool m_lookedOver = false;
};
