#pragma once

#include "data/table/TableDataSource.h"
#include "report/ReportEngine.h"

#include <QDate>
#include <QString>
#include <QVariant>

class TDM1;

// The printed waybill: the selected waybill and its day rows handed to the
// report engine with the template file of the working directory.
class PrintCommand {
public:
    static inline const QString TemplateFile = QStringLiteral("Orvet_Main.frf");

    explicit PrintCommand(TDM1 &dm);


    void Orvet_PrintExecute();
    // Answers the ten variables the template may use, then the waybill's
    // further details and its period of validity; any other name is left
    // unassigned for the engine.
    void FR1GetValue(const QString &name, QVariant &value) const;

    // "31 декабря 2005 г.": the last day of the month of `firstDay`.
    static QString dateAkt(const QDate &firstDay);
    // Writes the bundled template into `directory` when no file of that
    // name is there; an existing file is never touched.
    static void installDefaultTemplate(const QString &directory, const QString &fileName = TemplateFile);

private:
    void detailValue(const QString &name, QVariant &value) const;
    // The fuel in the tank and the basis of the norm, for the printed waybill.
    void fuelValue(const QString &name, QVariant &value) const;

    TDM1 &m_dm;
    ReportEngine m_fr1;
    TableDataSource m_frd1;
    TableDataSource m_frd2;
};
