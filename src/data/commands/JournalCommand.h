#pragma once

#include "data/commands/ListReportCommand.h"

// The journal of waybills of the selected waybill's year.
class JournalCommand : public ListReportCommand {
public:
    static inline const QString TemplateFile = QStringLiteral("Orvet_Journal.frf");

    explicit JournalCommand(TDM1 &dm);

    // "Year", and the printed waybill's variables that do not depend on one
    // waybill (organisation, car, people).
    void getValue(const QString &name, QVariant &value) const override;

protected:
    QString fill(QList<ListDataSource::Row> &rows) override;

private:
    int m_year = 0;
};
