#pragma once

#include "app/AppForms.h"
#include "app/TMainForm.h"
#include "data/TDM1.h"
#include "ScriptedDialogHost.h"
#include "TestDir.h"

#include <QDate>
#include <QString>
#include <functional>
#include <memory>

class MemoryData;
class TChesk_New_F;
class TOptions_F;
class TOrvet_New_Day_N_F;
class TOrvet_New_F;
class TPoezd_New_F;

// The program as main() starts it, on a folder of the test's own: the main
// window, the data module (with the settings file in that folder) and the
// dialogs made and bound by the program's start-up. A scripted dialog host
// stands in for every modal window from the first moment, so that start-up
// errors land in it too.
class Program {
public:
    // Starts on a fresh folder of its own, or on `folder` (a second start
    // on the same files); `prepare` runs on the folder before the data
    // module opens it.
    explicit Program(const QString &folder = QString(),
                     const std::function<void(const QString &folder)> &prepare = {});
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Shows the main window and handles its first events (the activation
    // sets the period to the previous month).
    void show();

    TOrvet_New_F &editor();
    TOrvet_New_Day_N_F &day();
    TOptions_F &options();
    TChesk_New_F &receipt();
    TPoezd_New_F &tripType();
    MemoryData &rows();

    // Data as a user enters it.
    qint64 addTrip(const QString &name, double prob, const QString &out = QStringLiteral("09:00"),
                   const QString &in = QStringLiteral("18:00"));
    void addReceipt(const QDate &date, double litres, double rubles = 0);
    void setNorm(double norm, bool winter = false);
    // The main window's period: one whole month.
    void setPeriod(int year, int month);
    // The commands on the stored waybills, the editor confirmed with Ok and
    // the deletion too; each gives the message it ended with, empty when none.
    QString storeNew(int year, int month);
    // The same, with `edit` run on the editor before its Ok, as a user
    // types a remainder and recalculates, say.
    QString storeNew(int year, int month, const std::function<void(TOrvet_New_F &)> &edit);
    QString replaceLast();
    QString deleteLast();
    // Every waybill and day row as they are on disk, read by a connection
    // of its own.
    QStringList snapshot() const;
    // Counts how often a command runs instead of doing its work.
    int *count(const QString &action);

    QString folder() const { return m_folder; }
    QString file(const QString &name) const { return m_folder + QLatin1Char('/') + name; }
    QString ini() const { return file(QStringLiteral("Orvet.ini")); }

    // Whether the programs started from now on make the day's copy of the
    // tables after the first paint, as main()'s does. Off unless a test is
    // about it, so that the other suites' files and messages stay theirs.
    static inline bool dailyBackups = false;

private:
    TestDir m_own;
    QString m_folder;

public:
    ScriptedDialogHost host;

private:
    bool m_prepared;

public:
    TMainForm mainForm;
    TDM1 dm;

private:
    AppForms m_forms;
    QList<std::shared_ptr<int>> m_counters;
};

// Every row of every table read the way the lists read them. Returns what
// is wrong when a table is not open; a failed read throws as in the program.
QString readEveryRow(TDM1 &dm);
