#pragma once

#include "report/ListDataSource.h"
#include "report/ReportEngine.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <memory>

class TDM1;
class FuelStatement;

// The statement of fuel consumption for a period the user chooses,
// printed through the report engine from its own template file beside the
// tables: FRS the waybills, FRT the totals (one row), FRQ the remarks.
class FuelStatementCommand {
public:
    static inline const QString TemplateFile = QStringLiteral("Orvet_Rashod.frf");

    explicit FuelStatementCommand(TDM1 &dm);
    ~FuelStatementCommand();

    // Asks for the period (the selected waybill's year to begin with), then
    // shows the statement.
    void Fuel_StatementExecute();
    // Prepares the pages of a period without showing them.
    PreparedReport prepare(const QDate &from, const QDate &to);
    const FuelStatement *statement() const { return m_statement.get(); }

private:
    void load(const QDate &from, const QDate &to);
    void getValue(const QString &name, QVariant &value) const;

    TDM1 &m_dm;
    ReportEngine m_engine;
    ListDataSource m_rows, m_totals, m_remarks;
    std::unique_ptr<FuelStatement> m_statement;
    QDate m_from, m_to;
};
