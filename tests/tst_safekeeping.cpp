// Stored waybills against what happens around the program: a table file
// that does not open (damaged, emptied, locked by another program at the
// start) is no empty table to the commands; a file changed behind the
// program's back while it runs is looked over at the next start; the note
// beside the tables and the default template never write through a link.
#include "app/SingleInstance.h"
#include "core/Names.h"
#include "data/commands/PrintCommand.h"
#include "data/table/Table.h"
#include "data/table/TableFileCheck.h"
#include "FileFaults.h"
#include "forms/TOrvet_New_F.h"
#include "Program.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <future>

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
            if (programWritesAfter)
                QCOMPARE(p.deleteLast(), QString());
        }
        const QByteArray note = readAll(dir.file(TableFileCheck::noteName()));
        QVERIFY2(!note.contains("OrvetSost.db\t"), note.constData());
        for (const char *kept : {"Orvet.db\t", "Chesks.db\t", "LPoezd.db\t"})
            QVERIFY2(note.contains(kept), note.constData());
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
