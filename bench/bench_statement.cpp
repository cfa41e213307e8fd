// Reading a fuel card statement, as the import does before its dialog: a
// year of a busy card (a purchase a day and a coffee now and then) and a
// fleet's month, in the encodings and shapes issuers use.
#include "data/statement/CsvStatement.h"
#include "data/statement/StatementLayout.h"
#include "data/statement/StatementReceipts.h"

#include "forms/TChesk_Import_F.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QStringEncoder>
#include <benchmark/benchmark.h>

namespace {
QByteArray statement(int rows, bool cp1251) {
    QString text = QStringLiteral("Выписка по топливной карте № 7826 0100 1234 5678\r\n"
                                  "Дата операции;Время;АЗС;Товар;Количество, л;Цена, руб.;Сумма, руб.\r\n");
    const QDate start(2025, 1, 1);
    for (int i = 0; i < rows; ++i) {
        const bool coffee = i % 9 == 4;
        text += QStringLiteral("%1;08:%2;\"АЗС № %3; г. Тверь,\nул. Лесная, 4\";%4;%5;52,30;%6\r\n")
                    .arg(start.addDays(i / 3 % 365).toString(QStringLiteral("dd.MM.yyyy")))
                    .arg(i % 60, 2, 10, QLatin1Char('0'))
                    .arg(i % 40)
                    .arg(coffee ? QStringLiteral("Кофе") : QStringLiteral("АИ-92"))
                    .arg(coffee ? QStringLiteral("1,00") : QStringLiteral("%1,50").arg(20 + i % 30))
                    .arg(QStringLiteral("1 %1,15").arg(100 + i % 800));
    }
    if (!cp1251)
        return text.toUtf8();
    QStringEncoder encode("windows-1251");
    return encode(text);
}

void BM_ReadStatement(benchmark::State &state, bool cp1251) {
    const QByteArray bytes = statement(int(state.range(0)), cp1251);
    for (auto _ : state) {
        const StatementTable table = CsvStatement::read(bytes, QStringLiteral("s.csv"));
        const StatementLayout layout = StatementLayout::guess(table);
        benchmark::DoNotOptimize(StatementReceipts::read(table, layout, {{QStringLiteral("Кофе")}, {}}));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK_CAPTURE(BM_ReadStatement, utf8, false)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadStatement, cp1251, true)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_NotStored(benchmark::State &state) {
    QList<StatementReceipts::Receipt> fresh, stored;
    for (int i = 0; i < state.range(0); ++i) {
        fresh.append({QDate(2025, 1, 1).addDays(i / 3), 20.5 + i % 30, 1000.15 + i % 800, i + 2});
        if (i % 2)
            stored.append(fresh.last());
    }
    int skipped = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(StatementReceipts::notStored(fresh, stored, &skipped));
}
BENCHMARK(BM_NotStored)->Arg(20000)->Unit(benchmark::kMillisecond);

// The import dialog filled: its preview and its list of products, each
// row a product of its own (the audit's worst case).
void BM_ImportDialog(benchmark::State &state) {
    QList<QStringList> rows;
    for (int i = 0; i < state.range(0); ++i)
        rows.append({QStringLiteral("01.02.2025"), QStringLiteral("40"), QStringLiteral("2000"),
                     QStringLiteral("Товар %1").arg(i)});
    for (auto _ : state) {
        TChesk_Import_F f;
        f.setStatement(QStringLiteral("s.csv"), {QStringLiteral("Дата"), QStringLiteral("Литры"),
                                                 QStringLiteral("Сумма"), QStringLiteral("Товар")},
                       rows, &StatementLayout::looksLikeFuel);
        f.setColumns(0, 1, 2, 3);
    }
}
BENCHMARK(BM_ImportDialog)->Arg(100000)->Unit(benchmark::kMillisecond);

// A statement refused for one cell of 50 MB, as the import reads it.
void BM_RefuseLongCell(benchmark::State &state) {
    const QByteArray bytes = "Дата;Литры;Сумма;Адрес\n01.02.2025;40;2000;" + QByteArray(50 << 20, 'x') + "\n";
    for (auto _ : state) {
        try {
            CsvStatement::read(bytes, QStringLiteral("s.csv"));
        } catch (...) {
        }
    }
}
BENCHMARK(BM_RefuseLongCell)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
