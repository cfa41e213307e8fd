#include "data/commands/ImportCommand.h"

#include "core/ControlsHold.h"
#include "core/DateText.h"
#include "core/DialogHost.h"
#include "core/ErrorBoundary.h"
#include "core/Names.h"
#include "data/TDM1.h"
#include "data/commands/OkFlag.h"
#include "data/statement/StatementFile.h"
#include "forms/TChesk_Import_F.h"
#include "report/FileDialogTexts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QStringList texts(const StatementRow &row, qsizetype columns) {
    QStringList out;
    for (qsizetype c = 0; c < columns; ++c)
        out.append(row.text(c));
    return out;
}

// Puts the receipt list's filter back as it was, whatever happens between.
class FilterKeep {
public:
    explicit FilterKeep(Table &t) : m_table(t), m_text(t.filter()), m_filtered(t.filtered()) {}
    ~FilterKeep() {
        ErrorBoundary::guarded([this] {
            m_table.setFiltered(false);
            m_table.setFilter(m_text);
            m_table.setFiltered(m_filtered);
        });
    }
    FilterKeep(const FilterKeep &) = delete;
    FilterKeep &operator=(const FilterKeep &) = delete;

private:
    Table &m_table;
    QString m_text;
    bool m_filtered;
};
} // namespace

ImportCommand::ImportCommand(TDM1 &dm) : m_dm(dm) {
    dm.actions().setHandler(Actions::Import_chesk, [this] { Import_cheskExecute(); });
}

QString ImportCommand::summary(const Outcome &o) {
    QString text = QStringLiteral("Добавлено чеков: %1.").arg(o.added);
    if (o.refunds > 0)
        text += QStringLiteral("\nИз них возвратов и отмен (внесены со знаком минус): %1.").arg(o.refunds);
    text += QStringLiteral("\nПропущено, так как уже внесены: %1.\nНе загружено (не топливо): %2.")
                .arg(o.skipped)
                .arg(o.leftOut);
    if (o.otherCards > 0)
        text += QStringLiteral("\nНе загружено (другие карты): %1.").arg(o.otherCards);
    if (o.totals > 0)
        text += QStringLiteral("\nПропущено строк итогов и строк без даты: %1.").arg(o.totals);
    return text;
}

void ImportCommand::Import_cheskExecute() {
    const QString path = chooseFile();
    if (!path.isEmpty())
        importFile(path);
}

// Qt's own file dialog, so that it goes through the dialog host like any
// other and tests choose the file in it.
QString ImportCommand::chooseFile() {
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(m_folder).exists())
        m_folder = QDir::homePath();
    QFileDialog dialog(nullptr, QStringLiteral("Загрузить чеки из файла"), m_folder);
    dialog.setObjectName(QStringLiteral("ImportFileDialog"));
    FileDialogTexts::apply(&dialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(
        {QStringLiteral("Выписки по топливной карте (*.csv *.txt *.xlsx *.xls)"), QStringLiteral("Все файлы (*)")});
    if (DialogHost::instance().execDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    m_folder = QFileInfo(path).absolutePath();
    return path;
}

void ImportCommand::importFile(const QString &path) {
    TChesk_Import_F *f = m_dm.Chesk_Import_F();
    if (!f)
        return;
    StatementTable table = StatementFile::read(path);
    StatementLayout guessed;
    const auto show = [&] {
        guessed = StatementLayout::guess(table);
        const qsizetype columns = table.columnCount();
        QList<QStringList> rows;
        for (qsizetype r = guessed.headerRow + 1; r < table.rows.size(); ++r)
            rows.append(texts(table.rows.at(r), columns));
        const QStringList titles =
            guessed.headerRow >= 0 ? texts(table.rows.at(guessed.headerRow), columns) : QStringList();
        f->setStatement(table.fileName, titles, rows, &StatementLayout::looksLikeFuel);
        f->setSource(table.sheets, table.sheet, table.separator);
        f->setFinders(
            [&table, &guessed](int cardColumn) {
                StatementLayout layout = guessed;
                layout.card = cardColumn;
                return StatementReceipts::cardsOf(table, layout);
            },
            &StatementReceipts::isRefund);
        f->setColumns(guessed.date, guessed.litres, guessed.rubles, guessed.product, guessed.price, guessed.card,
                      guessed.operation);
    };
    show();
    // Another sheet or separator: the file read again, its columns found
    // again; a file that now fails keeps what is shown.
    const QMetaObject::Connection reread = QObject::connect(f, &TChesk_Import_F::sourceChanged, f, [&] {
        if (!ErrorBoundary::guarded([&] { table = StatementFile::read(path, {f->sheet(), f->separator()}); }))
            f->setSource(table.sheets, table.sheet, table.separator);
        else
            show();
    });
    {
        OkFlag<TChesk_Import_F> ok(f, m_accepted);
        DialogHost::instance().execDialog(f);
    }
    QObject::disconnect(reread);
    f->setFinders({}, {});
    if (!m_accepted)
        return;
    StatementLayout chosen = guessed;
    chosen.date = f->dateColumn();
    chosen.litres = f->litresColumn();
    chosen.rubles = f->rublesColumn();
    chosen.product = f->productColumn();
    chosen.price = f->priceColumn();
    chosen.card = f->cardColumn();
    chosen.operation = f->operationColumn();
    const StatementReceipts::Result read = StatementReceipts::read(
        table, chosen,
        {chosen.product >= 0 ? f->leftOutProducts() : QSet<QString>(), f->leftOutCards()});

    QList<StatementReceipts::Receipt> fresh = read.receipts;
    int skipped = 0;
    if (!fresh.isEmpty()) {
        QDate from = fresh.constFirst().date, to = from;
        for (const auto &r : std::as_const(fresh)) {
            from = qMin(from, r.date);
            to = qMax(to, r.date);
        }
        fresh = StatementReceipts::notStored(fresh, storedBetween(from, to), &skipped);
    }
    int refunds = 0;
    if (!fresh.isEmpty()) {
        Table &chesks = m_dm.Chesks();
        const ControlsHold<Table> hold(chesks);
        QList<QVariantList> records;
        records.reserve(fresh.size());
        for (const auto &r : std::as_const(fresh)) {
            records.append({QVariant(), r.date, r.litres, r.rubles});
            refunds += r.refund;
        }
        Transaction transaction(m_dm.database());
        chesks.insertRecords(records);
        transaction.commit();
    }
    DialogHost::instance().showMessage(
        summary({int(fresh.size()), skipped, read.leftOut, refunds, read.otherCards, read.totals}));
}

QList<StatementReceipts::Receipt> ImportCommand::storedBetween(const QDate &from, const QDate &to) {
    Table &chesks = m_dm.Chesks();
    const ControlsHold<Table> hold(chesks);
    const FilterKeep keep(chesks);
    chesks.setFiltered(false);
    chesks.setFilter(DateText::periodFilter(from, to));
    chesks.setFiltered(true);
    QList<StatementReceipts::Receipt> stored;
    for (chesks.first(); !chesks.eof(); chesks.next())
        stored.append(
            {chesks.asDate(Fields::DATE), chesks.asFloat(Fields::LITRS), chesks.asFloat(Fields::SUMRUB), 0});
    return stored;
}
