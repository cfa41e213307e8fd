#pragma once

#include "forms/DesktopDialog.h"

#include <QStringList>

class QPushButton;
class QTreeWidget;

// The list of the automatic copies to restore the tables from: one row per
// copy (its date, how many waybills it holds, the last of them), newest
// first. Restoring is the default button; a double click chooses too.
class TRestore_F : public DesktopDialog {
    Q_OBJECT
public:
    explicit TRestore_F(QWidget *parent = nullptr);

    struct Row {
        QString date, waybills, last;
    };
    void setRows(const QList<Row> &rows);
    // The row chosen, -1 when none.
    int chosen() const;
    void choose(int row);

    QTreeWidget *ListView1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // restore
    QPushButton *BitBtn2 = nullptr; // cancel
};
