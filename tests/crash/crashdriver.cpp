// Drives the data module headless for the crash test (crash_test.py).
//
//   crashdriver run <dir> <seed>   stores, replaces and deletes waybills in a
//                                  loop until it is killed; every operation is
//                                  announced on stdout before it starts
//                                  ("BEGIN ...") and after it has committed
//                                  ("DONE ...").
//   crashdriver check <dir>        starts the program on the folder as a user
//                                  would (data module, windows, main window
//                                  shown) and reads every table; exits 0 only
//                                  when nothing was reported.
#include "Program.h"
#include "ScriptedDialogHost.h"
#include "TestDir.h"

#include "core/OrvetError.h"
#include "data/commands/PrintCommand.h"
#include "data/TDM1.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"
#include "report/ReportTemplateParser.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
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

int check(const QString &dir) {
    Program start(dir);
    start.show();
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
    say(QStringLiteral("usage: crashdriver run <dir> <seed> | check <dir>"));
    return 1;
}
