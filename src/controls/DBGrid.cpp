#include "controls/DBGrid.h"

#include "controls/FontScale.h"
#include "controls/GridDelegate.h"
#include "data/table/Table.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>

DBGrid::DBGrid(QWidget *parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(false);
    setAlternatingRowColors(false);
    setTabKeyNavigation(false);
    setItemDelegate(new GridDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    // A title wider than its column keeps its beginning readable.
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
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
        const int designed = widths.value(i);
        setColumnWidth(c, FontScale::x(designed > 0 ? designed : DefaultColumnWidth));
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

// Row lines without column lines, drawn here rather than through a style
// sheet: a style sheet costs its own style object per grid and slows every
// cell it draws.
void DBGrid::paintEvent(QPaintEvent *event) {
    QTableView::paintEvent(event);
    if (!model() || model()->rowCount() == 0)
        return;
    const int right = horizontalHeader()->length() - horizontalOffset() - 1;
    int row = rowAt(event->rect().top());
    if (row < 0 || right < 0)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Midlight));
    for (const int rows = model()->rowCount(); row < rows; ++row) {
        const int y = rowViewportPosition(row) + rowHeight(row) - 1;
        if (y > event->rect().bottom())
            break;
        painter.drawLine(0, y, right, y);
    }
}
