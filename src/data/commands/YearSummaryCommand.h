#pragma once

#include "report/ListDataSource.h"
#include "report/ReportEngine.h"

#include <QString>
#include <QVariant>
#include <memory>

class TDM1;
class YearSummary;

// The year's summary of the selected waybill's year, printed through the
// report engine from its own template file beside the tables (in the data
// folder, wherever the process was started).
class YearSummaryCommand {
public:
    static inline const QString TemplateFile = QStringLiteral("Orvet_Year.frf");

    explicit YearSummaryCommand(TDM1 &dm);
    ~YearSummaryCommand();

    void Year_SummaryExecute();
    // Prepares the pages without showing them (tests, and the command).
    PreparedReport prepare();
    // "Year", the year's readings and norm, and the printed waybill's
    // variables (organisation, car, people).
    void getValue(const QString &name, QVariant &value) const;

private:
    void load();

    TDM1 &m_dm;
    ReportEngine m_engine;
    ListDataSource m_rows;
    std::unique_ptr<YearSummary> m_summary;
};
