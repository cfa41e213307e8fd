#pragma once

#include "report/ListDataSource.h"
#include "report/ReportEngine.h"

#include <QString>
#include <QVariant>

class TDM1;

// A print of rows drawn from the selected waybill (its month's days, its
// year's waybills), from a template of its own beside the tables, read at
// every run like the waybill's: an edit shows at once.
class ListReportCommand {
public:
    ListReportCommand(TDM1 &dm, const QString &action, const QString &source, const QStringList &fields,
                      const QString &templateFile);
    virtual ~ListReportCommand();
    ListReportCommand(const ListReportCommand &) = delete;
    ListReportCommand &operator=(const ListReportCommand &) = delete;

    // Nothing when no waybill is stored.
    void execute();
    // Prepares the pages without showing them (tests, and the command).
    PreparedReport prepare();
    virtual void getValue(const QString &name, QVariant &value) const = 0;

protected:
    // The rows of the selected waybill; returns the report's title.
    virtual QString fill(QList<ListDataSource::Row> &rows) = 0;
    // A name the template declares itself stays the template's.
    bool templateDefines(const QString &name) const { return m_engine.definesVariable(name); }

    TDM1 &m_dm;
    ListDataSource m_rows;

private:
    void load();

    ReportEngine m_engine;
    QString m_templateFile;
};
