// The look-over of the table files at start-up: made when a file is not as
// the program left it, skipped when it is, and damage done after the
// program closed is still refused.
#include "ScriptedDialogHost.h"
#include "TestDir.h"

#include "core/OrvetError.h"
#include "data/table/Database.h"
#include "data/table/Table.h"
#include "data/table/TableFileCheck.h"
#include "data/TDM1.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Rewrites the file in place, then puts its modification time back, as a
// copy tool or a damaged disk write might leave it.
void rewriteKeepingTime(const QString &path, const QByteArray &bytes) {
    const QDateTime modified = QFileInfo(path).lastModified();
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QCOMPARE(f.write(bytes), bytes.size());
    QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
    f.close();
    QCOMPARE(QFileInfo(path).lastModified(), modified);
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
    void remember() { TableFileCheck(dir.path()).remember({&table}); }
    QString path() const { return dir.file(QStringLiteral("Chesks.db")); }
};

} // namespace

class TestFileCheck : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pinRussianLocale(); }

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

QTEST_MAIN(TestFileCheck)
#include "tst_filecheck.moc"
