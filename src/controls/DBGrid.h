#pragma once

#include <QList>
#include <QTableView>

class CurrentRowModel;
class GridColumns;

// A read-only grid of rows with a current row (a table, or the editor's
// day rows): whole-row selection, lines between rows only, no indicator.
// Its current row is the model's, whichever of the two moves.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget *parent = nullptr);

    // A column without a drawn width: ten digits of the drawn font.
    static constexpr int DefaultColumnWidth = 64;

    void setRows(CurrentRowModel *rows);
    CurrentRowModel *rows() const { return m_rows; }
    // Shows only these fields of the rows, in this order, with these drawn
    // widths (0: the default), grown with the font, and these titles (read
    // by screen readers even when the title row is hidden); kept when the
    // rows are reset.
    void setColumns(const QList<int> &columns, const QList<int> &widths, const QStringList &titles);
    // The grid's column that shows a field of the rows, -1 when none does.
    int columnOf(int field) const;
    // The cell of a row that shows a field of the rows.
    QModelIndex cell(int row, int field) const;
    void setTitlesVisible(bool visible);
    // Off: a value too wide for its column shows from its start instead of
    // ending in an ellipsis.
    void setElide(bool elide);

signals:
    // A double-click anywhere on the grid.
    void dblClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void followRows();
    void layOutColumns();

    CurrentRowModel *m_rows = nullptr;
    GridColumns *m_columns;
    QList<int> m_widths;
    bool m_syncing = false;
};
