#include "controls/DBGrid.h"

#include "controls/FontScale.h"
#include "controls/GridDelegate.h"
#include "core/CurrentRowModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

DBGrid::DBGrid(QWidget *parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(false);
    setAlternatingRowColors(false);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setItemDelegate(new GridDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultSectionSize(FontScale::x(DefaultColumnWidth));
    horizontalHeader()->setMinimumSectionSize(8);
    // A title wider than its column keeps its beginning readable.
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void DBGrid::setRows(CurrentRowModel *rows) {
    m_rows = rows;
    setModel(rows);
    connect(rows, &CurrentRowModel::currentRowChanged, this, [this] { followRows(); });
    // A reset may hand the header fresh sections: lay the columns out again.
    connect(rows, &QAbstractItemModel::modelReset, this, [this] {
        layOutColumns();
        followRows();
    });
    connect(rows, &QAbstractItemModel::rowsInserted, this, [this] { followRows(); });
    followRows();
}

void DBGrid::setColumns(const QList<int> &columns, const QList<int> &widths) {
    m_columns = columns;
    m_widths = widths;
    layOutColumns();
}

void DBGrid::layOutColumns() {
    if (!m_rows || m_columns.isEmpty())
        return;
    QHeaderView *h = horizontalHeader();
    for (int c = 0; c < m_rows->columnCount(); ++c)
        setColumnHidden(c, !m_columns.contains(c));
    for (int i = 0; i < m_columns.size(); ++i) {
        const int c = m_columns[i];
        if (c < 0)
            continue;
        h->moveSection(h->visualIndex(c), i);
        const int designed = m_widths.value(i);
        setColumnWidth(c, FontScale::x(designed > 0 ? designed : DefaultColumnWidth));
    }
}

void DBGrid::setTitlesVisible(bool visible) { horizontalHeader()->setVisible(visible); }

void DBGrid::setElide(bool elide) { static_cast<GridDelegate *>(itemDelegate())->setElide(elide); }

void DBGrid::followRows() {
    if (!m_rows || m_syncing || m_rows->controlsDisabled())
        return;
    m_syncing = true;
    const int row = m_rows->currentRow();
    if (row >= 0) {
        const QModelIndex idx = model()->index(row, horizontalHeader()->logicalIndex(0));
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(idx);
    } else {
        selectionModel()->clear();
    }
    m_syncing = false;
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTableView::currentChanged(current, previous);
    if (m_rows && !m_syncing && current.isValid()) {
        m_syncing = true;
        m_rows->setCurrentRow(current.row());
        m_syncing = false;
    }
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent *event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit dblClick();
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
