// Stored waybills against what happens around the program: a table file
// that does not open (damaged, emptied, locked by another program at the
// start) is no empty table to the commands; a file changed behind the
// program's back while it runs is looked over at the next start; the note
// beside the tables and the default template never write through a link;
// one running copy per data folder, whatever a lock left behind holds.
#include "app/SingleInstance.h"
#include "core/Names.h"
#include "data/commands/PrintCommand.h"
#include "data/table/Table.h"
#include "data/table/TableFileCheck.h"
#include "FileFaults.h"
#include "forms/TOrvet_New_F.h"
#include "Program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <future>
#include <unistd.h>

namespace {

const QString Closed = QStringLiteral("Cannot perform this operation on a closed dataset");

// Two trip types, a receipt a month for three months and the first two stored.
void storeTwoMonths(const QString &folder) {
    Program p(folder);
    p.addTrip(QStringLiteral("Офис"), 25);
    p.addTrip(QStringLiteral("Склад"), 40);
    for (int m = 1; m <= 3; ++m)
        p.addReceipt(QDate(2024, m, 5), 45, 2500);
    p.setNorm(9);
    p.dm.random().seed(7);
    QCOMPARE(p.storeNew(2024, 1), QString());
    QCOMPARE(p.storeNew(2024, 2), QString());
}

// The waybills and their days as another program reads them.
QStringList waybills(const QString &folder) {
    OtherConnection other(folder + QStringLiteral("/Orvet.db"));
    return other.rows(QStringLiteral("SELECT * FROM \"Orvet\" ORDER BY \"ID\""));
}

enum class Breakage { Emptied, Damaged, LockedAtStart };

// An environment variable set for a scope, put back after.
class EnvScope {
public:
    EnvScope(const char *name, const QByteArray &value) : m_name(name), m_had(qEnvironmentVariableIsSet(name)),
                                                          m_old(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvScope() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

// The built program, started as a user starts it, in a data folder.
class RealStart {
public:
    RealStart(const QString &data, const QString &config, const QString &runtime) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(data);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(ORVET_PROGRAM), {});
        m_process.waitForStarted();
    }
    ~RealStart() {
        m_process.kill();
        m_process.waitForFinished();
    }
    // The exit code once it ended by itself within `ms`; -1 when it still runs.
    int endedWith(int ms) {
        if (!m_process.waitForFinished(ms))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -2;
    }
    void kill() {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

bool listening(const QString &socket) {
    for (int i = 0; i < 300 && !QFileInfo::exists(socket); ++i)
        QTest::qWait(50);
    return QFileInfo::exists(socket);
}

} // namespace

class TestSafekeeping : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinRussianLocale(); }

    void aTableThatDidNotOpenIsNoEmptyTable_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Breakage>("breakage");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("runs");
        const QString days = TableFiles::OrvetSost, receipts = TableFiles::Chesks;
        QTest::newRow("days emptied, delete") << days << Breakage::Emptied << Actions::New_Orvet_Del << false;
        QTest::newRow("days damaged, delete") << days << Breakage::Damaged << Actions::New_Orvet_Del << false;
        QTest::newRow("days locked, delete") << days << Breakage::LockedAtStart << Actions::New_Orvet_Del << false;
        QTest::newRow("days emptied, reopen") << days << Breakage::Emptied << Actions::New_Orvet_Edit << false;
        QTest::newRow("days emptied, new") << days << Breakage::Emptied << Actions::New_Orvet << false;
        QTest::newRow("receipts emptied, reopen") << receipts << Breakage::Emptied << Actions::New_Orvet_Edit << false;
        QTest::newRow("receipts locked, new") << receipts << Breakage::LockedAtStart << Actions::New_Orvet << false;
        // Deleting needs no receipts; the empty receipt file stays empty.
        QTest::newRow("receipts emptied, delete") << receipts << Breakage::Emptied << Actions::New_Orvet_Del << true;
    }

    void aTableThatDidNotOpenIsNoEmptyTable() {
        QFETCH(QString, file);
        QFETCH(Breakage, breakage);
        QFETCH(QString, command);
        QFETCH(bool, runs);
        TestDir dir;
        storeTwoMonths(dir.path());
        const QStringList before = waybills(dir.path());
        const QString path = dir.file(file);
        if (breakage == Breakage::Emptied)
            writeAll(path, {});
        if (breakage == Breakage::Damaged)
            writeAll(path, readAll(path).left(4096) + QByteArray(4096, char(0x77)) + readAll(path).mid(8192));
        const QByteArray broken = readAll(path);

        std::unique_ptr<OtherConnection> locker;
        if (breakage == Breakage::LockedAtStart) {
            locker = std::make_unique<OtherConnection>(path);
            QVERIFY(locker->exec(QStringLiteral("BEGIN EXCLUSIVE")));
        }
        Program p(dir.path());
        p.show();
        locker.reset(); // the lock is gone; the table stays closed for the run
        QCOMPARE(p.host.errors.size(), 1);
        p.host.errors.clear();
        const QList<Table *> tables = p.dm.tables();
        Table *table = *std::find_if(tables.cbegin(), tables.cend(), [&](Table *t) { return t->fileName() == file; });
        QVERIFY(!table->isOpen());
        QCOMPARE(table->rowCount(), 0); // its list shows nothing

        p.setPeriod(2024, 3);
        p.dm.Orvet().last();
        p.host.answerConfirm(true);
        p.host.expectDialog([](QDialog *d) {
            static_cast<TOrvet_New_F *>(d)->BitBtn1Click();
            return int(QDialog::Accepted);
        });
        p.dm.execute(command);
        if (runs) {
            QVERIFY2(p.host.errors.isEmpty(), qPrintable(p.host.errors.join(' ')));
        } else {
            QCOMPARE(p.host.errors, QStringList{DialogHost::errorText(Closed)});
            QCOMPARE(waybills(dir.path()), before);
        }
        QCOMPARE(readAll(path), broken);
    }

    // Something else writes a table file while the program runs (a copy
    // from elsewhere put in its place): the file keeps no note at the
    // clean exit, whether or not the program wrote to it afterwards, so the
    // next start looks it over. The program's own writes keep theirs.
    void aFileChangedBehindTheProgramIsLookedOverNextStart_data() {
        QTest::addColumn<bool>("programWritesAfter");
        QTest::newRow("no write after") << false;
        QTest::newRow("the program writes after") << true;
    }

    void aFileChangedBehindTheProgramIsLookedOverNextStart() {
        QFETCH(bool, programWritesAfter);
        TestDir dir;
        storeTwoMonths(dir.path());
        const QString days = dir.file(TableFiles::OrvetSost);
        const QByteArray older = readAll(days);
        {
            Program p(dir.path());
            p.setNorm(9);
            QCOMPARE(p.storeNew(2024, 3), QString());
            rewriteKeepingTime(days, older); // a copy put in while the program runs
            if (programWritesAfter) // refused (see below), and the file keeps no note all the same
                QVERIFY(!p.deleteLast().isEmpty());
        }
        const QByteArray note = readAll(dir.file(TableFileCheck::noteName()));
        QVERIFY2(!note.contains("OrvetSost.db\t"), note.constData());
        for (const char *kept : {"Orvet.db\t", "Chesks.db\t", "LPoezd.db\t"})
            QVERIFY2(note.contains(kept), note.constData());
    }

    // A table file changed from outside while the program runs (an older
    // copy put over it, in place or renamed over it): the next write is
    // refused naming the file and changes nothing, the tables are opened
    // afresh, and the write after that lands in the file as it now is.
    void aFileReplacedDuringTheRunRefusesTheWrite_data() {
        QTest::addColumn<bool>("renamedOver");
        QTest::newRow("copied over in place") << false;
        QTest::newRow("renamed over") << true;
    }

    void aFileReplacedDuringTheRunRefusesTheWrite() {
        QFETCH(bool, renamedOver);
        TestDir dir;
        storeTwoMonths(dir.path());
        const QString file = dir.file(TableFiles::Orvet);
        const QByteArray older = readAll(file);
        Program p(dir.path());
        p.setNorm(9);
        QCOMPARE(p.storeNew(2024, 3), QString());
        if (renamedOver) {
            writeAll(file + QStringLiteral(".new"), older);
            QVERIFY(QFile::rename(file + QStringLiteral(".new"), file) || (QFile::remove(file) && QFile::rename(file + QStringLiteral(".new"), file)));
        } else {
            writeAll(file, older);
        }
        const QStringList before = p.snapshot();
        QCOMPARE(p.storeNew(2024, 3), DialogHost::errorText(QStringLiteral(
                     "Файл Orvet.db изменила другая программа, пока таблицы были открыты. Запись отменена, "
                     "таблицы открыты заново; проверьте их и повторите команду")));
        QCOMPARE(p.snapshot(), before);
        QTRY_COMPARE(p.dm.Orvet().recordCount(), 2);
        QCOMPARE(p.deleteLast(), QString());
        QCOMPARE(waybills(dir.path()).size(), 1);
    }

    // A table file that brought a trigger along, or whose ID is no key,
    // is refused by the start-up's look-over, naming what is wrong; no
    // deletion reaches it.
    void aForeignSchemaIsRefusedAtStart_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a trigger that empties the table")
            << "CREATE TRIGGER wipe AFTER DELETE ON Orvet BEGIN DELETE FROM Orvet; END"
            << "В файле Orvet.db лишний объект: триггер «wipe»";
        QTest::newRow("ID without its key")
            << "ALTER TABLE Orvet RENAME TO old|CREATE TABLE Orvet (ID INTEGER, DATE DATE, NUMBL, YEAR, MOUNTH, "
               "PROBB, PROBE, SUMRUB, SUMLITR)|INSERT INTO Orvet SELECT * FROM old|DROP TABLE old"
            << "В таблице Orvet.db поле ID не ключ таблицы (INTEGER PRIMARY KEY)";
    }

    void aForeignSchemaIsRefusedAtStart() {
        QFETCH(QString, sql);
        QFETCH(QString, reason);
        TestDir dir;
        storeTwoMonths(dir.path());
        {
            OtherConnection other(dir.file(TableFiles::Orvet));
            for (const QString &statement : sql.split(QLatin1Char('|')))
                QVERIFY2(other.exec(statement), qPrintable(statement));
        }
        const QStringList before = waybills(dir.path());
        Program p(dir.path());
        QCOMPARE(p.host.errors.size(), 1);
        QVERIFY2(p.host.errors.first().contains(reason), qPrintable(p.host.errors.first()));
        QVERIFY(!p.dm.Orvet().isOpen());
        p.host.errors.clear();
        p.host.answerConfirm(true);
        p.dm.execute(Actions::New_Orvet_Del);
        QCOMPARE(p.host.errors, QStringList{DialogHost::errorText(Closed)});
        QCOMPARE(waybills(dir.path()), before);
    }

    void theNoteNeverWritesThroughALink() {
        TestDir dir, elsewhere;
        const QString users = elsewhere.file(QStringLiteral("letter.txt"));
        writeAll(users, "the user's own file\n");
        QVERIFY(QFile::link(users, dir.file(TableFileCheck::noteName())));
        { Program p(dir.path()); }
        QCOMPARE(readAll(users), QByteArray("the user's own file\n"));
        const QFileInfo note(dir.file(TableFileCheck::noteName()));
        QVERIFY(!note.isSymLink());
        QVERIFY(readAll(note.filePath()).contains("Orvet.db\t"));
    }

    void aTemplateLinkIsTheUsers() {
        TestDir dir, elsewhere;
        const QString link = dir.file(PrintCommand::TemplateFile);
        const QString nowhere = elsewhere.file(QStringLiteral("gone/Orvet_Main.frf"));
        QVERIFY(QFile::link(nowhere, link));
        { Program p(dir.path()); }
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(!QFile::exists(nowhere));
        QVERIFY(QDir(elsewhere.path()).isEmpty());
    }

    // Real processes: a second start on the same data folder ends at once
    // (the running copy is asked to the front), whatever settings folder
    // it has, even one it cannot write; a start on another folder runs on
    // its own; a copy killed leaves nothing in the way of the next.
    void oneRunningCopyPerDataFolder() {
        TestDir data, other, config, runtime;
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const EnvScope sameRuntime("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        writeAll(config.file(QStringLiteral("not-a-folder")), "");
        auto first = std::make_unique<RealStart>(data.path(), config.file(QStringLiteral("a")), runtime.path());
        QVERIFY(listening(SingleInstance(data.path()).socketPath()));
        for (const QString &settings : {config.file(QStringLiteral("b")), config.file(QStringLiteral("not-a-folder"))}) {
            RealStart second(data.path(), settings, runtime.path());
            QCOMPARE(second.endedWith(20000), 0);
        }
        QCOMPARE(first->endedWith(0), -1);
        RealStart secondCar(other.path(), config.file(QStringLiteral("a")), runtime.path());
        QVERIFY(listening(SingleInstance(other.path()).socketPath()));
        QCOMPARE(secondCar.endedWith(500), -1);
        QVERIFY(QFileInfo::exists(other.file(TableFiles::Orvet)));
        first->kill();
        RealStart again(data.path(), config.file(QStringLiteral("a")), runtime.path());
        QVERIFY(listening(SingleInstance(data.path()).socketPath()));
        QCOMPARE(again.endedWith(300), -1);
    }

    // What a lock file left behind may be: nobody holds it, so the start
    // takes it over, never touching what a link points to. What is not a
    // lock and cannot be set aside stops the start, naming the file.
    void aLeftoverLockIsTakenOver_data() {
        QTest::addColumn<QString>("left");
        QTest::addColumn<bool>("taken");
        QTest::newRow("empty") << "empty" << true;
        QTest::newRow("garbage") << "garbage" << true;
        QTest::newRow("another machine's") << "host" << true;
        QTest::newRow("a live process of another program") << "pid1" << true;
        QTest::newRow("an empty folder") << "folder" << true;
        QTest::newRow("a link to a user's file") << "link" << true;
        QTest::newRow("a folder with files") << "full" << false;
        if (::geteuid() != 0)
            QTest::newRow("a folder nobody may write to") << "readonly" << false;
    }

    void aLeftoverLockIsTakenOver() {
        QFETCH(QString, left);
        QFETCH(bool, taken);
        TestDir dir, elsewhere;
        const QString lock = dir.file(QStringLiteral("orvet.lock"));
        const QString users = elsewhere.file(QStringLiteral("letter.txt"));
        writeAll(users, "the user's own");
        if (left == QLatin1String("empty"))
            writeAll(lock, {});
        if (left == QLatin1String("garbage"))
            writeAll(lock, QByteArray(300, char(0xfe)));
        if (left == QLatin1String("host"))
            writeAll(lock, "4242\nsomewhere-else\norvet\n");
        if (left == QLatin1String("pid1"))
        {
            char host[256] = {};
            ::gethostname(host, sizeof host - 1);
            writeAll(lock, QByteArray("1\n") + host + "\norvet\n");
        }
        if (left == QLatin1String("folder") || left == QLatin1String("full"))
            QVERIFY(QDir().mkpath(lock));
        if (left == QLatin1String("full"))
            writeAll(lock + QStringLiteral("/notes.txt"), "mine");
        if (left == QLatin1String("link"))
            QVERIFY(QFile::link(users, lock));
        if (left == QLatin1String("readonly"))
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        SingleInstance instance(dir.path());
        const SingleInstance::Claim claim = instance.claim();
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(readAll(users), QByteArray("the user's own"));
        if (taken) {
            QCOMPARE(claim, SingleInstance::Claim::Only);
            QVERIFY(readAll(lock).startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
            QCOMPARE(SingleInstance(dir.path()).claim(), SingleInstance::Claim::Unanswered);
        } else {
            QCOMPARE(claim, SingleInstance::Claim::Failed);
            QVERIFY2(instance.message().contains(lock), qPrintable(instance.message()));
            QVERIFY(instance.message().endsWith(QStringLiteral("запустите программу снова")));
        }
    }

    // The socket lives where no other user can reach or take its name:
    // the session's runtime folder, else a folder of the program's own
    // that only this user may enter; an open one is not used.
    void theSocketIsPrivate_data() {
        QTest::addColumn<QString>("runtime"); // "" unset, "open" a folder others may enter
        QTest::addColumn<QString>("own");     // what is at the program's own folder: "", "open"
        QTest::addColumn<QString>("where");   // "runtime", "own" or "" for none
        QTest::newRow("runtime folder") << "private" << "" << "runtime";
        QTest::newRow("no runtime folder") << "" << "" << "own";
        QTest::newRow("an open runtime folder") << "open" << "" << "own";
        QTest::newRow("the own folder open to others") << "" << "open" << "";
    }

    void theSocketIsPrivate() {
        QFETCH(QString, runtime);
        QFETCH(QString, own);
        QFETCH(QString, where);
        TestDir data, tmp, run;
        QFile::setPermissions(run.path(), runtime == QLatin1String("open")
                                              ? QFile::Permissions(0x7755)
                                              : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const EnvScope temp("TMPDIR", QFile::encodeName(tmp.path()));
        const EnvScope xdg("XDG_RUNTIME_DIR", runtime.isEmpty() ? QByteArray() : QFile::encodeName(run.path()));
        const QString ownFolder = tmp.file(QStringLiteral("orvet-") + QString::number(::getuid()));
        if (own == QLatin1String("open")) {
            QVERIFY(QDir().mkpath(ownFolder));
            QVERIFY(QFile::setPermissions(ownFolder, QFile::Permissions(0x7777)));
        }
        SingleInstance instance(data.path());
        QCOMPARE(instance.claim(), SingleInstance::Claim::Only);
        const QString folder = where == QLatin1String("runtime") ? run.path()
                               : where == QLatin1String("own")   ? ownFolder
                                                                 : QString();
        QCOMPARE(instance.socketPath().isEmpty() ? QString() : QFileInfo(instance.socketPath()).absolutePath(), folder);
        if (!where.isEmpty())
            QCOMPARE(QFileInfo(folder).permissions() & QFile::Permissions(0x0077), QFile::Permissions());
        instance.listen();
        QCOMPARE(QFileInfo::exists(instance.socketPath()), !where.isEmpty());
    }

    // A second start of the same user: unanswered while the first is still
    // starting, then answered and the first asked to the front, whatever a
    // killed copy left at the socket's place; no other user may connect.
    void aSecondStartFindsTheRunningCopy() {
        TestDir dir;
        const auto secondStart = [&dir] {
            auto started =
                std::async(std::launch::async, [&dir] { return SingleInstance(dir.path()).claim(); });
            while (started.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
                QCoreApplication::processEvents();
            return started.get();
        };
        SingleInstance first(dir.path());
        QSignalSpy raised(&first, &SingleInstance::activationRequested);
        QCOMPARE(first.claim(), SingleInstance::Claim::Only);
        QCOMPARE(secondStart(), SingleInstance::Claim::Unanswered);
        writeAll(first.socketPath(), "left by a killed copy");
        first.listen();
        QCOMPARE(QFileInfo(first.socketPath()).permissions() &
                     ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFile::Permissions());
        QCOMPARE(secondStart(), SingleInstance::Claim::Raised);
        QCOMPARE(secondStart(), SingleInstance::Claim::Raised);
        QCOMPARE(raised.count(), 2);
        first.release();
        QVERIFY(!QFile::exists(first.socketPath()));
        QCOMPARE(secondStart(), SingleInstance::Claim::Only);
    }
};

QTEST_MAIN(TestSafekeeping)
#include "tst_safekeeping.moc"
