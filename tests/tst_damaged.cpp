// Damaged table files: bytes flipped and files cut short, a few hundred
// variants of files the program wrote itself. Every variant must either
// be refused at start-up with a message that names the file, or open and
// read in full; nothing may crash, and damage that SQLite can see must not
// get past the start.
#include "Program.h"
#include "ScriptedDialogHost.h"
#include "TestDir.h"

#include "core/OrvetError.h"
#include "data/TDM1.h"
#include "forms/TOrvet_New_F.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

const QStringList &tableFiles() {
    static const QStringList f{QStringLiteral("Orvet.db"), QStringLiteral("OrvetSost.db"),
                               QStringLiteral("Chesks.db"), QStringLiteral("LPoezd.db")};
    return f;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// What SQLite itself says of a file, on a connection of its own.
bool sqliteFindsItWhole(const QString &path) {
    bool whole = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("judge"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            whole = q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next() &&
                    q.value(0).toString() == QLatin1String("ok") && !q.next();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("judge"));
    return whole;
}

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

} // namespace

class TestDamaged : public QObject {
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
            ScriptedDialogHost &host = program.host;
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
                const QDate first(2024, m, 1);
                dm.setPeriod(first, first.addMonths(1).addDays(-1));
                dm.FS1().setValue(StoredValues::Winter, m <= 4 || m >= 11);
                host.expectDialog([](QDialog *d) {
                    static_cast<TOrvet_New_F *>(d)->BitBtn1Click();
                    return int(QDialog::Accepted);
                });
                dm.execute(QStringLiteral("New_Orvet"));
            }
            QVERIFY2(host.errors.isEmpty(), qPrintable(host.errors.join(' ')));
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
            const bool whole = sqliteFindsItWhole(dir.file(v.file));
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
};

QTEST_MAIN(TestDamaged)
#include "tst_damaged.moc"
