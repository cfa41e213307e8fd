#include "data/commands/FuelStatementCommand.h"

#include "controls/DateEdit.h"
#include "core/DialogHost.h"
#include "core/Names.h"
#include "core/OrvetError.h"
#include "data/TDM1.h"
#include "data/commands/PrintCommand.h"
#include "data/commands/WaybillCommands.h"
#include "data/waybill/FuelStatement.h"
#include "forms/TFuelStatement_F.h"

#include <QApplication>
#include <QDir>

FuelStatementCommand::FuelStatementCommand(TDM1 &dm)
    : m_dm(dm), m_rows(QStringLiteral("FRS"), FuelStatement::fieldNames()),
      m_totals(QStringLiteral("FRT"), FuelStatement::fieldNames()),
      m_remarks(QStringLiteral("FRQ"), {QStringLiteral("TEXT")}) {
    m_engine.registerDataSource(&m_rows);
    m_engine.registerDataSource(&m_totals);
    m_engine.registerDataSource(&m_remarks);
    m_engine.setVariableHandler([this](const QString &name, QVariant &value) { getValue(name, value); });
    dm.actions().setHandler(Actions::Fuel_Statement, [this] { Fuel_StatementExecute(); });
}

FuelStatementCommand::~FuelStatementCommand() = default;

void FuelStatementCommand::load(const QDate &from, const QDate &to) {
    if (!from.isValid() || !to.isValid() || from > to)
        throw OrvetError(QStringLiteral("Начало периода позже его конца"));
    FuelStatement::Input input;
    input.from = from;
    input.to = to;
    input.tankVolume = m_dm.surcharges().tankVolume();
    input.normOf = [this](int year, int month) { return WaybillCommands::normOf(m_dm, year, month); };
    m_statement = std::make_unique<FuelStatement>(m_dm.Orvet(), m_dm.OrvetSost(), m_dm.Chesks(),
                                                  m_dm.OrvetBak(), input);
    m_from = from;
    m_to = to;
    QList<ListDataSource::Row> rows;
    for (const FuelStatement::Row &row : m_statement->rows())
        rows.append(FuelStatement::values(row));
    m_rows.setRows(rows);
    m_totals.setRows({FuelStatement::values(m_statement->totals())});
    QList<ListDataSource::Row> remarks;
    for (const QString &r : m_statement->remarks())
        remarks.append({r});
    m_remarks.setRows(remarks);
    // Read at every run, like the waybill's template: an edit shows at once.
    m_engine.loadFromFile(QDir(m_dm.database().directory()).filePath(TemplateFile));
    m_engine.setTitle(QStringLiteral("Ведомость расхода топлива"));
}

void FuelStatementCommand::Fuel_StatementExecute() {
    Table &waybills = m_dm.Orvet();
    const int year = waybills.isEmpty() ? QDate::currentDate().year() : waybills.asDate(Fields::DATE).year();
    TFuelStatement_F dialog(QApplication::activeWindow());
    dialog.DateFrom->setDate(QDate(year, 1, 1));
    dialog.DateTo->setDate(QDate(year, 12, 31));
    if (DialogHost::instance().execDialog(&dialog) != QDialog::Accepted)
        return;
    load(dialog.DateFrom->date(), dialog.DateTo->date());
    m_engine.showReport();
}

PreparedReport FuelStatementCommand::prepare(const QDate &from, const QDate &to) {
    load(from, to);
    return m_engine.prepare();
}

void FuelStatementCommand::getValue(const QString &name, QVariant &value) const {
    const QString format = QStringLiteral("dd.MM.yyyy");
    if (name == QLatin1String("PeriodFrom"))
        value = m_from.toString(format);
    else if (name == QLatin1String("PeriodTo"))
        value = m_to.toString(format);
    else if (name == QLatin1String("NormaOsnovanie") || name.startsWith(QLatin1String("Bak")))
        return; // the waybill's own; the statement has them by row
    else
        m_dm.printCommand().FR1GetValue(name, value);
}
