#pragma once

#include "forms/DesktopDialog.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

// Loading receipts from a card statement: the first rows of the file (of
// which sheet, split by which separator), the column of the date, the
// litres and the rubles (or the price to make them from), and, when the
// statement names them, which products and cards are loaded and which
// operations are refunds. Ok is reported by okClicked only; the caller
// keeps its own accepted flag.
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
    // Where the rows come from: the workbook's sheets and the one shown, or
    // the separator of a text file (null for a workbook). A change by the
    // user is reported by sourceChanged; the caller reads the file again.
    void setSource(const QStringList &sheets, int sheet, QChar separator);
    int sheet() const;
    QChar separator() const;
    // The cards of the rows for a card column (-1: the card lines only),
    // and whether an operation's type is a refund.
    void setFinders(std::function<QStringList(int cardColumn)> cardsOf,
                    std::function<bool(const QString &operation)> isRefund);
    // -1: no column chosen.
    void setColumns(int date, int litres, int rubles, int product, int price = -1, int card = -1,
                    int operation = -1);
    int dateColumn() const;
    int litresColumn() const;
    int rublesColumn() const;
    int productColumn() const;
    int priceColumn() const;
    int cardColumn() const;
    int operationColumn() const;
    // The products whose rows are not loaded (unticked in the list).
    QSet<QString> leftOutProducts() const;
    // The cards whose rows are not loaded.
    QSet<QString> leftOutCards() const;
    // What the dialog says under the lists: refunds, a missing sum.
    QString note() const;

    QTableWidget *Preview = nullptr;
    QComboBox *DateBox = nullptr;
    QComboBox *LitresBox = nullptr;
    QComboBox *RublesBox = nullptr;
    QComboBox *ProductBox = nullptr;
    QComboBox *PriceBox = nullptr;
    QComboBox *CardBox = nullptr;
    QComboBox *OperationBox = nullptr;
    QComboBox *SheetBox = nullptr;
    QComboBox *SeparatorBox = nullptr;
    QListWidget *Products = nullptr;
    QListWidget *Cards = nullptr;
    QPushButton *BitBtn1 = nullptr; // Ok, the default button
    QPushButton *BitBtn2 = nullptr; // Cancel, pressed by Esc

signals:
    void okClicked();
    void sourceChanged();

private:
    void fillProducts();
    void fillCards();
    void updateNote();
    void markChosenColumns();
    void updateOk();
    void BitBtn1Click();

    QLabel *m_file = nullptr;
    QLabel *m_productsLabel = nullptr;
    QLabel *m_cardsLabel = nullptr;
    QLabel *m_note = nullptr;
    QHash<QComboBox *, QLabel *> m_sourceLabels;
    QStringList m_titles;
    QList<QStringList> m_rows;
    std::function<bool(const QString &)> m_isFuel;
    std::function<QStringList(int)> m_cardsOf;
    std::function<bool(const QString &)> m_isRefund;
};
