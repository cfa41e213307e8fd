#include "controls/DBGrid.h"

#include "data/Table.h"

#include <QHeaderView>
#include <QKeyEvent>

DBGrid::DBGrid(QWidget *parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(false);
    setAlternatingRowColors(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    setStyleSheet(QStringLiteral("QTableView::item { border-bottom: 1px solid palette(midlight); }"));
}

void DBGrid::setTable(Table *table) {
    m_table = table;
    setModel(table);
    connect(table, &Table::currentRowChanged, this, [this] { followTable(); });
    connect(table, &QAbstractItemModel::modelReset, this, [this] { followTable(); });
    followTable();
}

void DBGrid::setColumns(const QStringList &fields, const QList<int> &widths) {
    if (!m_table)
        return;
    QHeaderView *h = horizontalHeader();
    for (int c = 0; c < m_table->columnCount(); ++c)
        setColumnHidden(c, true);
    for (int i = 0; i < fields.size(); ++i) {
        const int c = m_table->fieldIndex(fields[i]);
        if (c < 0)
            continue;
        setColumnHidden(c, false);
        h->moveSection(h->visualIndex(c), i);
        if (widths.value(i) > 0)
            setColumnWidth(c, widths.value(i));
    }
}

void DBGrid::setTitlesVisible(bool visible) { horizontalHeader()->setVisible(visible); }

void DBGrid::followTable() {
    if (!m_table || m_syncing)
        return;
    m_syncing = true;
    const int row = m_table->currentRow();
    if (row >= 0) {
        QModelIndex idx = model()->index(row, horizontalHeader()->logicalIndex(0));
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(idx);
    }
    m_syncing = false;
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTableView::currentChanged(current, previous);
    if (m_table && !m_syncing && current.isValid()) {
        m_syncing = true;
        m_table->setCurrentRow(current.row());
        m_syncing = false;
    }
}

void DBGrid::keyPressEvent(QKeyEvent *event) {
    emit keyDown(event->key());
    QTableView::keyPressEvent(event);
}
