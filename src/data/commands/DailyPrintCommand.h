#pragma once

#include "data/commands/ListReportCommand.h"

// The selected month printed as daily waybills: one form a working day,
// all in one report.
class DailyPrintCommand : public ListReportCommand {
public:
    static inline const QString TemplateFile = QStringLiteral("Orvet_Day.frf");

    explicit DailyPrintCommand(TDM1 &dm);

    // The printed waybill's variables, with the period of validity the
    // current day alone.
    void getValue(const QString &name, QVariant &value) const override;

protected:
    QString fill(QList<ListDataSource::Row> &rows) override;
};
