#include "FileFaults.h"
#include "Program.h"

#include "app/TMainForm.h"
#include "controls/DBGrid.h"
#include "core/Names.h"
#include "data/backup/BackupFolder.h"
#include "data/backup/BackupWriter.h"
#include "data/backup/CopyCheck.h"
#include "data/backup/TableRestore.h"
#include "data/waybill/TankTable.h"
#include "data/commands/BackupCommands.h"
#include "data/table/Table.h"
#include "forms/TOptions_F.h"
#include "forms/TRestore_F.h"
#include "settings/BackupSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <unistd.h>

namespace {
const QStringList TableFileNames{QStringLiteral("Orvet.db"), QStringLiteral("OrvetSost.db"),
                                 QStringLiteral("Chesks.db"), QStringLiteral("LPoezd.db")};

QString monthName(int month) {
    const QString name = QLocale().standaloneMonthName(month);
    return name.left(1).toUpper() + name.mid(1);
}

// Waybill headers of January, February… numbered 1, 2…, with a day row,
// a receipt and a trip type each, so that every file changes.
void addWaybills(TDM1 &dm, int count) {
    Transaction t(dm.database());
    for (int i = 0; i < count; ++i) {
        const int n = dm.Orvet().recordCount() + 1;
        const QDate month(2026, n, 1);
        const qint64 id = dm.Orvet().insertRecord(
            {{}, month, QString::number(n), QStringLiteral("2026"), monthName(n), 0.0, 0.0, 0.0, 0.0});
        dm.OrvetSost().insertRecord({{}, id, QStringLiteral("01"), QString(), QString(), QString(), 0.0, 0.0, 0.0, 0.0});
        dm.Chesks().insertRecord({{}, month, 10.0, 500.0});
        dm.LPoezd().insertRecord({{}, QStringLiteral("Поездка %1").arg(n), QStringLiteral("09:00"),
                                  QStringLiteral("18:00"), 5.0});
    }
    t.commit();
}

// A copy as the day's copy makes it, under the name given.
void copyTables(TDM1 &dm, const char *name) {
    BackupWriter::write(dm.database(), dm.tables(), {}, dm.database().directory() + QStringLiteral("/backups"),
                        QLatin1String(name));
}

// A folder whose copy `name` holds `before` waybills, with `after` more
// stored since.
void storeAroundACopy(const QString &folder, int before, const char *name, int after) {
    Program p(folder);
    addWaybills(p.dm, before);
    copyTables(p.dm, name);
    addWaybills(p.dm, after);
}

QString backups(const Program &p) { return p.file(QStringLiteral("backups")); }

// The row counts of the four tables as another program reads them.
QList<int> counts(const QString &folder) {
    QList<int> n;
    for (const QString &f : TableFileNames) {
        OtherConnection c(folder + QLatin1Char('/') + f);
        n.append(c.rows(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(QFileInfo(f).completeBaseName()))
                     .value(0)
                     .toInt());
    }
    return n;
}

// Every file under a folder with its bytes, links as where they point.
QMap<QString, QByteArray> contents(const QString &folder) {
    QMap<QString, QByteArray> found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        found.insert(f.filePath(), f.isSymLink() ? f.symLinkTarget().toUtf8() : f.isDir() ? "/" : readAll(f.filePath()));
    }
    return found;
}

// Chooses the copy whose shown date begins with `date`.
ScriptedDialogHost::DialogScript chooseCopy(const QString &date, QStringList *shown = nullptr) {
    return [date, shown](QDialog *d) {
        auto *f = qobject_cast<TRestore_F *>(d);
        for (int i = 0; i < f->ListView1->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = f->ListView1->topLevelItem(i);
            if (shown)
                shown->append(QStringList{item->text(0), item->text(1), item->text(2)}.join(QLatin1Char('|')));
            if (item->text(0).startsWith(date))
                f->choose(i);
        }
        return int(QDialog::Accepted);
    };
}
} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        pinRussianLocale();
        Program::dailyBackups = true;
    }

    // The first start of a day copies the tables after the first paint;
    // later starts that day leave it; the next day brings a new one, and
    // clears what a copy cut short left.
    void dailyCopyAfterTheFirstPaintOnceADay() {
        TestDir dir;
        const QString today = BackupFolder::dailyName(QDate::currentDate());
        {
            Program p(dir.path());
            addWaybills(p.dm, 2);
            p.dm.FS1().writeAll();
            p.show();
            QTRY_VERIFY(QFileInfo(backups(p) + QLatin1Char('/') + today).isDir());
            QVERIFY2(p.host.errors.isEmpty(), qPrintable(p.host.errors.join(' ')));
            const QString copy = backups(p) + QLatin1Char('/') + today;
            QCOMPARE(QDir(copy).entryList(QDir::Files, QDir::Name),
                     (QStringList{"Chesks.db", "LPoezd.db", "Orvet.db", "Orvet.ini", "OrvetBak.db", "OrvetSost.db", "Orvet_Main.frf"}));
            QCOMPARE(counts(copy), (QList<int>{2, 2, 2, 2}));
            QCOMPARE(readAll(copy + QStringLiteral("/Orvet.ini")), readAll(p.ini()));
        }
        const QString copy = dir.file(QStringLiteral("backups/") + today);
        const QByteArray before = readAll(copy + QStringLiteral("/Orvet.db"));
        {
            Program p(dir.path());
            addWaybills(p.dm, 1);
            p.show();
            QTest::qWait(50);
            QCOMPARE(BackupFolder(backups(p)).list(), QStringList{today});
            QCOMPARE(readAll(copy + QStringLiteral("/Orvet.db")), before);
        }
        const QString yesterday = BackupFolder::dailyName(QDate::currentDate().addDays(-1));
        QVERIFY(QDir(dir.file(QStringLiteral("backups"))).rename(today, yesterday));
        QVERIFY(QDir().mkpath(dir.file(QStringLiteral("backups/.part-") + today)));
        {
            Program p(dir.path());
            p.show();
            QTRY_VERIFY(QFileInfo(copy).isDir());
            QCOMPARE(BackupFolder(backups(p)).list(), (QStringList{yesterday, today}));
            QCOMPARE(counts(copy), (QList<int>{3, 3, 3, 3}));
            QVERIFY(!QFileInfo::exists(dir.file(QStringLiteral("backups/.part-") + today)));
        }
        // Off in the settings: no copy.
        QDir(copy).removeRecursively();
        {
            Program p(dir.path());
            BackupSettings(&p.dm.iniFile()).write(false, QString());
            p.show();
            QTest::qWait(50);
            QVERIFY(!QFileInfo::exists(copy));
        }
    }

    void retention_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("kept");
        const QDate today(2026, 12, 8);
        QStringList daily;
        for (QDate d(2026, 10, 1); d <= today; d = d.addDays(1))
            daily.append(BackupFolder::dailyName(d));
        // The 14 latest days, and October's last (November's is among them).
        QTest::newRow("every day since October") << daily << (QStringList{"2026-10-31"} + daily.mid(daily.size() - 14));

        QStringList monthly;
        for (int i = 0; i < 30; ++i)
            monthly.append(BackupFolder::dailyName(QDate(2024, 6, 15).addMonths(i)));
        // One a month back to January 2025, the 24th month up to December 2026.
        QTest::newRow("one a month, 30 months") << monthly << monthly.mid(7);

        QStringList sparse{"2023-01-05", "2024-12-31", "2025-01-02", "2025-01-03"};
        for (int d = 1; d <= 14; ++d)
            sparse.append(BackupFolder::dailyName(QDate(2026, 12, 1).addDays(d - 1 - 7)));
        std::sort(sparse.begin(), sparse.end());
        // January 2025 is the 24th month, December 2024 the 25th.
        const QStringList sparseKept = QStringList{"2025-01-03"} + sparse.mid(4);
        QTest::newRow("old months drop out") << sparse << sparseKept;

        QStringList restores{"2026-12-07", "2026-12-08", "2026-12-08_10-00-00", "2026-12-08_11-30-00"};
        QTest::newRow("copies before a restore count with their day") << restores << restores;

        QTest::newRow("other names are not copies") << QStringList{"notes", "2026-13-01", ".part-2026-12-08"}
                                                    << QStringList{};
    }

    void retention() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, kept);
        QCOMPARE(BackupFolder::keep(names, QDate(2026, 12, 8)), kept);
    }

    // On a real folder, pruning removes the rest and nothing it keeps.
    void pruneRemovesWhatIsNotKept() {
        TestDir dir;
        const BackupFolder folder(dir.path());
        QStringList all;
        for (QDate d(2026, 9, 1); d <= QDate(2026, 12, 8); d = d.addDays(1)) {
            all.append(BackupFolder::dailyName(d));
            QVERIFY(QDir().mkpath(folder.pathOf(all.last())));
            for (const QString &f : TableFileNames)
                writeAll(folder.pathOf(all.last()) + QLatin1Char('/') + f, "x");
            writeAll(folder.pathOf(all.last()) + QLatin1Char('/') + BackupFolder::markerName(),
                     BackupFolder::markerText(TableFileNames));
        }
        const QStringList removed = folder.prune(QDate(2026, 12, 8));
        QCOMPARE(folder.list(), BackupFolder::keep(all, QDate(2026, 12, 8)));
        QCOMPARE(removed.size() + folder.list().size(), all.size());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 folder.list().size());
    }

    // The copies' folder set to one the user keeps dated folders of his
    // own in: 40 days of copies remove none of them, nor a copy made
    // before copies carried their marker, while the program's own copies
    // are pruned as ever.
    void theUsersDatedFoldersAreNeverCopies() {
        TestDir dir, photos;
        QStringList users;
        for (int i = 0; i < 23; ++i)
            users.append(BackupFolder::dailyName(QDate(2023, 1, 1).addDays(i * 47)));
        users << QStringLiteral("2026-11-05") << QStringLiteral("2026-11-20_10-00-00"); // among the days run
        for (const QString &u : std::as_const(users)) {
            QVERIFY(QDir().mkpath(photos.file(u + QStringLiteral("/альбом"))));
            writeAll(photos.file(u + QStringLiteral("/IMG_0001.jpg")), u.toUtf8());
            writeAll(photos.file(u + QStringLiteral("/альбом/IMG_0002.jpg")), "photo");
        }
        // Named like the tables, and an empty folder: still the user's.
        QVERIFY(QDir().mkpath(photos.file(QStringLiteral("2024-02-02"))));
        QVERIFY(QDir().mkpath(photos.file(QStringLiteral("2024-03-03"))));
        for (const QString &f : TableFileNames)
            writeAll(photos.file(QStringLiteral("2024-02-02/") + f), "not a table");
        Program p(dir.path());
        addWaybills(p.dm, 1);
        copyTables(p.dm, "2024-01-01"); // a copy from before the marker
        QVERIFY(QFile::remove(backups(p) + QStringLiteral("/2024-01-01/") + BackupFolder::markerName()));
        QVERIFY(QDir().rename(backups(p) + QStringLiteral("/2024-01-01"), photos.file(QStringLiteral("2024-01-01"))));
        const QMap<QString, QByteArray> before = contents(photos.path());
        BackupSettings(&p.dm.iniFile()).write(true, photos.path());
        const QDate first(2026, 11, 1);
        for (int day = 0; day < 40; ++day)
            p.dm.backupCommands().makeDaily(first.addDays(day));
        QVERIFY2(p.host.errors.isEmpty(), qPrintable(p.host.errors.join(' ')));
        const QMap<QString, QByteArray> after = contents(photos.path());
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
        const BackupFolder folder(photos.path());
        QCOMPARE(folder.ownCopies(), BackupFolder::keep(folder.ownCopies(), first.addDays(39)));
        QCOMPARE(folder.ownCopies().size(), BackupFolder::DailyKept); // the program pruned its own
        // Listed for a restore, which checks them; never removed.
        QVERIFY(folder.list().contains(QStringLiteral("2024-01-01")));
        QVERIFY(folder.list().contains(QStringLiteral("2024-02-02")));
    }

    // A copies' folder that holds the tables, or the home folder, is
    // refused by the settings dialog, and by the day's copy when it was
    // set by hand; a folder beside the tables is taken.
    void aFolderHoldingTheTablesIsRefusedForCopies_data() {
        QTest::addColumn<QString>("given"); // "~" for the home folder
        QTest::addColumn<QString>("reason");
        QTest::newRow("the tables' folder") << "." << "это папка с таблицами";
        QTest::newRow("the tables' folder by its path") << "@" << "это папка с таблицами";
        QTest::newRow("a link to it") << "link" << "это папка с таблицами";
        QTest::newRow("its parent") << ".." << "в ней лежит папка с таблицами";
        QTest::newRow("the root") << "/" << "в ней лежит папка с таблицами";
        QTest::newRow("home") << "~" << "это домашняя папка";
        QTest::newRow("beside the tables") << "../copies" << "";
    }

    void aFolderHoldingTheTablesIsRefusedForCopies() {
        QFETCH(QString, given);
        QFETCH(QString, reason);
        TestDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const QString data = home.file(QStringLiteral("cars/Orvet"));
        QVERIFY(QDir().mkpath(data));
        QVERIFY(QFile::link(data, home.file(QStringLiteral("link"))));
        const QString folder = given == QLatin1String("~")      ? home.path()
                               : given == QLatin1String("@")    ? data
                               : given == QLatin1String("link") ? home.file(QStringLiteral("link"))
                                                                : given;
        {
            Program p(data);
            p.host.expectDialog([&folder](QDialog *d) {
                auto *f = qobject_cast<TOptions_F *>(d);
                f->BackupFolder->setText(folder);
                f->BitBtn1->click();
                return d->result();
            });
            p.dm.execute(Actions::Options_Main);
            QCOMPARE(p.host.errors.size(), reason.isEmpty() ? 0 : 1);
            if (!reason.isEmpty()) {
                QVERIFY2(p.host.errors.first().startsWith(QStringLiteral("Папку ")) &&
                             p.host.errors.first().contains(QStringLiteral("нельзя выбрать для резервных копий: ") + reason),
                         qPrintable(p.host.errors.first()));
                QCOMPARE(BackupSettings(&p.dm.iniFile()).folder(), QString());
                BackupSettings(&p.dm.iniFile()).write(true, folder); // by hand
                p.host.errors.clear();
                p.dm.backupCommands().makeDaily(QDate(2026, 5, 5));
                QCOMPARE(p.host.errors.size(), 1);
                QVERIFY2(p.host.errors.first().contains(reason), qPrintable(p.host.errors.first()));
            }
        }
        qputenv("HOME", oldHome);
    }

    // A link where the program keeps a folder of its own (a copy being
    // written, a copy, the restore's stage) is never walked: whatever it
    // points to keeps every file, even a whole copy with a restore's
    // marker; the tables stay as they were.
    void linksAreNeverWalked_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("stays");
        QTest::newRow("a copy being written") << "backups/.part-2026-05-05" << false;
        QTest::newRow("an old copy") << "backups/2020-01-01" << true;
        QTest::newRow("the restore's stage") << ".orvet-restore" << false;
    }

    void linksAreNeverWalked() {
        QFETCH(QString, link);
        QFETCH(bool, stays);
        TestDir dir, elsewhere;
        storeAroundACopy(dir.path(), 2, "2020-01-01", 1);
        const QString target = elsewhere.file(QStringLiteral("copy"));
        QVERIFY(QDir().rename(dir.file(QStringLiteral("backups/2020-01-01")), target));
        writeAll(target + QStringLiteral("/ready"), TableFileNames.join(QLatin1Char('\n')).toUtf8());
        writeAll(target + QStringLiteral("/letter.txt"), "the user's own");
        const QMap<QString, QByteArray> before = contents(elsewhere.path());
        QVERIFY(QFile::link(target, dir.file(link)));
        {
            Program p(dir.path());
            p.dm.backupCommands().makeDaily(QDate(2026, 5, 5));
            QVERIFY2(p.host.errors.isEmpty(), qPrintable(p.host.errors.join(' ')));
        }
        QCOMPARE(contents(elsewhere.path()), before);
        QCOMPARE(counts(dir.path()), (QList<int>{3, 3, 3, 3}));
        QCOMPARE(QFileInfo(dir.file(link)).isSymLink(), stays);
        QCOMPARE(BackupFolder(dir.file(QStringLiteral("backups"))).list(), QStringList{"2026-05-05"});
    }

    // A copy that cannot be made is reported once, leaves no listed or
    // half-written copy, and the program works on.
    void failedCopyShownOnce_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("folder is a file") << "file";
        QTest::newRow("disk full") << "full";
        if (::geteuid() != 0)
            QTest::newRow("folder not writable") << "readonly";
    }

    void failedCopyShownOnce() {
        QFETCH(QString, fault);
        TestDir dir;
        {
            Program p(dir.path());
            addWaybills(p.dm, 3);
        }
        const QList<int> before = counts(dir.path());
        const QString folder = dir.file(QStringLiteral("backups"));
        if (fault == QLatin1String("file"))
            writeAll(folder, "not a folder");
        if (fault == QLatin1String("readonly")) {
            QVERIFY(QDir().mkpath(folder));
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        }
        {
            Program p(dir.path());
            std::unique_ptr<FileSizeLimit> full;
            if (fault == QLatin1String("full"))
                full = std::make_unique<FileSizeLimit>(2048); // the copy's first file does not fit
            p.show();
            QTRY_COMPARE(p.host.errors.size(), 1);
            full.reset();
            QVERIFY2(p.host.errors.first().startsWith(QStringLiteral("Не удалось сделать резервную копию")),
                     qPrintable(p.host.errors.first()));
            p.dm.execute(Actions::Backup_Daily);
            QCOMPARE(p.host.errors.size(), 1);
            QCOMPARE(readEveryRow(p.dm), QString());
            addWaybills(p.dm, 1);
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(counts(dir.path()), (QList<int>{before[0] + 1, before[1] + 1, before[2] + 1, before[3] + 1}));
        if (QFileInfo(folder).isDir())
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    // Through the command as a user does it: the list, the choice, the
    // confirmation; the present tables are kept in a copy of their own;
    // the lists show the restored rows, and so does the next start.
    void restoreReplacesAllFourAndKeepsThePresentOnes() {
        TestDir dir;
        const QString backupsDir = dir.file(QStringLiteral("backups"));
        {
            Program p(dir.path());
            addWaybills(p.dm, 2);
            copyTables(p.dm, "2026-02-10");
            addWaybills(p.dm, 3);
            p.show();
            QCOMPARE(p.mainForm.DBGrid1->model()->rowCount(), 5);
            QStringList shown;
            p.host.expectDialog(chooseCopy(QStringLiteral("10.02.2026"), &shown));
            p.host.answerConfirm(true);
            p.dm.execute(Actions::Restore_Backup);
            QVERIFY2(p.host.errors.isEmpty(), qPrintable(p.host.errors.join(' ')));
            QCOMPARE(shown, QStringList{"10.02.2026|2|Февраль 2026, № 2"});
            QCOMPARE(p.host.questions.size(), 1);
            QCOMPARE(p.host.messages,
                     QStringList{"Таблицы восстановлены из резервной копии от 10.02.2026."});
            QCOMPARE(p.mainForm.DBGrid1->model()->rowCount(), 2);
            QCOMPARE(p.dm.LPoezd().recordCount(), 2);
            QCOMPARE(readEveryRow(p.dm), QString());
            addWaybills(p.dm, 1); // the restored tables take new rows

            // The copy of the tables as they were before, listed with them.
            const QStringList names = BackupFolder(backupsDir).list();
            QCOMPARE(names.size(), 2);
            QCOMPARE(counts(backupsDir + QLatin1Char('/') + names.last()), (QList<int>{5, 5, 5, 5}));
            QStringList again;
            p.host.expectDialog([&again](QDialog *d) {
                chooseCopy(QString(), &again)(d);
                return int(QDialog::Rejected);
            });
            p.dm.execute(Actions::Restore_Backup);
            QCOMPARE(again.size(), 2);
            QVERIFY2(again.first().endsWith(QStringLiteral("(перед восстановлением)|5|Май 2026, № 5")),
                     qPrintable(again.first()));
        }
        QVERIFY(!QFileInfo::exists(TableRestore(dir.path()).stagePath()));
        Program p(dir.path());
        QVERIFY(p.host.errors.isEmpty());
        QCOMPARE(p.dm.Orvet().recordCount(), 3);
    }

    // The tank levels go into the copies the program makes and come back
    // with them; a copy made without them leaves the present levels alone.
    void tankLevelsGoWithTheCopies() {
        TestDir dir;
        Program p(dir.path());
        addWaybills(p.dm, 2);
        const qint64 id = p.dm.Orvet().valueAt(0, Fields::ID).toLongLong();
        TankTable::write(p.dm.OrvetBak(), id, {10, 5});
        copyTables(p.dm, "2026-02-10"); // the four tables only, as before the levels were kept
        p.host.expectDialog(chooseCopy(QStringLiteral("10.02.2026")));
        p.host.answerConfirm(true);
        p.dm.execute(Actions::Restore_Backup);
        QVERIFY2(p.host.errors.isEmpty(), qPrintable(p.host.errors.join(' ')));
        QCOMPARE(TankTable::read(p.dm.OrvetBak(), id).arrival, 5.0);
        TankTable::write(p.dm.OrvetBak(), id, {1, 1});
        // The copy made before that restore holds the levels as they were.
        p.host.expectDialog([](QDialog *d) {
            qobject_cast<TRestore_F *>(d)->choose(0); // the newest first
            return int(QDialog::Accepted);
        });
        p.host.answerConfirm(true);
        p.dm.execute(Actions::Restore_Backup);
        QVERIFY2(p.host.errors.isEmpty(), qPrintable(p.host.errors.join(' ')));
        QCOMPARE(TankTable::read(p.dm.OrvetBak(), id).departure, 10.0);
        QCOMPARE(TankTable::read(p.dm.OrvetBak(), id).arrival, 5.0);
    }

    // The way out of a table refused as damaged at start: the restore works
    // with that table closed, and keeps its damaged file in the copy made first.
    void restoreOverATableRefusedAtStart() {
        TestDir dir;
        const QString backupsDir = dir.file(QStringLiteral("backups"));
        storeAroundACopy(dir.path(), 2, "2026-04-01", 0);
        QByteArray bytes = readAll(dir.file(QStringLiteral("Orvet.db")));
        QVERIFY(bytes.size() >= 2 * 4096);
        bytes[4096] = char(0x77); // the table's root page
        writeAll(dir.file(QStringLiteral("Orvet.db")), bytes);
        Program p(dir.path());
        QCOMPARE(p.host.errors.size(), 1);
        QVERIFY(!p.dm.Orvet().isOpen());
        p.host.expectDialog(chooseCopy(QStringLiteral("01.04.2026")));
        p.host.answerConfirm(true);
        p.dm.execute(Actions::Restore_Backup);
        QCOMPARE(p.host.errors.size(), 1);
        QCOMPARE(p.dm.Orvet().recordCount(), 2);
        QCOMPARE(readEveryRow(p.dm), QString());
        const QStringList names = BackupFolder(backupsDir).list();
        QCOMPARE(names.size(), 2);
        QCOMPARE(readAll(backupsDir + QLatin1Char('/') + names.last() + QStringLiteral("/Orvet.db")), bytes);
    }

    // A copy with a file missing, damaged, lacking a field or holding what
    // the program never makes is refused by name and reason before
    // anything is asked or changed.
    void damagedCopyRefused_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("file missing") << "missing" << "Нет файла OrvetSost.db";
        QTest::newRow("file damaged") << "broken" << "Файл OrvetSost.db повреждён";
        QTest::newRow("file cut short") << "short" << "OrvetSost.db";
        QTest::newRow("field missing") << "field" << "В таблице OrvetSost.db нет поля RASHOD";
        // What a file brought along would act behind the program's back.
        QTest::newRow("a trigger") << "CREATE TRIGGER wipe AFTER DELETE ON OrvetSost BEGIN DELETE FROM OrvetSost; END"
                                   << "В файле OrvetSost.db лишний объект: триггер «wipe»";
        QTest::newRow("a view") << "CREATE VIEW seen AS SELECT 1" << "лишний объект: представление «seen»";
        QTest::newRow("a table") << "CREATE TABLE extra (x)" << "лишний объект: таблица «extra»";
        QTest::newRow("an index") << "CREATE INDEX odd ON OrvetSost (CEL)" << "лишний объект: индекс «odd»";
        QTest::newRow("ID not the key")
            << "ALTER TABLE OrvetSost RENAME TO old|CREATE TABLE OrvetSost (ID INTEGER, IDJOIN INTEGER, CHISLO, CEL, "
               "VROUT, VRIN, SPROBS, SPROBE, PROB, RASHOD)|INSERT INTO OrvetSost SELECT * FROM old|DROP TABLE old"
            << "В таблице OrvetSost.db поле ID не ключ таблицы";
    }

    void damagedCopyRefused() {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        TestDir dir;
        const QString backupsDir = dir.file(QStringLiteral("backups"));
        const QString copy = backupsDir + QStringLiteral("/2026-03-01");
        const QString file = copy + QStringLiteral("/OrvetSost.db");
        Program p(dir.path());
        // Enough day rows for pages beyond the schema's.
        addWaybills(p.dm, 3);
        Transaction t(p.dm.database());
        for (int i = 0; i < 400; ++i)
            p.dm.OrvetSost().insertRecord({{}, 1, QStringLiteral("02"), QStringLiteral("Склад"),
                                           QStringLiteral("09:00"), QStringLiteral("18:00"), 1.0, 2.0, 1.0, 0.1});
        t.commit();
        copyTables(p.dm, "2026-03-01");
        addWaybills(p.dm, 1);
        if (damage == QLatin1String("missing"))
            QVERIFY(QFile::remove(file));
        if (damage == QLatin1String("broken")) {
            QByteArray bytes = readAll(file);
            bytes[2 * 4096] = char(0x77); // a page's type
            writeAll(file, bytes);
        }
        if (damage == QLatin1String("short"))
            writeAll(file, readAll(file).left(4096 + 1000));
        if (damage == QLatin1String("field"))
            damage = QStringLiteral("ALTER TABLE OrvetSost DROP COLUMN RASHOD");
        if (damage.contains(QLatin1Char(' '))) {
            OtherConnection c(file);
            for (const QString &statement : damage.split(QLatin1Char('|')))
                QVERIFY2(c.exec(statement), qPrintable(statement));
        }
        const QList<int> before = counts(dir.path());
        p.host.expectDialog(chooseCopy(QStringLiteral("01.03.2026")));
        p.dm.execute(Actions::Restore_Backup);
        QCOMPARE(p.host.errors.size(), 1);
        QVERIFY2(p.host.errors.first().contains(QStringLiteral("2026-03-01")) &&
                     p.host.errors.first().contains(reason),
                 qPrintable(p.host.errors.first()));
        QVERIFY(p.host.questions.isEmpty());
        QCOMPARE(counts(dir.path()), before);
        QCOMPARE(BackupFolder(backupsDir).list(), QStringList{"2026-03-01"});
        QCOMPARE(readEveryRow(p.dm), QString());
    }

    // A restore stopped before its marker leaves the old tables; one
    // stopped after it is finished at the next start, all four.
    void interruptedRestoreAtStart_data() {
        QTest::addColumn<bool>("marked");
        QTest::addColumn<int>("renamedBeforeTheKill");
        QTest::addColumn<int>("waybills");
        QTest::newRow("staged, no marker") << false << 0 << 3;
        QTest::newRow("marked, none renamed") << true << 0 << 1;
        QTest::newRow("marked, two renamed") << true << 2 << 1;
    }

    void interruptedRestoreAtStart() {
        QFETCH(bool, marked);
        QFETCH(int, renamedBeforeTheKill);
        QFETCH(int, waybills);
        TestDir dir;
        const QString backupsDir = dir.file(QStringLiteral("backups"));
        storeAroundACopy(dir.path(), 1, "2026-01-01", 2);
        const TableRestore restore(dir.path());
        restore.stage(backupsDir + QStringLiteral("/2026-01-01"), TableFileNames);
        if (marked) {
            writeAll(restore.markerPath(), TableFileNames.join(QLatin1Char('\n')).toUtf8());
            for (int i = 0; i < renamedBeforeTheKill; ++i)
                QCOMPARE(::rename(QFile::encodeName(restore.stagePath() + QLatin1Char('/') + TableFileNames[i]),
                                  QFile::encodeName(dir.file(TableFileNames[i]))),
                         0);
        }
        Program p(dir.path());
        QVERIFY2(p.host.errors.isEmpty(), qPrintable(p.host.errors.join(' ')));
        QCOMPARE(counts(dir.path()), (QList<int>{waybills, waybills, waybills, waybills}));
        QVERIFY(!QFileInfo::exists(restore.stagePath()));
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
