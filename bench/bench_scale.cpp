// Every command at a small (12 waybills) and a large (10,000 waybills)
// scale, the start-up as whole processes against a bare Qt window with as
// much text in its views, and
// storing a waybill against the same inserts made with the SQLite C API.
// Prints a table of the figures, their targets and ratios at the end;
// --report=FILE writes that table to FILE as well.
#include "BenchData.h"
#include "BenchDialogHost.h"
#include "DirectStore.h"
#include "StartupRun.h"

#include "app/AppForms.h"
#include "app/LeanStyle.h"
#include "app/TMainForm.h"
#include "core/CNumericLocale.h"
#include "core/MemoryData.h"
#include "core/OrvetError.h"
#include "data/backup/BackupFolder.h"
#include "data/backup/BackupWriter.h"
#include "data/commands/WaybillCommands.h"
#include "data/table/Database.h"
#include "data/table/TableFileCheck.h"
#include "data/TDM1.h"
#include "data/waybill/WaybillStore.h"
#include "core/Names.h"
#include "forms/TChesk_Import_F.h"
#include "forms/TOrvet_New_F.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPushButton>
#include <QSqlQuery>
#include <QFileInfo>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <memory>
#include <string>
#include <vector>

namespace {

using BenchData::Scale;

constexpr int ScaleCount = 2;
const Scale *const Scales[ScaleCount] = {&BenchData::Small, &BenchData::Large};
constexpr double CommandTargetMs = 50;
constexpr double StartupTargetRatio = 1.5;
constexpr double StoreTargetRatio = 2.0;

struct Environment {
    QTemporaryDir root;
    QString config;
    QString folder[ScaleCount];
    QString directFolder[ScaleCount]; // a copy for the C API inserts
    BenchData::Layout layout[ScaleCount];
};
Environment *g_env = nullptr;

// ---------------------------------------------------------------- start-up

// The program started in the data folder, to its first paint, as a whole
// process (the benchmark's time); each iteration also starts the bare Qt
// window with text in its views (counter bare_text_ms, the yardstick) and
// with empty ones (bare_ms), so that all meet the same state of the machine.
void BM_Startup(benchmark::State &state, int scale) {
    const std::string orvet = ORVET_EXE, bare = ORVET_BARE_EXE, bareText = ORVET_BARE_TEXT_EXE;
    const QString cwd = g_env->folder[scale];
    long peak = 0, barePeak = 0;
    double bareMs = 0, bareTextMs = 0;
    try {
        StartupRun::launch(bare, cwd, g_env->config); // files into the page cache
        StartupRun::launch(bareText, cwd, g_env->config);
        StartupRun::launch(orvet, cwd, g_env->config);
        for (auto _ : state) {
            const StartupRun::Result b = StartupRun::launch(bare, cwd, g_env->config);
            const StartupRun::Result r = StartupRun::launch(orvet, cwd, g_env->config);
            bareTextMs += StartupRun::launch(bareText, cwd, g_env->config).ms;
            state.SetIterationTime(r.ms / 1000);
            bareMs += b.ms;
            peak = std::max(peak, r.peakRssKb);
            barePeak = std::max(barePeak, b.peakRssKb);
        }
    } catch (const std::exception &e) {
        state.SkipWithError(e.what());
        return;
    }
    state.counters["bare_ms"] = bareMs / double(state.iterations());
    state.counters["bare_text_ms"] = bareTextMs / double(state.iterations());
    state.counters["peak_rss_MB"] = peak / 1024.0;
    state.counters["bare_peak_rss_MB"] = barePeak / 1024.0;
}

// The start after the table files changed outside the program (a run that
// did not close, a copy, a restore): the note of the files as the program
// left them is removed before each start, so every file is looked over.
void BM_StartupLookOver(benchmark::State &state, int scale) {
    const std::string orvet = ORVET_EXE;
    const QString cwd = g_env->folder[scale];
    const QString note = QDir(cwd).filePath(TableFileCheck::noteName());
    try {
        for (auto _ : state) {
            state.PauseTiming();
            QFile::remove(note);
            state.ResumeTiming();
            state.SetIterationTime(StartupRun::launch(orvet, cwd, g_env->config).ms / 1000);
        }
        StartupRun::launch(orvet, cwd, g_env->config); // noted again for what follows
    } catch (const std::exception &e) {
        state.SkipWithError(e.what());
    }
}

// The start on the first run of a day: the day's copy of the tables is
// made after the first paint; it is removed before each start.
void BM_StartupBackupDue(benchmark::State &state, int scale) {
    const std::string orvet = ORVET_EXE;
    const QString cwd = g_env->folder[scale];
    const QString copy = QDir(cwd).filePath(QStringLiteral("backups/") + BackupFolder::dailyName(QDate::currentDate()));
    try {
        for (auto _ : state) {
            state.PauseTiming();
            QDir(copy).removeRecursively();
            state.ResumeTiming();
            state.SetIterationTime(StartupRun::launch(orvet, cwd, g_env->config).ms / 1000);
            if (!QFileInfo(copy).isDir())
                throw std::runtime_error("the start made no copy of the day");
        }
    } catch (const std::exception &e) {
        state.SkipWithError(e.what());
    }
}

// ------------------------------------------------------------- the program

// The program as main() builds it, on one data folder, its window shown;
// the dialogs are made at once, so that no command's figure holds making them.
struct Session {
    BenchDialogHost host;
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TDM1> dm;
    std::unique_ptr<AppForms> forms;

    explicit Session(int scale) {
        QDir::setCurrent(g_env->folder[scale]); // the report template is read from there
        main = std::make_unique<TMainForm>();
        dm = std::make_unique<TDM1>(
            g_env->folder[scale], QDir(g_env->config).filePath(QStringLiteral("session-%1.ini").arg(scale)));
        forms = std::make_unique<AppForms>(*dm, main.get());
        forms->make();
        main->setDataModule(dm.get());
        dm->FS1().setValue(StoredValues::Rashodna100km, BenchData::Norm);
        dm->FS1().setValue(StoredValues::Winter, true); // no winter warning to count
        main->show();
        settle();
    }
    ~Session() {
        forms.reset();
        dm.reset();
        main.reset();
    }

    // What the user waits for after a command: the grids repainted.
    static void settle() { QCoreApplication::processEvents(); }

    // A month composed in the editor, as a new waybill makes it.
    void compose(int scale) {
        const BenchData::Layout &l = g_env->layout[scale];
        dm->setPeriod(l.newFrom, l.newTo);
        host.onDialog = nullptr;
        dm->execute(QStringLiteral("New_Orvet"));
    }

    void removeWaybill(qint64 id) {
        Transaction t(dm->database());
        WaybillStore(dm->database(), dm->Orvet(), dm->OrvetSost()).remove(id);
        t.commit();
    }

    bool failed(benchmark::State &state, bool messagesToo = true) {
        QStringList bad = host.errors;
        if (messagesToo)
            bad += host.messages;
        if (bad.isEmpty())
            return false;
        state.SkipWithError(bad.first().toUtf8().constData());
        host.errors.clear();
        host.messages.clear();
        return true;
    }
};

std::unique_ptr<Session> g_session;
int g_sessionScale = -1;

Session &session(int scale) {
    if (g_sessionScale != scale) {
        g_session.reset();
        g_sessionScale = -1;
        g_session = std::make_unique<Session>(scale);
        g_sessionScale = scale;
    }
    return *g_session;
}

void BM_PeriodFilter(benchmark::State &state, int scale) {
    Session &s = session(scale);
    const QDate a = g_env->layout[scale].period;
    bool flip = false;
    for (auto _ : state) {
        const QDate from = flip ? a.addMonths(-1) : a;
        flip = !flip;
        s.dm->setPeriod(from, from.addMonths(1).addDays(-1));
        s.dm->execute(QStringLiteral("FillExec"));
        Session::settle();
    }
    s.failed(state);
}

void BM_NewWaybill(benchmark::State &state, int scale) {
    Session &s = session(scale);
    const BenchData::Layout &l = g_env->layout[scale];
    s.host.onDialog = nullptr; // the editor is cancelled at once
    for (auto _ : state) {
        s.dm->setPeriod(l.newFrom, l.newTo);
        s.dm->execute(QStringLiteral("New_Orvet"));
        Session::settle();
    }
    if (!s.failed(state) && s.dm->Orvet_New_F()->MemoryData1->recordCount() != BenchData::DaysPerWaybill)
        state.SkipWithError("no month was composed");
}

double msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// The first new waybill of a run: every receipt's date is checked once
// before the sums (the check is then kept until the receipts change).
void BM_NewWaybillFirst(benchmark::State &state, int scale) {
    Session &s = session(scale);
    const BenchData::Layout &l = g_env->layout[scale];
    s.host.onDialog = nullptr;
    for (auto _ : state) {
        s.dm->Chesks().invalidate(); // as a fresh start finds them
        const auto t0 = std::chrono::steady_clock::now();
        s.dm->setPeriod(l.newFrom, l.newTo);
        s.dm->execute(QStringLiteral("New_Orvet"));
        Session::settle();
        state.SetIterationTime(msSince(t0) / 1000.0);
    }
    s.failed(state);
}

// Storing a waybill: the storing steps alone (counter steps_ms), then with
// the window brought up to date (the benchmark's time). Each iteration also
// stores the same rows through the C API (counter direct_ms), so that both
// meet the same state of the disk.
void BM_Store(benchmark::State &state, int scale) {
    Session &s = session(scale);
    s.compose(scale);
    double steps = 0, direct = 0;
    try {
        DirectStore other(g_env->directFolder[scale], *s.dm->Orvet_New_F()->MemoryData1, *s.dm->Orvet_New_F(),
                          g_env->layout[scale].newFrom);
        for (auto _ : state) {
            auto t0 = std::chrono::steady_clock::now();
            const qint64 id = WaybillCommands::store(*s.dm, *s.dm->Orvet_New_F());
            const double stepsMs = msSince(t0);
            Session::settle();
            state.SetIterationTime(msSince(t0) / 1000);
            steps += stepsMs;
            s.removeWaybill(id);
            Session::settle();
            t0 = std::chrono::steady_clock::now();
            const qint64 otherId = other.store();
            direct += msSince(t0);
            other.remove(otherId);
        }
    } catch (const std::exception &e) {
        state.SkipWithError(e.what());
        return;
    }
    if (s.failed(state))
        return;
    state.counters["steps_ms"] = steps / double(state.iterations());
    state.counters["direct_ms"] = direct / double(state.iterations());
}

void BM_Reopen(benchmark::State &state, int scale) {
    Session &s = session(scale);
    s.dm->Orvet().last();
    s.host.onDialog = nullptr; // cancelled: nothing is stored
    for (auto _ : state) {
        s.dm->execute(QStringLiteral("New_Orvet_Edit"));
        Session::settle();
    }
    s.failed(state);
}

void BM_Replace(benchmark::State &state, int scale) {
    Session &s = session(scale);
    s.dm->Orvet().last();
    s.host.onDialog = [&s](QDialog *) {
        s.dm->editorState().confirmed = true;
        return int(QDialog::Accepted);
    };
    for (auto _ : state) {
        s.dm->execute(QStringLiteral("New_Orvet_Edit"));
        Session::settle();
    }
    s.host.onDialog = nullptr;
    s.failed(state);
}

void BM_Delete(benchmark::State &state, int scale) {
    Session &s = session(scale);
    s.compose(scale);
    s.host.answer = true;
    for (auto _ : state) {
        state.PauseTiming();
        WaybillCommands::store(*s.dm, *s.dm->Orvet_New_F()); // the new waybill is the current one
        Session::settle();
        state.ResumeTiming();
        s.dm->execute(QStringLiteral("New_Orvet_Del"));
        Session::settle();
    }
    s.failed(state);
}

// The day's copy alone, in the running program: the four files through the
// online backup, checked, written to the disk and renamed into place.
void BM_DailyCopy(benchmark::State &state, int scale) {
    Session &s = session(scale);
    const QString folder = QDir(g_env->config).filePath(QStringLiteral("copies"));
    try {
        for (auto _ : state) {
            BackupWriter::write(s.dm->database(), s.dm->tables(), {}, folder, QStringLiteral("2000-01-01"));
            state.PauseTiming();
            QDir(folder).removeRecursively();
            state.ResumeTiming();
        }
    } catch (const OrvetError &e) {
        state.SkipWithError(e.message().toUtf8().constData());
    }
}

void BM_Print(benchmark::State &state, int scale) {
    Session &s = session(scale);
    s.dm->Orvet().last();
    s.host.onDialog = nullptr; // the preview closes at once
    for (auto _ : state) {
        s.dm->execute(QStringLiteral("Orvet_Print"));
        Session::settle();
    }
    s.failed(state);
}

// The statement import as a clerk meets it, a fleet's month of 20,000
// rows: the file chosen to the dialog shown (counter dialog_ms), Ok to the
// closing message with the receipts stored and the lists brought up to date
// (ok_ms), and the same file loaded again, every row stored before
// (again_ms). The benchmark's time is the first import, chosen to message.
constexpr int ImportRows = 20000;

QString statementFile(const QDate &month) {
    const QString path = QDir(g_env->config).filePath(QStringLiteral("statement-%1.csv").arg(ImportRows));
    if (QFileInfo::exists(path))
        return path;
    QString text = QStringLiteral("Отчёт по транзакциям\r\nКлиент: ООО «Ромашка», ИНН 7701234567\r\n"
                                  "Карта;Дата;Услуга;Количество;Цена;Стоимость со скидкой;Адрес ТО\r\n");
    for (int i = 0; i < ImportRows; ++i)
        text += QStringLiteral("7826 0101 0012 %1;%2 08:%3:00;%4;%5,%6;52,30;%7,15;г. Тверь, ул. Лесная, 4\r\n")
                    .arg(3400 + i % 12)
                    .arg(month.addDays(i % month.daysInMonth()).toString(QStringLiteral("dd.MM.yyyy")))
                    .arg(i % 60, 2, 10, QLatin1Char('0'))
                    .arg(i % 9 == 4 ? QStringLiteral("Кофе") : QStringLiteral("АИ-92"))
                    .arg(20 + i % 30)
                    .arg(i % 100, 2, 10, QLatin1Char('0'))
                    .arg(1000 + i % 800);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0)
        throw std::runtime_error("the statement was not written");
    return path;
}

void BM_Import(benchmark::State &state, int scale) {
    Session &s = session(scale);
    const QString path = statementFile(g_env->layout[scale].period);
    const QString receipts = QStringLiteral("\"%1\".\"%2\"")
                                 .arg(s.dm->database().schemaFor(TableFiles::Chesks), s.dm->Chesks().tableName());
    const auto lastId = [&] {
        QSqlQuery q = s.dm->database().exec(QStringLiteral("SELECT max(ID) FROM %1").arg(receipts));
        return q.next() ? q.value(0).toLongLong() : 0;
    };
    double dialogMs = 0, okMs = 0, againMs = 0;
    for (auto _ : state) {
        const qint64 before = lastId();
        std::chrono::steady_clock::time_point chosen, ok;
        bool first = true;
        s.host.onDialog = [&](QDialog *d) {
            if (auto *chooser = qobject_cast<QFileDialog *>(d)) {
                chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
                chosen = std::chrono::steady_clock::now();
                return int(QDialog::Accepted);
            }
            d->show();
            Session::settle();
            if (first)
                dialogMs += msSince(chosen);
            d->hide();
            ok = std::chrono::steady_clock::now();
            qobject_cast<TChesk_Import_F *>(d)->BitBtn1->click();
            return d->result();
        };
        s.dm->execute(Actions::Import_chesk);
        Session::settle();
        okMs += msSince(ok);
        state.SetIterationTime(msSince(chosen) / 1000.0);
        first = false;
        s.dm->execute(Actions::Import_chesk);
        Session::settle();
        againMs += msSince(ok);
        // The receipts taken out again, for the next round and the other figures.
        s.dm->database().write(QStringLiteral("DELETE FROM %1 WHERE ID > ?").arg(receipts), {before});
        s.dm->Chesks().invalidate();
        Session::settle();
        if (s.host.messages.size() != 2 || !s.host.messages.first().startsWith(
                                                QStringLiteral("Добавлено чеков: %1.").arg(ImportRows - ImportRows / 9)))
            break;
        s.host.messages.clear();
    }
    s.host.onDialog = nullptr;
    s.failed(state);
    state.counters["dialog_ms"] = dialogMs / double(state.iterations());
    state.counters["ok_ms"] = okMs / double(state.iterations());
    state.counters["again_ms"] = againMs / double(state.iterations());
}

// ---------------------------------------------------------------- summary

struct Result {
    double ms = -1;
    std::map<std::string, double> counters;
    std::string error;
    double counter(const std::string &name) const {
        const auto it = counters.find(name);
        return it == counters.end() ? -1 : it->second;
    }
};
std::map<std::string, Result> g_results;

class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs) {
            Result &out = g_results[r.run_name.function_name];
            if (r.error_occurred) {
                out.error = r.error_message;
                continue;
            }
            out.ms = r.GetAdjustedRealTime() * benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond) /
                     benchmark::GetTimeUnitMultiplier(r.time_unit);
            for (const auto &[name, c] : r.counters)
                out.counters[name] = c.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

std::string runName(const std::string &what, int scale) {
    return what + "/" + Scales[scale]->name;
}

const Result &result(const std::string &what, int scale) {
    return g_results[runName(what, scale)];
}

QString cell(const Result &r) {
    if (!r.error.empty())
        return QStringLiteral("failed");
    return r.ms < 0 ? QStringLiteral("—") : QString::number(r.ms, 'f', 2);
}

Result fromCounter(const Result &r, const char *name) {
    Result out;
    out.error = r.error;
    out.ms = r.counter(name);
    return out;
}

QString summary(bool *allHold) {
    QStringList lines;
    lines << QStringLiteral(
                 "| Figure | Small (12 waybills), ms | Large (10,000 waybills), ms | Target at the large "
                 "scale | Ratio (large ÷ limit) | Holds |")
          << QStringLiteral("|---|---:|---:|---|---:|---|");
    *allHold = true;
    auto row = [&](const QString &figure, const Result &small, const Result &large, const QString &target,
                   double limit) {
        QString ratio = QStringLiteral("—"), holds = QStringLiteral("—");
        if (limit > 0) {
            const bool ok = large.error.empty() && large.ms >= 0 && large.ms <= limit;
            ratio = large.ms >= 0 ? QString::number(large.ms / limit, 'f', 2) : QStringLiteral("—");
            holds = ok ? QStringLiteral("yes") : QStringLiteral("**no**");
            *allHold = *allHold && ok;
        }
        lines << QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 |")
                     .arg(figure, cell(small), cell(large), target, ratio, holds);
    };
    const Result &startSmall = result("startup", 0), &startLarge = result("startup", 1);
    const Result bare = fromCounter(startLarge, "bare_ms");
    const Result bareText = fromCounter(startLarge, "bare_text_ms");
    // The yardstick draws as much text in its three views as the main
    // window does in its lists, and is measured in the same rounds.
    row(QStringLiteral("Start-up to the main window shown (whole process)"), startSmall, startLarge,
        QStringLiteral("≤ 1.5 × bare with text = %1 ms").arg(bareText.ms * StartupTargetRatio, 0, 'f', 2),
        bareText.ms * StartupTargetRatio);
    row(QStringLiteral("Bare Qt main window, 3 table views with text (30 rows × 4 columns each)"),
        fromCounter(startSmall, "bare_text_ms"), bareText, QStringLiteral("baseline"), 0);
    row(QStringLiteral("The same bare window with empty views"), fromCounter(startSmall, "bare_ms"), bare,
        QStringLiteral("for comparison (%1 × with text)").arg(bare.ms / bareText.ms, 0, 'f', 2), 0);
    row(QStringLiteral("Start-up after the files changed outside the program (all four looked over)"),
        result("startup_lookover", 0), result("startup_lookover", 1),
        QStringLiteral("none (%1 × bare with text)").arg(result("startup_lookover", 1).ms / bareText.ms, 0, 'f', 1), 0);
    row(QStringLiteral("Start-up on a day's first run (the day's copy made after the first paint)"),
        result("startup_backup_due", 0), result("startup_backup_due", 1),
        QStringLiteral("none (%1 × bare with text)").arg(result("startup_backup_due", 1).ms / bareText.ms, 0, 'f', 1),
        0);
    row(QStringLiteral("The day's copy alone (online backup, check, disk, rename)"), result("daily_copy", 0),
        result("daily_copy", 1), QStringLiteral("none"), 0);
    const char *commands[][2] = {{"period_filter", "Period filter on the receipts"},
                                 {"new_waybill", "New waybill (generation and fitting)"},
                                 {"new_waybill_first", "New waybill, the first of a run (every receipt's date checked)"},
                                 {"store", "Storing a waybill, window brought up to date"},
                                 {"reopen", "Reopening a waybill"},
                                 {"replace", "Replacing a waybill (reopen, Ok)"},
                                 {"delete", "Deleting a waybill"},
                                 {"print", "Printing: preparing the report"}};
    for (const auto &c : commands) {
        row(QString::fromUtf8(c[1]), result(c[0], 0), result(c[0], 1), QStringLiteral("< 50 ms"),
            CommandTargetMs);
        if (std::string(c[0]) != "store")
            continue;
        const Result &small = result("store", 0), &large = result("store", 1);
        const Result direct = fromCounter(large, "direct_ms");
        row(QStringLiteral("Storing steps alone (header, day rows, commit)"), fromCounter(small, "steps_ms"),
            fromCounter(large, "steps_ms"),
            QStringLiteral("≤ 2 × C API = %1 ms").arg(direct.ms * StoreTargetRatio, 0, 'f', 2),
            direct.ms * StoreTargetRatio);
        row(QStringLiteral("Same inserts through the SQLite C API, one transaction"),
            fromCounter(small, "direct_ms"), direct, QStringLiteral("baseline"), 0);
    }
    const Result &importSmall = result("import", 0), &importLarge = result("import", 1);
    for (const auto &[counter, figure] :
         {std::pair{"dialog_ms", "Statement import, 20,000 rows: file chosen → dialog shown"},
          std::pair{"ok_ms", "Statement import: Ok → receipts stored, lists refreshed, message"},
          std::pair{"again_ms", "The same statement again (every row stored before): Ok → message"}})
        row(QString::fromUtf8(figure), fromCounter(importSmall, counter), fromCounter(importLarge, counter),
            QStringLiteral("< 100 ms"), 100);
    auto mb = [](const Result &r, const char *name) {
        const double v = r.counter(name);
        return v < 0 ? QStringLiteral("—") : QString::number(v, 'f', 1) + QStringLiteral(" MB");
    };
    lines << QStringLiteral(
                 "| Peak resident size at start-up | %1 | %2 | recorded (bare window: %3) | — | — |")
                 .arg(mb(startSmall, "peak_rss_MB"), mb(startLarge, "peak_rss_MB"),
                      mb(startLarge, "bare_peak_rss_MB"));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// The start-up taken apart: the median time at the end of each step over
// a number of runs of the instrumented start-up, at each scale.
QString phases() {
    constexpr int Runs = 15;
    std::vector<std::string> steps;
    std::map<std::string, std::vector<double>> at[ScaleCount];
    try {
        for (int s = 0; s < ScaleCount; ++s)
            for (int run = 0; run <= Runs; ++run) {
                std::string out;
                StartupRun::launch(ORVET_PHASES_EXE, g_env->folder[s], g_env->config, &out);
                if (run == 0)
                    continue; // files into the page cache
                for (const QString &line :
                     QString::fromStdString(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                    const QStringList parts = line.split(QLatin1Char(' '));
                    if (parts.size() != 2)
                        continue;
                    const std::string step = parts[0].toStdString();
                    if (std::find(steps.begin(), steps.end(), step) == steps.end())
                        steps.push_back(step);
                    at[s][step].push_back(parts[1].toDouble());
                }
            }
    } catch (const std::exception &e) {
        return QStringLiteral("Start-up steps not measured: %1\n").arg(QString::fromUtf8(e.what()));
    }
    auto median = [](std::vector<double> v) {
        if (v.empty())
            return 0.0;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    QStringList lines{
        QStringLiteral("| Start-up step (inside main) | Small: ends at, ms | Small: takes, ms | "
                       "Large: ends at, ms | Large: takes, ms |"),
        QStringLiteral("|---|---:|---:|---:|---:|")};
    double before[ScaleCount] = {0, 0};
    for (const std::string &step : steps) {
        QString line = QStringLiteral("| %1 |").arg(QString::fromStdString(step));
        for (int s = 0; s < ScaleCount; ++s) {
            const double end = median(at[s][step]);
            line += QStringLiteral(" %1 | %2 |").arg(end, 0, 'f', 2).arg(end - before[s], 0, 'f', 2);
            before[s] = end;
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace

int main(int argc, char **argv) {
    QString reportPath;
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--report=", 0) == 0)
            reportPath = QString::fromStdString(a.substr(9));
        else
            args.push_back(argv[i]);
    }
    int n = int(args.size());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Environment env;
    env.config = env.root.filePath(QStringLiteral("config"));
    QDir().mkpath(env.config);
    qputenv("XDG_CONFIG_HOME", env.config.toLocal8Bit()); // never the user's settings
    g_env = &env;
    QApplication app(n, args.data());
    CNumericLocale::setForProcess(); // figures printed with a point, as main() does
    QApplication::setStyle(new LeanStyle);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));

    for (int s = 0; s < ScaleCount; ++s) {
        env.folder[s] = env.root.filePath(QLatin1String(Scales[s]->name));
        env.layout[s] = BenchData::layout(*Scales[s]);
        QElapsedTimer t;
        t.start();
        const BenchData::Counts c = BenchData::generate(env.folder[s], *Scales[s]);
        std::printf("%s: %lld waybills, %lld day rows, %lld receipts, %lld trip types, made in %.1f s\n",
                    Scales[s]->name, c.waybills, c.dayRows, c.receipts, c.tripTypes, t.elapsed() / 1000.0);
        env.directFolder[s] = env.folder[s] + QStringLiteral("-direct");
        QDir().mkpath(env.directFolder[s]);
        for (const char *f : {"Orvet.db", "OrvetSost.db", "Chesks.db", "LPoezd.db"})
            QFile::copy(QDir(env.folder[s]).filePath(QLatin1String(f)),
                        QDir(env.directFolder[s]).filePath(QLatin1String(f)));
    }

    for (int s = 0; s < ScaleCount; ++s) {
        benchmark::RegisterBenchmark(runName("startup", s).c_str(), BM_Startup, s)
            ->UseManualTime()
            ->Iterations(15)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(runName("startup_lookover", s).c_str(), BM_StartupLookOver, s)
            ->UseManualTime()
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(runName("startup_backup_due", s).c_str(), BM_StartupBackupDue, s)
            ->UseManualTime()
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond);
    }
    using Fn = void (*)(benchmark::State &, int);
    const std::pair<const char *, Fn> commands[] = {{"period_filter", BM_PeriodFilter},
                                                    {"new_waybill", BM_NewWaybill},
                                                    {"new_waybill_first", BM_NewWaybillFirst},
                                                    {"store", BM_Store},
                                                    {"reopen", BM_Reopen},
                                                    {"replace", BM_Replace},
                                                    {"delete", BM_Delete},
                                                    {"print", BM_Print},
                                                    {"daily_copy", BM_DailyCopy},
                                                    {"import", BM_Import}};
    for (int s = 0; s < ScaleCount; ++s)
        for (const auto &[name, fn] : commands) {
            auto *b = benchmark::RegisterBenchmark(runName(name, s).c_str(), fn, s);
            if (fn == BM_Store || fn == BM_NewWaybillFirst || fn == BM_Import)
                b->UseManualTime();
            else
                b->UseRealTime();
            b->MinTime(0.3)->Unit(benchmark::kMillisecond);
        }

    benchmark::Initialize(&n, args.data());
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    g_session.reset();

    bool allHold = false;
    const QString table = summary(&allHold) + QLatin1Char('\n') + phases();
    std::printf("\n%s\nEvery target holds: %s\n", table.toUtf8().constData(), allHold ? "yes" : "NO");
    if (!reportPath.isEmpty()) {
        QFile f(reportPath);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(table.toUtf8());
    }
    return 0;
}
