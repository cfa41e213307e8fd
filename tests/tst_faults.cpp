// Faults from outside the program: a full disk, a failing write, a
// read-only or locked table file, a settings file or a template that cannot
// be used. Each must end the command with a clear message, leave every
// stored waybill as it was, and let the program carry on once the fault is
// gone.
#include "Program.h"
#include "TestDir.h"

#include "app/TMainForm.h"
#include "data/commands/PrintCommand.h"
#include "data/TDM1.h"
#include "forms/TOptions_F.h"
#include "forms/TOrvet_New_F.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUuid>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// No file of this process may grow beyond `bytes` while it lives: writes
// past it fail with EFBIG, as on a disk that has run out of room.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

// A connection of its own, as another program would hold.
class OtherConnection {
public:
    explicit OtherConnection(const QString &file)
        : m_name(QStringLiteral("other-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.open();
    }
    ~OtherConnection() {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    bool exec(const QString &sql) { return QSqlQuery(QSqlDatabase::database(m_name)).exec(sql); }
    QStringList rows(const QString &sql) {
        QStringList out;
        QSqlQuery q(QSqlDatabase::database(m_name));
        if (!q.exec(sql))
            return {QStringLiteral("error: ") + q.lastError().text()};
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells.append(q.value(i).toString());
            out.append(cells.join(QLatin1Char('|')));
        }
        return out;
    }

private:
    QString m_name;
};

struct Fixture {
    TestDir dir;
    QString oldCwd = QDir::currentPath();
    std::unique_ptr<Program> program;

    Fixture() {
        QDir::setCurrent(dir.path()); // the template is looked for here
        start();
        dm().LPoezd().insertRecord(
            {{}, QStringLiteral("Офис"), QStringLiteral("09:00"), QStringLiteral("18:00"), 25.0});
        dm().LPoezd().insertRecord(
            {{}, QStringLiteral("Склад"), QStringLiteral("08:00"), QStringLiteral("17:00"), 40.0});
        for (int m = 1; m <= 12; ++m)
            dm().Chesks().insertRecord({{}, QDate(2024, m, 5), 45.0, 2500.0});
    }
    ~Fixture() {
        stop();
        QDir::setCurrent(oldCwd);
    }
    void start() {
        program = std::make_unique<Program>(dir.path());
        program->setNorm(9, true);
        dm().random().seed(11);
    }
    void stop() { program.reset(); }
    // The next start of the program on the same folder.
    void restart() {
        stop();
        start();
    }
    TDM1 &dm() { return program->dm; }
    ScriptedDialogHost &host() { return program->host; }

    // The message shown, also written to the test log for the record.
    QString takeError() {
        const QString e = host().errors.join(QLatin1Char(' '));
        host().errors.clear();
        qInfo("message: %s", qPrintable(e));
        return e;
    }
    // Each command: true when it ran without an error.
    bool storeNew(int month) {
        const QDate first(2024, month, 1);
        dm().setPeriod(first, first.addMonths(1).addDays(-1));
        host().expectDialog([](QDialog *d) {
            static_cast<TOrvet_New_F *>(d)->BitBtn1Click();
            return int(QDialog::Accepted);
        });
        dm().execute(QStringLiteral("New_Orvet"));
        return host().errors.isEmpty() && host().pendingDialogs() == 0;
    }
    bool replaceLast() {
        dm().Orvet().last();
        host().expectDialog([](QDialog *d) {
            static_cast<TOrvet_New_F *>(d)->BitBtn1Click();
            return int(QDialog::Accepted);
        });
        dm().execute(QStringLiteral("New_Orvet_Edit"));
        return host().errors.isEmpty();
    }
    bool deleteLast() {
        dm().Orvet().last();
        host().answerConfirm(true);
        dm().execute(QStringLiteral("New_Orvet_Del"));
        return host().errors.isEmpty();
    }
    QString sql(const QString &statement) {
        QSqlQuery q = dm().database().exec(statement);
        return q.next() ? q.value(0).toString() : QString();
    }

    // Every waybill and day row as it is on disk, read by a connection of
    // its own (which also rolls back any hot journal first).
    QStringList snapshot() {
        OtherConnection other(dir.file(QStringLiteral("Orvet.db")));
        other.exec(QStringLiteral("ATTACH DATABASE '%1' AS s").arg(dir.file(QStringLiteral("OrvetSost.db"))));
        return other.rows(QStringLiteral("SELECT * FROM \"Orvet\" ORDER BY \"ID\"")) +
               other.rows(QStringLiteral("SELECT * FROM s.\"OrvetSost\" ORDER BY \"ID\""));
    }
};

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pinRussianLocale(); }

    void fullDiskStoresNothing() {
        Fixture f;
        QVERIFY(f.storeNew(3));
        QVERIFY(f.storeNew(4));
        QStringList before = f.snapshot();
        // Not one page more for the day rows.
        f.sql(QStringLiteral("PRAGMA \"OrvetSost\".max_page_count = %1")
                  .arg(f.sql(QStringLiteral("PRAGMA \"OrvetSost\".page_count"))));
        // What still fits in the pages there are is stored; then the disk is full.
        int month = 5;
        while (month <= 12 && f.storeNew(month)) {
            before = f.snapshot();
            ++month;
        }
        QVERIFY(month <= 12);
        const QString error = f.takeError();
        QVERIFY2(error.contains(QStringLiteral("full")), qPrintable(error));
        QVERIFY(!f.dm().database().inTransaction());
        QCOMPARE(f.snapshot(), before);
        QVERIFY(!f.storeNew(month));
        f.host().errors.clear();
        QCOMPARE(f.snapshot(), before);
        const int stored = f.dm().Orvet().recordCount();

        // Deleting needs no room and still works; room again, storing does.
        QVERIFY(f.deleteLast());
        f.sql(QStringLiteral("PRAGMA \"OrvetSost\".max_page_count = 1073741823"));
        QVERIFY(f.storeNew(month));
        QVERIFY(f.storeNew(month + 1));
        f.restart();
        QVERIFY(f.host().errors.isEmpty());
        QCOMPARE(f.dm().Orvet().recordCount(), stored + 1);
    }

    // A disk that runs out while SQLite writes the journal or the file
    // itself: the write fails half-way and the commit must not count.
    void failingWriteStoresNothing() {
        Fixture f;
        QVERIFY(f.storeNew(3));
        const QStringList before = f.snapshot();
        const qint64 size = QFileInfo(f.dir.file(QStringLiteral("OrvetSost.db"))).size();
        for (const rlim_t limit : {rlim_t(2048), rlim_t(size)}) {
            {
                FileSizeLimit full(limit);
                QVERIFY(!f.storeNew(4));
                QVERIFY(!f.replaceLast());
            }
            const QString error = f.takeError();
            QVERIFY2(!error.isEmpty(), "no message");
            QCOMPARE(f.snapshot(), before);
            f.restart();
            QVERIFY2(f.host().errors.isEmpty(), qPrintable(f.host().errors.join(' ')));
            QCOMPARE(f.snapshot(), before);
        }
        QVERIFY(f.storeNew(4));
        QVERIFY(f.replaceLast());
        QCOMPARE(f.dm().Orvet().recordCount(), 2);
    }

    void readOnlyTableFile() {
        Fixture f;
        QVERIFY(f.storeNew(3));
        const QStringList before = f.snapshot();
        const QString days = f.dir.file(QStringLiteral("OrvetSost.db"));
        // The superuser writes through a file's permissions; the connection
        // is then made read-only instead.
        const bool root = geteuid() == 0;
        if (root) {
            f.sql(QStringLiteral("PRAGMA query_only = 1"));
        } else {
            f.stop();
            QVERIFY(chmod(QFile::encodeName(days).constData(), 0444) == 0);
            f.start();
            QVERIFY(f.host().errors.isEmpty());
        }
        QVERIFY(!f.storeNew(4));
        QVERIFY2(f.takeError().contains(QStringLiteral("readonly")), "no clear message");
        QVERIFY(!f.replaceLast());
        QVERIFY(!f.deleteLast());
        f.host().errors.clear();
        QCOMPARE(f.snapshot(), before);
        QCOMPARE(f.dm().Orvet().recordCount(), 1);

        if (root) {
            f.sql(QStringLiteral("PRAGMA query_only = 0"));
        } else {
            f.stop();
            QVERIFY(chmod(QFile::encodeName(days).constData(), 0644) == 0);
            f.start();
        }
        QVERIFY(f.storeNew(4));
        QVERIFY(f.replaceLast());
    }

    void tableLockedByAnotherProgram() {
        Fixture f;
        QVERIFY(f.storeNew(3));
        const QStringList before = f.snapshot();
        {
            OtherConnection other(f.dir.file(QStringLiteral("OrvetSost.db")));
            QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QElapsedTimer waited;
            waited.start();
            QVERIFY(!f.storeNew(4));
            // The busy timeout is waited out first.
            QVERIFY2(waited.elapsed() >= 1500, qPrintable(QString::number(waited.elapsed())));
            QVERIFY2(f.takeError().contains(QStringLiteral("locked")), "no clear message");
            QVERIFY(!f.deleteLast());
            QVERIFY(!f.dm().database().inTransaction());
            f.host().errors.clear();
        }
        QCOMPARE(f.snapshot(), before);
        QVERIFY(f.storeNew(4));
        QVERIFY(f.deleteLast());
        QCOMPARE(f.dm().Orvet().recordCount(), 1);
    }

    // The main window's lists are read while another program holds a table.
    void listReadWhileLocked() {
        Fixture f;
        QVERIFY(f.storeNew(3));
        TMainForm main;
        main.setDataModule(&f.dm());
        main.show();
        QCoreApplication::processEvents();
        f.host().errors.clear();
        {
            OtherConnection other(f.dir.file(QStringLiteral("Chesks.db")));
            QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            f.dm().setPeriod(QDate(2024, 3, 1), QDate(2024, 3, 31));
            f.dm().execute(QStringLiteral("FillExec"));
            QCoreApplication::processEvents();
            QVERIFY2(f.takeError().contains(QStringLiteral("locked")), "no clear message");
        }
        f.dm().execute(QStringLiteral("FillExec"));
        QCoreApplication::processEvents();
        QVERIFY2(f.host().errors.isEmpty(), qPrintable(f.host().errors.join(' ')));
        QCOMPARE(f.dm().Chesks().recordCount(), 1);
        main.close();
    }

    void settingsFileCannotBeWritten() {
        Fixture f;
        auto okWith = [&f](const QString &organisation) {
            f.host().expectDialog([organisation](QDialog *d) {
                auto *o = static_cast<TOptions_F *>(d);
                o->Edit1->setText(organisation);
                o->BitBtn1->click();
                return d->result();
            });
            f.dm().execute(QStringLiteral("Options_Main"));
        };
        okWith(QStringLiteral("ООО Первое"));
        QVERIFY(f.host().errors.isEmpty());
        const QByteArray written = readAll(f.dir.ini());
        QVERIFY(written.size() > 100);

        {
            FileSizeLimit full(64);
            okWith(QStringLiteral("ООО Второе"));
        }
        QCOMPARE(f.takeError(), QStringLiteral("Unable to write to %1.").arg(f.dir.ini()));
        QCOMPARE(readAll(f.dir.ini()), written); // the old file stands whole
        QCOMPARE(QDir(f.dir.path()).entryList({QStringLiteral("Orvet.ini*")}, QDir::Files),
                 QStringList{QStringLiteral("Orvet.ini")});

        // A folder where the file should be: read as absent, written never.
        QVERIFY(QFile::remove(f.dir.ini()));
        QVERIFY(QDir().mkpath(f.dir.ini()));
        f.dm().FS1().readAll();
        okWith(QStringLiteral("ООО Третье"));
        QVERIFY(f.takeError().startsWith(QStringLiteral("Unable to write to ")));
        f.restart();
        QVERIFY(f.host().errors.isEmpty());
        QCOMPARE(f.dm().FS1().text(StoredValues::Proveril), QStringLiteral("Главный бухгалтер"));

        QVERIFY(QDir(f.dir.ini()).removeRecursively());
        okWith(QStringLiteral("ООО Четвёртое"));
        QVERIFY(f.host().errors.isEmpty());
        f.restart();
        QCOMPARE(f.dm().FS1().text(StoredValues::Organizaciya), QStringLiteral("ООО Четвёртое"));
    }

    void templateCannotBeRead_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << "folder";
        QTest::newRow("garbage") << "garbage";
        QTest::newRow("empty") << "empty";
        QTest::newRow("half") << "half";
        QTest::newRow("too big") << "big";
    }
    void templateCannotBeRead() {
        QFETCH(QString, kind);
        Fixture f;
        QVERIFY(f.storeNew(3));
        const QString path = f.dir.file(PrintCommand::TemplateFile);
        const QByteArray good = readAll(path);
        QVERIFY(good.size() > 1000);
        QVERIFY(QFile::remove(path));
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QByteArray bytes;
            if (kind == QLatin1String("garbage")) {
                QRandomGenerator rand(5);
                for (int i = 0; i < 8192; ++i)
                    bytes.append(char(rand.bounded(256)));
            } else if (kind == QLatin1String("half")) {
                bytes = good.left(good.size() / 2);
            } else if (kind == QLatin1String("big")) {
                bytes = good.repeated(1024 * 1024 / good.size() + 2);
            }
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        }
        // A start does not touch what stands in the template's place.
        f.restart();
        QVERIFY(f.host().errors.isEmpty());

        f.dm().Orvet().first();
        f.host().expectDialog([](QDialog *) { return int(QDialog::Rejected); }); // a preview, should one come
        f.dm().execute(QStringLiteral("Orvet_Print"));
        const bool previewed = f.host().pendingDialogs() == 0;
        const QString error = f.takeError();
        if (kind == QLatin1String("half")) {
            QVERIFY(previewed != !error.isEmpty()); // a shorter report or an error, never both
        } else {
            QVERIFY2(!error.isEmpty() && !previewed, qPrintable(error));
        }
        if (kind == QLatin1String("folder"))
            QCOMPARE(error, QStringLiteral("Cannot open file Orvet_Main.frf."));

        // The program carries on: the good template prints again.
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir(path).removeRecursively());
        else
            QVERIFY(QFile::remove(path));
        {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(good);
        }
        if (previewed)
            f.host().expectDialog([](QDialog *) { return int(QDialog::Rejected); });
        f.dm().execute(QStringLiteral("Orvet_Print"));
        QCOMPARE(f.host().pendingDialogs(), 0);
        QVERIFY2(f.host().errors.isEmpty(), qPrintable(f.host().errors.join(' ')));
        QVERIFY(f.storeNew(4));
    }

    // What a kill can leave besides hot journals: a super-journal that no
    // journal names is removed at the next start; one that a journal still
    // names stays, and so does every file SQLite did not name.
    void staleSuperJournalsGoAtStart() {
        Fixture f;
        QVERIFY(f.storeNew(3));
        f.stop();
        const QDir dir(f.dir.path());
        auto write = [](const QString &path, const QByteArray &bytes) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        };
        const QByteArray journals =
            QFile::encodeName(dir.absoluteFilePath(QStringLiteral("Orvet.db-journal"))) + '\0' +
            QFile::encodeName(dir.absoluteFilePath(QStringLiteral("Chesks.db-journal"))) + '\0';
        const QString stale = dir.absoluteFilePath(QStringLiteral("Orvet.db-mj1A2B3C9D4"));
        const QString empty = dir.absoluteFilePath(QStringLiteral("Orvet.db-mj00000000"));
        const QString live = dir.absoluteFilePath(QStringLiteral("Orvet.db-mjABCDEF901"));
        write(stale, journals);
        write(empty, QByteArray());
        write(live, QFile::encodeName(dir.absoluteFilePath(QStringLiteral("LPoezd.db-journal"))) + '\0');
        // A journal that is not hot (its header never completed) but names `live` in its last record.
        QByteArray record(4, '\0');
        const QByteArray name = QFile::encodeName(live);
        record += name;
        for (int shift : {24, 16, 8, 0})
            record += char((name.size() >> shift) & 0xff);
        record += QByteArray(4, '\0') + QByteArray("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
        write(dir.absoluteFilePath(QStringLiteral("LPoezd.db-journal")), QByteArray(512, '\0') + record);
        const QStringList untouched{QStringLiteral("Orvet.db-mjnothex"), QStringLiteral("Other.db-mj12345")};
        for (const QString &n : untouched)
            write(dir.absoluteFilePath(n), journals);

        f.start();
        QVERIFY2(f.host().errors.isEmpty(), qPrintable(f.host().errors.join(' ')));
        QVERIFY(!QFile::exists(stale));
        QVERIFY(!QFile::exists(empty));
        QVERIFY(QFile::exists(live));
        for (const QString &n : untouched)
            QVERIFY2(QFile::exists(dir.absoluteFilePath(n)), qPrintable(n));
        QCOMPARE(f.dm().Orvet().recordCount(), 1);

        // Once the journal is gone, so is the super-journal it named.
        f.stop();
        QVERIFY(QFile::remove(dir.absoluteFilePath(QStringLiteral("LPoezd.db-journal"))));
        f.start();
        QVERIFY(!QFile::exists(live));
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
