#include "data/commands/DailyPrintCommand.h"

#include "core/Names.h"
#include "data/TDM1.h"
#include "data/commands/PrintCommand.h"
#include "data/waybill/DailyWaybills.h"

DailyPrintCommand::DailyPrintCommand(TDM1 &dm)
    : ListReportCommand(dm, Actions::Orvet_Print_Days, QStringLiteral("FRDD"), DailyWaybills::fieldNames(),
                        TemplateFile) {}

QString DailyPrintCommand::fill(QList<ListDataSource::Row> &rows) {
    Table &orvet = m_dm.Orvet();
    const QString numbl = orvet.asString(Fields::NUMBL);
    const DailyWaybills daily(m_dm.OrvetSost(), m_dm.Chesks(), orvet.value(Fields::ID).toLongLong(), numbl,
                              orvet.asDate(Fields::DATE));
    for (const DailyWaybills::Day &day : daily.days())
        rows.append(DailyWaybills::values(day));
    return QStringLiteral("Путевые листы по дням № ") + numbl;
}

void DailyPrintCommand::getValue(const QString &name, QVariant &value) const {
    if (templateDefines(name))
        return;
    if (name == QLatin1String("DateFrom") || name == QLatin1String("DateTo")) {
        if (!m_rows.eof())
            value = m_rows.value(QStringLiteral("DATE"));
        return;
    }
    m_dm.printCommand().FR1GetValue(name, value);
}
