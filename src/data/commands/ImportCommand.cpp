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

QString ImportCommand::summary(int added, int skipped, int leftOut) {
    return QStringLiteral(
               "Добавлено чеков: %1.\nПропущено, так как уже внесены: %2.\nНе загружено (не топливо): %3.")
        .arg(added)
        .arg(skipped)
        .arg(leftOut);
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
        {QStringLiteral("Выписки по топливной карте (*.csv *.txt *.xlsx)"), QStringLiteral("Все файлы (*)")});
    if (DialogHost::instance().execDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    m_folder = QFileInfo(path).absolutePath();
    return path;
}

void ImportCommand::importFile(const QString &path) {
    const StatementTable table = StatementFile::read(path);
    const StatementLayout guessed = StatementLayout::guess(table);
    const qsizetype columns = table.columnCount();
    QList<QStringList> rows;
    for (qsizetype r = guessed.headerRow + 1; r < table.rows.size(); ++r)
        rows.append(texts(table.rows.at(r), columns));
    const QStringList titles =
        guessed.headerRow >= 0 ? texts(table.rows.at(guessed.headerRow), columns) : QStringList();

    TChesk_Import_F *f = m_dm.Chesk_Import_F();
    if (!f)
        return;
    f->setStatement(table.fileName, titles, rows, &StatementLayout::looksLikeFuel);
    f->setColumns(guessed.date, guessed.litres, guessed.rubles, guessed.product);
    {
        OkFlag<TChesk_Import_F> ok(f, m_accepted);
        DialogHost::instance().execDialog(f);
    }
    if (!m_accepted)
        return;
    StatementLayout chosen = guessed;
    chosen.date = f->dateColumn();
    chosen.litres = f->litresColumn();
    chosen.rubles = f->rublesColumn();
    chosen.product = f->productColumn();
    const StatementReceipts::Result read =
        StatementReceipts::read(table, chosen, chosen.product >= 0 ? f->leftOutProducts() : QSet<QString>());

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
    if (!fresh.isEmpty()) {
        Table &chesks = m_dm.Chesks();
        const ControlsHold<Table> hold(chesks);
        Transaction transaction(m_dm.database());
        for (const auto &r : std::as_const(fresh))
            chesks.insertRecord({QVariant(), r.date, r.litres, r.rubles});
        transaction.commit();
    }
    DialogHost::instance().showMessage(summary(int(fresh.size()), skipped, read.leftOut));
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
