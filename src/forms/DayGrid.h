#pragma once

#include <QTableView>

class MemoryData;

// The editor's read-only grid of day rows: whole-row selection, lines
// between rows only, no titles and no indicator. Its current row is the
// in-memory table's current row, whichever of the two moves.
class DayGrid : public QTableView {
    Q_OBJECT
public:
    explicit DayGrid(QWidget *parent = nullptr);

    void setRows(MemoryData *rows);
    MemoryData *rows() const { return m_rows; }

    // Width of the reading columns, which the layout leaves to the grid.
    static constexpr int DefaultColumnWidth = 64;

signals:
    // A double-click anywhere on the grid.
    void dblClick();

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void followRows();
    void setUpColumns();

    MemoryData *m_rows = nullptr;
    bool m_syncing = false;
};
