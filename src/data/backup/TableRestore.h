#pragma once

#include <QString>
#include <QStringList>

// Puts the table files of a copy in place of the present ones, all of them
// or none, even when the program is killed half-way:
//
// 1. stage(): the copy's files are copied into a hidden folder beside the
//    tables and written to the disk;
// 2. commit(): a marker listing them is written to the disk and renamed
//    into the stage folder (one atomic step: from here on the restore
//    counts as done), then each staged file is renamed over its table
//    file, and the stage folder goes.
//
// finishPending(), at every start before a table is opened, completes a
// restore whose marker is there (renaming what is left) and drops a stage
// without a marker, which leaves the old tables as they were. It acts only
// on a real folder holding nothing but what a stage holds: a link in the
// stage's place is removed itself, never followed, and a folder of the
// user's that bears the name is left alone.
class TableRestore {
public:
    explicit TableRestore(const QString &dataDir) : m_dir(dataDir) {}

    QString stagePath() const { return m_dir + QStringLiteral("/.orvet-restore"); }
    QString markerPath() const { return stagePath() + QStringLiteral("/ready"); }

    // Throws OrvetError naming the file that could not be copied.
    void stage(const QString &copyFolder, const QStringList &files) const;
    // The table files must be closed. Throws OrvetError when the marker
    // cannot be written (nothing changed) or a rename fails (finished at
    // the next start).
    void commit(const QStringList &files) const;
    // Removes the stage without changing anything.
    void discard() const;

    // Returns true when it put restored files in place.
    bool finishPending() const;

private:
    void renameStaged(const QStringList &files) const;

    QString m_dir;
};
