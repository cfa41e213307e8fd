#include "data/commands/YearSummaryCommand.h"

#include "core/Names.h"
#include "data/TDM1.h"
#include "data/commands/PrintCommand.h"
#include "data/waybill/YearSummary.h"

#include <QDir>

YearSummaryCommand::YearSummaryCommand(TDM1 &dm)
    : m_dm(dm), m_rows(QStringLiteral("FRY"), YearSummary::fieldNames()) {
    m_engine.registerDataSource(&m_rows);
    m_engine.setVariableHandler([this](const QString &name, QVariant &value) { getValue(name, value); });
    dm.actions().setHandler(Actions::Year_Summary, [this] { Year_SummaryExecute(); });
}

YearSummaryCommand::~YearSummaryCommand() = default;

void YearSummaryCommand::load() {
    Table &orvet = m_dm.Orvet();
    const int year = orvet.asDate(Fields::DATE).year();
    m_summary = std::make_unique<YearSummary>(orvet, m_dm.Chesks(), year);
    QList<ListDataSource::Row> rows;
    for (const YearSummary::Row &row : m_summary->rows())
        rows.append(YearSummary::values(row));
    m_rows.setRows(rows);
    m_rows.first();
    // Read at every run, like the waybill's template: an edit shows at once.
    m_engine.loadFromFile(QDir(m_dm.database().directory()).filePath(TemplateFile));
    m_engine.setTitle(QStringLiteral("Сводка за %1 год").arg(year));
}

void YearSummaryCommand::Year_SummaryExecute() {
    if (m_dm.Orvet().isEmpty())
        return;
    load();
    m_engine.showReport();
}

PreparedReport YearSummaryCommand::prepare() {
    load();
    return m_engine.prepare();
}

void YearSummaryCommand::getValue(const QString &name, QVariant &value) const {
    if (!m_summary)
        return;
    const YearSummary::Totals &t = m_summary->totals();
    if (name == QLatin1String("Year"))
        value = QString::number(m_summary->year());
    else if (name == QLatin1String("YearPROBB"))
        value = t.startReading;
    else if (name == QLatin1String("YearPROBE"))
        value = t.endReading;
    else if (name == QLatin1String("YearNORMA"))
        value = t.norm;
    else if (name != QLatin1String("DateAKT") && name != QLatin1String("LitrNa100"))
        m_dm.printCommand().FR1GetValue(name, value);
    // A total with nothing to count shows empty, not as an unknown name.
    if (!value.isValid() && name.startsWith(QLatin1String("Year")))
        value = QString();
}
