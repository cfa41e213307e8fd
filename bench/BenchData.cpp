#include "BenchData.h"

#include "BenchDialogHost.h"
#include "data/TDM1.h"
#include "forms/TOrvet_New_F.h"

#include <QDir>
#include <QHash>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>

namespace BenchData {

namespace {

[[noreturn]] void fail(const QString &what) {
    throw std::runtime_error(what.toStdString());
}

QDate firstOfMonth(const QDate &d) {
    return QDate(d.year(), d.month(), 1);
}

// One connection on the four files, reached under the schema names the
// program gives them.
class Connection {
public:
    explicit Connection(const QString &folder) {
        const QDir dir(folder);
        if (sqlite3_open_v2(dir.filePath(QStringLiteral("Orvet.db")).toUtf8().constData(), &m_db,
                            SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            fail(QStringLiteral("cannot open %1").arg(dir.filePath(QStringLiteral("Orvet.db"))));
        for (const char *schema : {"OrvetSost", "Chesks", "LPoezd"})
            exec(
                QStringLiteral("ATTACH DATABASE '%1' AS \"%2\"")
                    .arg(dir.filePath(QLatin1String(schema) + QStringLiteral(".db")), QLatin1String(schema)));
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void exec(const QString &sql) {
        char *error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const QString text = QString::fromUtf8(error ? error : "?");
            sqlite3_free(error);
            fail(sql + QStringLiteral(": ") + text);
        }
    }
    qint64 scalar(const QString &sql) {
        sqlite3_stmt *s = prepare(sql);
        const qint64 v = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
        sqlite3_finalize(s);
        return v;
    }
    sqlite3_stmt *prepare(const QString &sql) {
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK)
            fail(sql + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(m_db)));
        return s;
    }
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

// A prepared insert, bound column by column and stepped once per row.
class Insert {
public:
    Insert(Connection &c, const QString &sql) : m_c(c), m_s(c.prepare(sql)) {}
    ~Insert() { sqlite3_finalize(m_s); }
    Insert &text(const QString &v) {
        const QByteArray b = v.toUtf8();
        sqlite3_bind_text(m_s, ++m_col, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert &integer(qint64 v) {
        sqlite3_bind_int64(m_s, ++m_col, v);
        return *this;
    }
    Insert &real(double v) {
        sqlite3_bind_double(m_s, ++m_col, v);
        return *this;
    }
    qint64 run() {
        if (sqlite3_step(m_s) != SQLITE_DONE)
            fail(QString::fromUtf8(sqlite3_errmsg(m_c.handle())));
        sqlite3_reset(m_s);
        m_col = 0;
        return sqlite3_last_insert_rowid(m_c.handle());
    }

private:
    Connection &m_c;
    sqlite3_stmt *m_s;
    int m_col = 0;
};

struct Trip {
    QString name, tout, tin;
    double prob;
};

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

Layout layout(const Scale &scale, const QDate &today) {
    Layout l;
    l.period = firstOfMonth(today).addMonths(-1);
    // The newest waybill: the latest 31-day month before the period whose
    // next month has 31 days too (July or December), so that a new waybill
    // for that next month finds it and has as many days.
    QDate m = l.period.addMonths(-1);
    while (m.daysInMonth() != DaysPerWaybill || m.addMonths(1).daysInMonth() != DaysPerWaybill)
        m = m.addMonths(-1);
    l.newestMonth = m;
    l.newFrom = m.addMonths(1);
    l.newTo = l.newFrom.addMonths(1).addDays(-1);
    int found = 1;
    while (found < scale.waybills) {
        m = m.addMonths(-1);
        if (m.daysInMonth() == DaysPerWaybill)
            ++found;
    }
    l.firstMonth = m;
    return l;
}

Counts generate(const QString &folder, const Scale &scale, const QDate &today) {
    if (!QDir().mkpath(folder))
        fail(QStringLiteral("cannot create %1").arg(folder));
    const QDir dir(folder);
    for (const char *f : {"Orvet.db", "OrvetSost.db", "Chesks.db", "LPoezd.db"})
        if (dir.exists(QLatin1String(f)))
            fail(QStringLiteral("%1 already holds %2").arg(folder, QLatin1String(f)));

    // The program makes its own files, so their schema is exactly its own.
    {
        BenchDialogHost host;
        const auto dm = std::make_unique<TDM1>(folder, dir.filePath(QStringLiteral("Orvet.ini")));
        if (!host.errors.isEmpty())
            fail(host.errors.join(QLatin1Char('\n')));
    }

    const Layout l = layout(scale, today);
    Connection c(folder);
    for (const char *schema : {"main", "OrvetSost", "Chesks", "LPoezd"})
        c.exec(QStringLiteral("PRAGMA \"%1\".synchronous=OFF").arg(QLatin1String(schema)));
    c.exec(QStringLiteral("BEGIN IMMEDIATE"));

    QVector<Trip> trips;
    {
        Insert ins(c,
                   QStringLiteral("INSERT INTO \"LPoezd\".\"LPoezd\" (\"NAME\", \"TOUT\", \"TIN\", \"PROB\") "
                                  "VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < scale.tripTypes; ++i) {
            Trip t{QStringLiteral("Поездка %1").arg(i + 1, 4, 10, QLatin1Char('0')),
                   twoDigits(7 + i % 4) + QStringLiteral(":00"),
                   twoDigits(15 + i % 4) + QStringLiteral(":30"), double(5 + (i * 37) % 96)};
            ins.text(t.name).text(t.tout).text(t.tin).real(t.prob).run();
            trips.append(t);
        }
    }

    // Receipts from the oldest waybill's month to the end of the period,
    // evenly spread; their sums per month go into the waybills.
    QHash<int, double> rublesOfMonth;
    {
        Insert ins(c, QStringLiteral("INSERT INTO \"Chesks\".\"Chesks\" (\"DATE\", \"LITRS\", \"SUMRUB\") "
                                     "VALUES (?, ?, ?)"));
        const qint64 start = l.firstMonth.toJulianDay();
        const qint64 span = l.period.addMonths(1).toJulianDay() - start;
        for (int k = 0; k < scale.receipts; ++k) {
            const QDate d = QDate::fromJulianDay(start + qint64(k) * span / scale.receipts);
            const double litres = 15 + k % 11;
            const double rubles = litres * 55.5;
            ins.text(d.toString(Qt::ISODate)).real(litres).real(rubles).run();
            rublesOfMonth[d.year() * 12 + d.month()] += rubles;
        }
    }

    const QStringList months = TOrvet_New_F::monthNames();
    Insert header(
        c, QStringLiteral("INSERT INTO \"main\".\"Orvet\" (\"DATE\", \"NUMBL\", \"YEAR\", \"MOUNTH\", "
                          "\"PROBB\", \"PROBE\", \"SUMRUB\", \"SUMLITR\") VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    Insert day(c, QStringLiteral("INSERT INTO \"OrvetSost\".\"OrvetSost\" (\"IDJOIN\", \"CHISLO\", \"CEL\", "
                                 "\"VROUT\", \"VRIN\", \"SPROBS\", \"SPROBE\", \"PROB\", \"RASHOD\") "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    Insert totals(
        c, QStringLiteral("UPDATE \"main\".\"Orvet\" SET \"PROBE\" = ?, \"SUMLITR\" = ? WHERE \"ID\" = ?"));
    double reading = 10000;
    QDate month = l.firstMonth;
    for (int w = 0; w < scale.waybills; ++w) {
        while (month.daysInMonth() != DaysPerWaybill)
            month = month.addMonths(1);
        const double start = reading;
        const qint64 id = header.text(month.toString(Qt::ISODate))
                              .text(twoDigits(w % 12 + 1))
                              .text(QString::number(month.year()))
                              .text(months.at(month.month() - 1))
                              .real(start)
                              .real(start)
                              .real(rublesOfMonth.value(month.year() * 12 + month.month()))
                              .real(0)
                              .run();
        double fuel = 0;
        for (int d = 1; d <= DaysPerWaybill; ++d) {
            day.integer(id).text(twoDigits(d));
            if (month.addDays(d - 1).dayOfWeek() >= 6) {
                day.text(QString()).text(QString()).text(QString()).real(0).real(0).real(0).real(0).run();
                continue;
            }
            const Trip &t = trips.at(int((qint64(w) * DaysPerWaybill + d) * 7919 % trips.size()));
            const double rashod = t.prob * (Norm / 100);
            day.text(t.name)
                .text(t.tout)
                .text(t.tin)
                .real(reading)
                .real(reading + t.prob)
                .real(t.prob)
                .real(rashod);
            day.run();
            reading += t.prob;
            fuel += rashod;
        }
        totals.real(reading).real(fuel).integer(id).run();
        month = month.addMonths(1);
    }
    c.exec(QStringLiteral("COMMIT"));
    return count(folder);
}

Counts count(const QString &folder) {
    Connection c(folder);
    Counts n;
    n.waybills = c.scalar(QStringLiteral("SELECT count(*) FROM \"main\".\"Orvet\""));
    n.dayRows = c.scalar(QStringLiteral("SELECT count(*) FROM \"OrvetSost\".\"OrvetSost\""));
    n.receipts = c.scalar(QStringLiteral("SELECT count(*) FROM \"Chesks\".\"Chesks\""));
    n.tripTypes = c.scalar(QStringLiteral("SELECT count(*) FROM \"LPoezd\".\"LPoezd\""));
    return n;
}

} // namespace BenchData
