#include "controls/DBGrid.h"

#include "controls/FontScale.h"
#include "controls/GridColumns.h"
#include "controls/GridDelegate.h"
#include "core/CurrentRowModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

DBGrid::DBGrid(QWidget *parent) : QTableView(parent), m_columns(new GridColumns(this)) {
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
    m_columns->setSourceModel(rows);
    setModel(m_columns);
    connect(rows, &CurrentRowModel::currentRowChanged, this, [this] { followRows(); });
    // A reset may hand the header fresh sections: lay the columns out again.
    // (Connected after the columns' own connection, so the grid has seen the
    // reset first.)
    connect(rows, &QAbstractItemModel::modelReset, this, [this] {
        layOutColumns();
        followRows();
    });
    connect(rows, &QAbstractItemModel::rowsInserted, this, [this] { followRows(); });
    layOutColumns();
    followRows();
}

void DBGrid::setColumns(const QList<int> &columns, const QList<int> &widths, const QStringList &titles) {
    m_columns->setColumns(columns, titles);
    m_widths = widths;
    layOutColumns();
    followRows();
}

int DBGrid::columnOf(int field) const {
    return m_columns->columnOf(field);
}

QModelIndex DBGrid::cell(int row, int field) const {
    return m_columns->index(row, columnOf(field));
}

void DBGrid::layOutColumns() {
    for (int i = 0; i < m_widths.size(); ++i) {
        const int designed = m_widths[i];
        setColumnWidth(i, FontScale::x(designed > 0 ? designed : DefaultColumnWidth));
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
        const QModelIndex idx = model()->index(row, 0);
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
