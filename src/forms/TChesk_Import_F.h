#pragma once

#include "forms/DesktopDialog.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

// Loading receipts from a card statement: the first rows of the file, the
// column of the date, the litres and the rubles, and, when the statement
// names a product, which products are loaded. Ok is reported by okClicked
// only; the caller keeps its own accepted flag.
class TChesk_Import_F : public DesktopDialog {
    Q_OBJECT
public:
    static constexpr int PreviewRows = 12;
    // Characters of a cell shown: the preview is a glance, not the cell.
    static constexpr int PreviewCellLength = 200;

    explicit TChesk_Import_F(QWidget *parent = nullptr);

    // The statement as text: its column titles (empty when it has none) and
    // the rows after them; the first PreviewRows are shown. `isFuel` ticks
    // the products loaded unless the user says otherwise.
    void setStatement(const QString &fileName, const QStringList &titles, const QList<QStringList> &rows,
                      std::function<bool(const QString &product)> isFuel);
    // -1: no column chosen.
    void setColumns(int date, int litres, int rubles, int product);
    int dateColumn() const;
    int litresColumn() const;
    int rublesColumn() const;
    int productColumn() const;
    // The products whose rows are not loaded (unticked in the list).
    QSet<QString> leftOutProducts() const;

    QTableWidget *Preview = nullptr;
    QComboBox *DateBox = nullptr;
    QComboBox *LitresBox = nullptr;
    QComboBox *RublesBox = nullptr;
    QComboBox *ProductBox = nullptr;
    QListWidget *Products = nullptr;
    QPushButton *BitBtn1 = nullptr; // Ok, the default button
    QPushButton *BitBtn2 = nullptr; // Cancel, pressed by Esc

signals:
    void okClicked();

private:
    void fillProducts();
    void markChosenColumns();
    void updateOk();
    void BitBtn1Click();

    QLabel *m_file = nullptr;
    QLabel *m_productsLabel = nullptr;
    QStringList m_titles;
    QList<QStringList> m_rows;
    std::function<bool(const QString &)> m_isFuel;
};
