#include "data/commands/ListReportCommand.h"

#include "data/TDM1.h"

#include <QDir>

ListReportCommand::ListReportCommand(TDM1 &dm, const QString &action, const QString &source,
                                     const QStringList &fields, const QString &templateFile)
    : m_dm(dm), m_rows(source, fields), m_templateFile(templateFile) {
    m_engine.registerDataSource(&m_rows);
    m_engine.setVariableHandler([this](const QString &name, QVariant &value) { getValue(name, value); });
    dm.actions().setHandler(action, [this] { execute(); });
}

ListReportCommand::~ListReportCommand() = default;

void ListReportCommand::load() {
    QList<ListDataSource::Row> rows;
    const QString title = fill(rows);
    m_rows.setRows(rows);
    m_rows.first();
    m_engine.loadFromFile(QDir(m_dm.database().directory()).filePath(m_templateFile));
    m_engine.setTitle(title);
}

void ListReportCommand::execute() {
    if (m_dm.Orvet().isEmpty())
        return;
    load();
    m_engine.showReport();
}

PreparedReport ListReportCommand::prepare() {
    load();
    return m_engine.prepare();
}
