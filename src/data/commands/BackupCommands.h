#pragma once

#include <QDate>
#include <QList>
#include <QStringList>
#include <memory>

class TDM1;
class Table;
class TRestore_F;

// The automatic daily copy of the tables and the restore from a copy.
class BackupCommands {
public:
    explicit BackupCommands(TDM1 &dm);
    ~BackupCommands();

    // The day's copy, once per run, when none of today is there yet. A
    // failure is shown once and changes nothing else.
    void Backup_DailyExecute();
    // The copy of `today` when none is there, and the pruning after it.
    void makeDaily(const QDate &today);
    // This run makes no daily copy (tests that are not about it).
    void skipDaily() { m_dailyDone = true; }
    // Lists the copies, and puts the chosen one in the tables' place after
    // a copy of the present tables.
    void Restore_BackupExecute();

    // The folder the copies go to, as the settings file says now.
    QString folder() const;

private:
    QStringList otherFiles() const; // the settings file and the template
    QList<Table *> copiedTables() const;
    QStringList tableFiles(const QList<Table *> &tables) const;
    void restoreFrom(const QString &name, const QString &shown);

    TDM1 &m_dm;
    bool m_dailyDone = false;
    std::unique_ptr<TRestore_F> m_form;
};
