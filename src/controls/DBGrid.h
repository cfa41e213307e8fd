#pragma once

#include <QTableView>

class Table;

// A read-only grid bound to a table: whole-row selection, row lines, and
// its current row is the table's current record, whichever of the two moves.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget *parent = nullptr);

    void setTable(Table *table);
    Table *table() const { return m_table; }
    // A column without a drawn width: ten digits of the drawn font.
    static constexpr int DefaultColumnWidth = 64;

    // Shows only these fields, in this order, with these drawn widths (0:
    // the default), grown with the font.
    void setColumns(const QStringList &fields, const QList<int> &widths);
    void setTitlesVisible(bool visible);

signals:
    void keyDown(int key);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void followTable();

    Table *m_table = nullptr;
    bool m_syncing = false;
};
