// The program's files when something outside it goes wrong. Faults while it
// runs (a full disk, a failing write, a read-only or locked table file, a
// settings file or a template that cannot be used) end the command with a
// clear message, leave every stored waybill as it was, and the program
// carries on once the fault is gone. Damaged table files (a few hundred
// variants of files the program wrote itself, bytes flipped and files cut
// short) are refused at start-up with the file named, or open and read in
// full. The look-over of the files at start-up happens when a file is not
// as the program left it, and only then.
#include "core/Names.h"
#include "core/OrvetError.h"
#include "data/commands/PrintCommand.h"
#include "data/table/Database.h"
#include "data/table/Table.h"
#include "data/table/TableFileCheck.h"
#include "data/TDM1.h"
#include "FileFaults.h"
#include "forms/TOptions_F.h"
#include "Program.h"
#include "TestDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList &tableFiles() {
    static const QStringList f{TableFiles::Orvet, TableFiles::OrvetSost, TableFiles::Chesks, TableFiles::LPoezd};
    return f;
}

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

    // The messages shown, also written to the test log for the record.
    QString takeError() {
        const QString e = (m_errors + host().errors).join(QLatin1Char(' '));
        m_errors.clear();
        host().errors.clear();
        qInfo("message: %s", qPrintable(e));
        return e;
    }
    // Each command on a waybill of 2024: true when it ended without a
    // message; the message is kept for takeError.
    bool storeNew(int month) { return ranClean(program->storeNew(2024, month)); }
    bool replaceLast() { return ranClean(program->replaceLast()); }
    bool deleteLast() { return ranClean(program->deleteLast()); }
    QString sql(const QString &statement) {
        QSqlQuery q = dm().database().exec(statement);
        return q.next() ? q.value(0).toString() : QString();
    }
    QStringList snapshot() const { return program->snapshot(); }

private:
    bool ranClean(const QString &error) {
        if (!error.isEmpty())
            m_errors.append(error);
        return error.isEmpty();
    }
    QStringList m_errors;
};

struct Variant {
    QString name;
    QString file;
    QByteArray bytes;
};

// The start-up of the program as main() does it, then every row of every
// table read the way the lists read them.
struct Start {
    QStringList errors;
    QString readError;
    QStringList open; // files of the tables left open
};

Start startOn(const QString &dir) {
    Start result;
    {
        Program start(dir);
        start.show();
        result.errors = start.host.errors;
        for (Table *t : start.dm.tables())
            if (t->isOpen())
                result.open.append(t->fileName());
        if (result.errors.isEmpty()) {
            try {
                result.readError = readEveryRow(start.dm);
            } catch (const OrvetError &e) {
                result.readError = e.message();
            }
        }
    }
    return result;
}

// Page 3 of a file made as below is a leaf page of the receipts; a page type
// no b-tree page has is seen only by reading that page, not by opening.
QByteArray withBrokenPage(QByteArray bytes) {
    bytes[2 * 4096] = char(0x77);
    return bytes;
}

struct Receipts {
    TestDir dir;
    Database db{dir.path()};
    Table table{db, QStringLiteral("Chesks.db"), QStringLiteral("Chesks"), TDM1::receiptFields()};
    Receipts() {
        table.create();
        table.open();
        Transaction t(db);
        for (int i = 0; i < 600; ++i)
            table.insertRecord({{}, QDate(2024, 1, 1).addDays(i), 10.0 + i, 500.0 + i});
        t.commit();
    }
    bool lookedOver() {
        TableFileCheck check(dir.path());
        check.verify(db, table);
        return check.lastLookedOver();
    }
    // Noted as a run notes what it verified.
    void remember() {
        TableFileCheck check(dir.path());
        check.verify(db, table);
        check.remember({&table});
    }
    QString path() const { return dir.file(QStringLiteral("Chesks.db")); }
};

} // namespace

class TestReliability : public QObject {
    Q_OBJECT
private:
    QHash<QString, QByteArray> m_pristine;
    QList<Variant> m_variants;

    // A year of waybills stored through the commands, as a user would.
    void makePristine() {
        TestDir made;
        {
            Program program(made.path());
            TDM1 &dm = program.dm;
            dm.FS1().setValue(StoredValues::Rashodna100km, 9.0);
            dm.random().seed(3);
            const QStringList trips{QStringLiteral("Офис"), QStringLiteral("Склад"), QStringLiteral("Банк")};
            for (int i = 0; i < trips.size(); ++i)
                dm.LPoezd().insertRecord(
                    {{}, trips[i], QStringLiteral("09:00"), QStringLiteral("18:00"), 15.0 + 9 * i});
            for (int m = 1; m <= 12; ++m) {
                dm.Chesks().insertRecord({{}, QDate(2024, m, 3), 40.0, 2300.0});
                dm.Chesks().insertRecord({{}, QDate(2024, m, 17), 25.5, 1500.0});
            }
            for (int m = 1; m <= 12; ++m) {
                dm.FS1().setValue(StoredValues::Winter, m <= 4 || m >= 11);
                const QString error = program.storeNew(2024, m);
                QVERIFY2(error.isEmpty(), qPrintable(error));
            }
            QCOMPARE(dm.Orvet().recordCount(), 12);
        }
        for (const QString &f : tableFiles())
            m_pristine.insert(f, readAll(made.file(f)));
    }

    void makeVariants(quint32 seed) {
        QRandomGenerator rand(seed);
        for (const QString &file : tableFiles()) {
            const QByteArray whole = m_pristine.value(file);
            const int size = int(whole.size());
            // Flipped bytes: in the file header, in the first page (the
            // schema), and anywhere; one byte, a few, or a burst.
            for (int i = 0; i < 60; ++i) {
                const int region = i < 12 ? 100 : i < 24 ? qMin(size, 4096) : size;
                const int count = i % 5 == 4 ? 16 : i % 5 == 3 ? 4 : 1;
                QByteArray bytes = whole;
                QStringList where;
                for (int k = 0; k < count; ++k) {
                    const int at = int(rand.bounded(region));
                    bytes[at] = char(bytes[at] ^ char(1 + rand.bounded(255)));
                    where.append(QString::number(at));
                }
                m_variants.append(
                    {QStringLiteral("%1 flipped at %2").arg(file, where.join(',')), file, bytes});
            }
            // Cut short: at the edges of the header and of pages, and anywhere.
            QList<int> cuts{0, 1, 16, 99, 100, 4095, 4096, 4097, size / 2, size - 4096, size - 1};
            for (int i = 0; i < 6; ++i)
                cuts.append(int(rand.bounded(size)));
            for (int cut : std::as_const(cuts))
                if (cut >= 0 && cut < size)
                    m_variants.append(
                        {QStringLiteral("%1 cut to %2 bytes").arg(file).arg(cut), file, whole.left(cut)});
        }
    }

private slots:
    void initTestCase() {
        pinRussianLocale();
        makePristine();
        const quint32 seed = qEnvironmentVariableIsSet("ORVET_DAMAGE_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("ORVET_DAMAGE_SEED"))
                                 : 20240601u;
        makeVariants(seed);
        qInfo("%d damaged variants, seed %u", int(m_variants.size()), seed);
    }


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
        f.takeError();
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
        f.takeError();
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
            f.takeError();
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
        f.program->show();
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

    void pristineFilesOpen() {
        TestDir dir;
        for (const QString &f : tableFiles())
            writeAll(dir.file(f), m_pristine.value(f));
        const Start s = startOn(dir.path());
        QVERIFY2(s.errors.isEmpty(), qPrintable(s.errors.join(' ')));
        QVERIFY2(s.readError.isEmpty(), qPrintable(s.readError));
    }

    void everyVariantIsRefusedOrReadable() {
        int refused = 0, harmless = 0;
        QStringList faults;
        for (const Variant &v : std::as_const(m_variants)) {
            TestDir dir;
            for (const QString &f : tableFiles())
                writeAll(dir.file(f), f == v.file ? v.bytes : m_pristine.value(f));
            const bool whole = OtherConnection(dir.file(v.file)).whole();
            writeAll(dir.file(v.file), v.bytes); // exactly as damaged, whatever the judge did
            const Start s = startOn(dir.path());
            if (!s.errors.isEmpty()) {
                ++refused;
                if (s.errors.size() != 1 || !s.errors.first().contains(v.file))
                    faults.append(v.name + QStringLiteral(": unclear message: ") +
                                  s.errors.join(QStringLiteral(" | ")));
                // Nothing the start did may have changed the damaged file.
                if (readAll(dir.file(v.file)) != v.bytes)
                    faults.append(v.name + QStringLiteral(": the start changed the file"));
                if (s.open.contains(v.file))
                    faults.append(v.name + QStringLiteral(": refused, yet left open for the lists to read"));
            } else if (!s.readError.isEmpty()) {
                faults.append(v.name + QStringLiteral(": opened, then failed to read: ") + s.readError);
            } else if (!whole) {
                faults.append(v.name + QStringLiteral(": damage SQLite sees got past the start"));
            } else {
                ++harmless;
            }
        }
        qInfo(
            "%d variants: %d refused at start-up with the file named, %d harmless (opened and read in full)",
            int(m_variants.size()), refused, harmless);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 10).join(QLatin1Char('\n'))));
        QVERIFY(m_variants.size() >= 250);
    }

    void lookedOverOnlyWhenChanged() {
        Receipts r;
        QVERIFY(r.lookedOver()); // never noted
        r.remember();
        QVERIFY(QFile::exists(r.dir.file(TableFileCheck::noteName())));
        QVERIFY(!r.lookedOver());
        QVERIFY(!r.lookedOver()); // reading changes nothing

        r.table.insertRecord({{}, QDate(2025, 1, 1), 1.0, 2.0});
        QVERIFY(r.lookedOver());
        r.remember();
        QVERIFY(!r.lookedOver());

        // The same bytes written again, the time put back: still looked over.
        rewriteKeepingTime(r.path(), readAll(r.path()));
        QVERIFY(r.lookedOver());
    }

    void damageAfterTheNoteIsRefused() {
        Receipts r;
        r.remember();
        rewriteKeepingTime(r.path(), withBrokenPage(readAll(r.path())));
        // A connection of its own: the first one still holds the page it wrote.
        Database db(r.dir.path());
        Table table(db, QStringLiteral("Chesks.db"), QStringLiteral("Chesks"), TDM1::receiptFields());
        table.open();
        TableFileCheck check(r.dir.path());
        try {
            check.verify(db, table);
            QFAIL("a broken page got past the look-over");
        } catch (const OrvetError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("Chesks.db")), qPrintable(e.message()));
        }
    }

    void aBrokenNoteOnlyMeansALookOver() {
        Receipts r;
        r.remember();
        const QString note = r.dir.file(TableFileCheck::noteName());
        for (const QByteArray &text :
             {QByteArray("\xff\xfe garbage\n\t\t\n"), QByteArray("Chesks.db\t1 2 3.4 5.6\n"), QByteArray(),
              readAll(note).left(readAll(note).size() - 3)}) {
            QFile f(note);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(text);
            f.close();
            QVERIFY2(r.lookedOver(), text.constData());
        }
        QFile::remove(note);
        QVERIFY(r.lookedOver());
    }

    // The whole start: a clean close notes the files; damage done after it
    // is refused at the next start with the file named, and the refused file
    // keeps no note.
    void startAfterACleanClose() {
        TestDir dir;
        {
            ScriptedDialogHost host;
            TDM1 dm(dir.path(), dir.ini());
            Transaction t(dm.database());
            for (int i = 0; i < 600; ++i)
                dm.Chesks().insertRecord({{}, QDate(2024, 1, 1).addDays(i), 10.0 + i, 500.0 + i});
            t.commit();
            QVERIFY(host.errors.isEmpty());
        }
        const QByteArray note = readAll(dir.file(TableFileCheck::noteName()));
        for (const char *file : {"Orvet.db", "OrvetSost.db", "Chesks.db", "LPoezd.db"})
            QVERIFY2(note.contains(QByteArray(file) + '\t'), note.constData());
        {
            ScriptedDialogHost host;
            TDM1 dm(dir.path(), dir.ini());
            QVERIFY2(host.errors.isEmpty(), qPrintable(host.errors.join(' ')));
            QCOMPARE(dm.Chesks().recordCount(), 600);
        }
        const QString chesks = dir.file(QStringLiteral("Chesks.db"));
        rewriteKeepingTime(chesks, withBrokenPage(readAll(chesks)));
        {
            ScriptedDialogHost host;
            TDM1 dm(dir.path(), dir.ini());
            QCOMPARE(host.errors.size(), 1);
            QVERIFY2(host.errors.first().contains(QStringLiteral("Chesks.db")), qPrintable(host.errors.first()));
            QVERIFY(!dm.Chesks().isOpen());
        }
        QVERIFY(!readAll(dir.file(TableFileCheck::noteName())).contains("Chesks.db\t"));
    }
};

QTEST_MAIN(TestReliability)
#include "tst_reliability.moc"
