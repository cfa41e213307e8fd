#pragma once

#include <QAbstractTableModel>

// A table model with a current row, as the tables and the editor's day rows
// are: the grids show it and move it, and a loop over the rows may hold
// back the display until it ends.
class CurrentRowModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    virtual int currentRow() const = 0; // -1 when there are no rows
    virtual void setCurrentRow(int row) = 0;
    // True while display updates are held back.
    virtual bool controlsDisabled() const = 0;

signals:
    void currentRowChanged(int row);
};
