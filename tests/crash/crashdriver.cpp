// Drives the data module headless for the crash test (crash_test.py).
//
//   crashdriver run <dir> <seed>   stores, replaces and deletes waybills in a
//                                  loop until it is killed; every operation is
//                                  announced on stdout before it starts
//                                  ("BEGIN ...") and after it has committed
//                                  ("DONE ...").
//   crashdriver backups <dir>      copies the tables again and again, each
//                                  copy under the next day's name
//                                  ("BEGIN backup <name>", "DONE backup <name>").
//   crashdriver restores <dir>     restores two copies in turn through the
//                                  restore command ("BEGIN restore <n>",
//                                  "DONE restore <n>": n waybills, as many
//                                  rows in each of the four tables).
//   crashdriver check <dir>        starts the program on the folder as a user
//                                  would (data module, windows, main window
//                                  shown) and reads every table; exits 0 only
//                                  when nothing was reported.
#include "Program.h"
#include "ScriptedDialogHost.h"
#include "TestDir.h"

#include "core/OrvetError.h"
#include "data/backup/BackupFolder.h"
#include "data/backup/BackupWriter.h"
#include "data/backup/CopyCheck.h"
#include "data/commands/PrintCommand.h"
#include "data/TDM1.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"
#include "forms/TRestore_F.h"
#include "report/ReportTemplateParser.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTreeWidget>
#include <unistd.h>

namespace {

// One write per line, so that a kill never leaves half a line behind a
// complete one.
void say(const QString &line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}

int fail(const QString &what) {
    say(QStringLiteral("ERROR ") + QString(what).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    return 2;
}

// Trip types and a receipt in every month of the two years the loop works
// on, in one transaction so that a kill leaves all of them or none.
void seed(TDM1 &dm) {
    if (!dm.LPoezd().isEmpty())
        return;
    Transaction t(dm.database());
    const QStringList names{QStringLiteral("Офис"), QStringLiteral("Склад"), QStringLiteral("Банк"),
                            QStringLiteral("Налоговая"), QStringLiteral("Объезд")};
    for (int i = 0; i < names.size(); ++i)
        dm.LPoezd().insertRecord(
            {{}, names[i], QStringLiteral("09:00"), QStringLiteral("18:00"), 12.0 + 7 * i});
    for (int year = 2023; year <= 2024; ++year)
        for (int month = 1; month <= 12; ++month)
            dm.Chesks().insertRecord({{}, QDate(year, month, 10), 40.0 + month, 2000.0 + 10 * month});
    t.commit();
}

qint64 lastId(TDM1 &dm) {
    Table &w = dm.Orvet();
    if (w.isEmpty())
        return 0;
    w.last();
    return w.value(QStringLiteral("ID")).toLongLong();
}

int daysOf(TDM1 &dm, qint64 id) {
    Table &w = dm.Orvet();
    return w.locate(QStringLiteral("ID"), id) ? w.asDate(QStringLiteral("DATE")).daysInMonth() : 0;
}

class Loop {
public:
    Loop(TDM1 &dm, ScriptedDialogHost &host, quint32 seed) : m_dm(dm), m_host(host), m_rand(seed) {}

    int run() {
        for (;;) {
            const int count = m_dm.Orvet().recordCount();
            const int pick = int(m_rand.bounded(10));
            QString error;
            if (count < 3 || (count < 12 && pick < 4))
                error = storeNew();
            else if (pick < 7)
                error = replace();
            else
                error = remove();
            if (!error.isEmpty())
                return fail(error);
            m_host.messages.clear();
        }
    }

private:
    // The editor as the user confirms it.
    void confirmEditor() {
        m_host.expectDialog([](QDialog *d) {
            static_cast<TOrvet_New_F *>(d)->BitBtn1Click();
            return int(QDialog::Accepted);
        });
    }
    QString errors() const { return m_host.errors.join(QLatin1Char(' ')); }

    QString storeNew() {
        const QDate first(2023 + int(m_rand.bounded(2)), 1 + int(m_rand.bounded(12)), 1);
        m_dm.setPeriod(first, first.addMonths(1).addDays(-1));
        m_dm.FS1().setValue(StoredValues::Winter, first.month() <= 4 || first.month() >= 11);
        const qint64 before = lastId(m_dm);
        say(QStringLiteral("BEGIN new %1").arg(first.toString(Qt::ISODate)));
        confirmEditor();
        m_dm.execute(QStringLiteral("New_Orvet"));
        if (!m_host.errors.isEmpty())
            return errors();
        const qint64 id = lastId(m_dm);
        if (id <= before)
            return QStringLiteral("new waybill not stored: ") + m_host.messages.join(QLatin1Char(' '));
        say(QStringLiteral("DONE new %1 %2").arg(id).arg(daysOf(m_dm, id)));
        return QString();
    }

    qint64 selectAny() {
        Table &w = m_dm.Orvet();
        w.setCurrentRow(int(m_rand.bounded(w.recordCount())));
        return w.value(QStringLiteral("ID")).toLongLong();
    }

    QString replace() {
        const qint64 old = selectAny();
        say(QStringLiteral("BEGIN replace %1").arg(old));
        confirmEditor();
        m_dm.execute(QStringLiteral("New_Orvet_Edit"));
        if (!m_host.errors.isEmpty())
            return errors();
        const qint64 id = lastId(m_dm);
        if (id <= old || m_dm.Orvet().locate(QStringLiteral("ID"), old))
            return QStringLiteral("waybill %1 not replaced").arg(old);
        say(QStringLiteral("DONE replace %1 %2 %3").arg(old).arg(id).arg(daysOf(m_dm, id)));
        return QString();
    }

    QString remove() {
        const qint64 id = selectAny();
        say(QStringLiteral("BEGIN delete %1").arg(id));
        m_host.answerConfirm(true);
        m_dm.execute(QStringLiteral("New_Orvet_Del"));
        if (!m_host.errors.isEmpty())
            return errors();
        if (m_dm.Orvet().locate(QStringLiteral("ID"), id))
            return QStringLiteral("waybill %1 not deleted").arg(id);
        say(QStringLiteral("DONE delete %1").arg(id));
        return QString();
    }

    TDM1 &m_dm;
    ScriptedDialogHost &m_host;
    QRandomGenerator m_rand;
};

int run(const QString &dir, quint32 seedValue) {
    Program program(dir);
    TDM1 &dm = program.dm;
    ScriptedDialogHost &host = program.host;
    if (!host.errors.isEmpty())
        return fail(QStringLiteral("start: ") + host.errors.join(QLatin1Char(' ')));
    dm.FS1().setValue(StoredValues::Rashodna100km, 9.5);
    dm.FS1().setValue(StoredValues::StartoviyProbeg, 15000);
    dm.random().seed(seedValue);
    try {
        seed(dm);
    } catch (const OrvetError &e) {
        return fail(QStringLiteral("seed: ") + e.message());
    }
    say(QStringLiteral("READY"));
    return Loop(dm, host, seedValue).run();
}

// Rows in all four tables, one each, in one transaction.
void addRows(TDM1 &dm, int count) {
    Transaction t(dm.database());
    for (int i = 0; i < count; ++i) {
        const int n = dm.Orvet().recordCount() + 1;
        const QDate month(2025, 1 + (n - 1) % 12, 1);
        const qint64 id = dm.Orvet().insertRecord(
            {{}, month, QString::number(n), QStringLiteral("2025"), QStringLiteral("Январь"), 0.0, 0.0, 0.0, 0.0});
        dm.OrvetSost().insertRecord({{}, id, QStringLiteral("01"), QString(), QString(), QString(), 0.0, 0.0, 0.0, 0.0});
        dm.Chesks().insertRecord({{}, month, 10.0, 500.0});
        dm.LPoezd().insertRecord({{}, QStringLiteral("Поездка %1").arg(n), QStringLiteral("09:00"),
                                  QStringLiteral("18:00"), 5.0});
    }
    t.commit();
}

QString backupsOf(TDM1 &dm) { return dm.database().directory() + QStringLiteral("/backups"); }

int backups(const QString &dir) {
    Program program(dir);
    TDM1 &dm = program.dm;
    if (!program.host.errors.isEmpty())
        return fail(QStringLiteral("start: ") + program.host.errors.join(QLatin1Char(' ')));
    try {
        if (dm.Orvet().recordCount() < 40)
            addRows(dm, 40);
        const BackupFolder folder(backupsOf(dm));
        // Days long past, after the last of them made so far.
        QDate day(2000, 1, 1);
        for (const QString &name : folder.list())
            if (BackupFolder::dayOf(name).year() < 2010)
                day = qMax(day, BackupFolder::dayOf(name).addDays(1));
        say(QStringLiteral("READY"));
        for (;; day = day.addDays(1)) {
            const QString name = BackupFolder::dailyName(day);
            say(QStringLiteral("BEGIN backup ") + name);
            BackupWriter::write(dm.database(), dm.tables(), {program.ini()}, folder.path(), name);
            say(QStringLiteral("DONE backup ") + name);
        }
    } catch (const OrvetError &e) {
        return fail(e.message());
    }
}

int restores(const QString &dir) {
    Program program(dir);
    TDM1 &dm = program.dm;
    ScriptedDialogHost &host = program.host;
    if (!host.errors.isEmpty())
        return fail(QStringLiteral("start: ") + host.errors.join(QLatin1Char(' ')));
    const BackupFolder folder(backupsOf(dm));
    const QStringList sides{QStringLiteral("2000-01-01"), QStringLiteral("2000-01-02")};
    try {
        // One waybill in the first copy, two in the second, three at first in the tables.
        if (!folder.list().contains(sides[1])) {
            if (!dm.Orvet().isEmpty())
                return fail(QStringLiteral("the folder has waybills already"));
            addRows(dm, 1);
            BackupWriter::write(dm.database(), dm.tables(), {}, folder.path(), sides[0]);
            addRows(dm, 1);
            BackupWriter::write(dm.database(), dm.tables(), {}, folder.path(), sides[1]);
            addRows(dm, 1);
        }
    } catch (const OrvetError &e) {
        return fail(e.message());
    }
    say(QStringLiteral("READY"));
    for (int i = 0;; ++i) {
        const QString shown = QDate::fromString(sides[i % 2], Qt::ISODate).toString(QStringLiteral("dd.MM.yyyy"));
        host.expectDialog([shown](QDialog *d) {
            auto *f = static_cast<TRestore_F *>(d);
            for (int row = 0; row < f->ListView1->topLevelItemCount(); ++row)
                if (f->ListView1->topLevelItem(row)->text(0) == shown)
                    f->choose(row);
            return int(QDialog::Accepted);
        });
        host.answerConfirm(true);
        say(QStringLiteral("BEGIN restore %1").arg(i % 2 + 1));
        dm.execute(Actions::Restore_Backup);
        if (!host.errors.isEmpty())
            return fail(host.errors.join(QLatin1Char(' ')));
        if (dm.Orvet().recordCount() != i % 2 + 1)
            return fail(QStringLiteral("restored %1 waybills").arg(dm.Orvet().recordCount()));
        say(QStringLiteral("DONE restore %1").arg(i % 2 + 1));
        host.messages.clear();
        host.questions.clear();
    }
}

int check(const QString &dir) {
    Program::dailyBackups = true;
    const QString today = BackupFolder::dailyName(QDate::currentDate());
    const bool due = !QFileInfo::exists(QDir(dir).filePath(QStringLiteral("backups/") + today));
    Program start(dir);
    start.show();
    // The day's copy follows the first paint; run now, if it has not yet,
    // so that the folder is looked at after it.
    start.dm.execute(Actions::Backup_Daily);
    TDM1 &dm = start.dm;
    ScriptedDialogHost &host = start.host;
    if (!host.errors.isEmpty())
        return fail(QStringLiteral("start: ") + host.errors.join(QLatin1Char(' ')));
    QString problem;
    try {
        problem = readEveryRow(dm);
        // The template written at the first start must be whole.
        QFile frf(QDir(dir).filePath(PrintCommand::TemplateFile));
        if (frf.exists()) {
            if (!frf.open(QIODevice::ReadOnly))
                problem = QStringLiteral("template cannot be read");
            else
                ReportTemplateParser::parse(frf.readAll());
        }
    } catch (const OrvetError &e) {
        problem = e.message();
    }
    start.mainForm.close();
    if (!problem.isEmpty())
        return fail(problem);
    if (!start.host.errors.isEmpty())
        return fail(QStringLiteral("backup: ") + start.host.errors.join(QLatin1Char(' ')));
    // Every copy listed is whole; nothing half-written is left.
    const BackupFolder folder(start.file(QStringLiteral("backups")));
    for (const QString &name : folder.list()) {
        try {
            CopyCheck::check(folder.pathOf(name), CopyCheck::specsOf(dm.tables()));
        } catch (const OrvetError &e) {
            return fail(QStringLiteral("copy %1: %2").arg(name, e.message()));
        }
    }
    if (!QDir(folder.path()).entryList({QStringLiteral(".part-*")}, QDir::Dirs | QDir::Hidden).isEmpty())
        return fail(QStringLiteral("a half-written copy is left"));
    if (due && !folder.list().contains(today))
        return fail(QStringLiteral("no copy of the day"));
    say(QStringLiteral("OK %1 %2").arg(dm.Orvet().recordCount()).arg(dm.OrvetSost().recordCount()));
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    pinRussianLocale();
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("check"))
        return check(args[2]);
    if (args.size() >= 4 && args[1] == QLatin1String("run"))
        return run(args[2], args[3].toUInt());
    if (args.size() >= 3 && args[1] == QLatin1String("backups"))
        return backups(args[2]);
    if (args.size() >= 3 && args[1] == QLatin1String("restores"))
        return restores(args[2]);
    say(QStringLiteral("usage: crashdriver run <dir> <seed> | backups <dir> | restores <dir> | check <dir>"));
    return 1;
}
