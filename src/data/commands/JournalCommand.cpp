#include "data/commands/JournalCommand.h"

#include "core/Names.h"
#include "data/TDM1.h"
#include "data/commands/PrintCommand.h"
#include "data/waybill/WaybillJournal.h"

JournalCommand::JournalCommand(TDM1 &dm)
    : ListReportCommand(dm, Actions::Orvet_Journal, QStringLiteral("FRJ"), WaybillJournal::fieldNames(),
                        TemplateFile) {}

QString JournalCommand::fill(QList<ListDataSource::Row> &rows) {
    m_year = m_dm.Orvet().asDate(Fields::DATE).year();
    const WaybillJournal journal(m_dm.Orvet(), m_year);
    const StoredValues &v = m_dm.FS1();
    for (const WaybillJournal::Entry &e : journal.entries())
        rows.append(WaybillJournal::values(e, v.text(StoredValues::MarkaAvto), v.text(StoredValues::GosNomer),
                                           v.text(StoredValues::Voditel)));
    return QStringLiteral("Журнал учёта движения путевых листов за %1 год").arg(m_year);
}

void JournalCommand::getValue(const QString &name, QVariant &value) const {
    if (templateDefines(name))
        return;
    if (name == QLatin1String("Year"))
        value = QString::number(m_year);
    else if (name != QLatin1String("DateAKT") && name != QLatin1String("LitrNa100") &&
             name != QLatin1String("DateFrom") && name != QLatin1String("DateTo"))
        m_dm.printCommand().FR1GetValue(name, value);
}
