#include "forms/DayGrid.h"

#include "controls/FontScale.h"
#include "core/MemoryData.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {
// Narrow columns show as much of a value as fits, from its start, as the
// grid has always done, instead of replacing most of it by an ellipsis.
class ClippingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget *w = opt.widget;
        QStyle *style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);

        const QRect area = opt.rect.adjusted(Margin, 0, -Margin, 0);
        Qt::Alignment align = opt.displayAlignment;
        if (opt.fontMetrics.horizontalAdvance(text) > area.width())
            align = (align & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft;
        painter->save();
        painter->setClipRect(area);
        painter->setFont(opt.font);
        const bool selected = opt.state & QStyle::State_Selected;
        painter->setPen(
            opt.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(area, int(align) | Qt::TextSingleLine, text);
        painter->restore();
    }

private:
    static constexpr int Margin = 2;
};
} // namespace

DayGrid::DayGrid(QWidget *parent) : QTableView(parent) {
    setObjectName(QStringLiteral("DBGrid1"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(false);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->hide();
    horizontalHeader()->setDefaultSectionSize(FontScale::x(DefaultColumnWidth));
    horizontalHeader()->setMinimumSectionSize(8);
    setItemDelegate(new ClippingDelegate(this));
    setStyleSheet(QStringLiteral("QTableView::item { border-bottom: 1px solid palette(midlight); }"));
}

void DayGrid::setRows(MemoryData *rows) {
    m_rows = rows;
    setModel(rows);
    connect(rows, &MemoryData::currentRowChanged, this, [this] { followRows(); });
    // A reset may hand the header fresh sections: lay the columns out again.
    connect(rows, &QAbstractItemModel::modelReset, this, [this] {
        setUpColumns();
        followRows();
    });
    connect(rows, &QAbstractItemModel::rowsInserted, this, [this] { followRows(); });
    setUpColumns();
    followRows();
}

void DayGrid::setUpColumns() {
    setColumnHidden(MemoryData::ID, true);
    setColumnHidden(MemoryData::Change, true);
    const std::pair<int, int> widths[] = {{MemoryData::Chislo, 40},
                                          {MemoryData::Poezdka, 160},
                                          {MemoryData::VROUT, 40},
                                          {MemoryData::VRIN, 40},
                                          {MemoryData::ProbOut, DefaultColumnWidth},
                                          {MemoryData::ProbIN, DefaultColumnWidth},
                                          {MemoryData::Prob, 40},
                                          {MemoryData::Rashod, 40}};
    for (const auto &[column, width] : widths)
        setColumnWidth(column, FontScale::x(width));
}

void DayGrid::followRows() {
    if (!m_rows || m_syncing || m_rows->controlsDisabled())
        return;
    m_syncing = true;
    const int row = m_rows->currentRow();
    if (row >= 0) {
        const QModelIndex idx = model()->index(row, MemoryData::Chislo);
        selectionModel()->setCurrentIndex(idx,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(idx);
    } else {
        selectionModel()->clear();
    }
    m_syncing = false;
}

void DayGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTableView::currentChanged(current, previous);
    if (m_rows && !m_syncing && current.isValid()) {
        m_syncing = true;
        m_rows->setCurrentRow(current.row());
        m_syncing = false;
    }
}

void DayGrid::mouseDoubleClickEvent(QMouseEvent *event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit dblClick();
}
