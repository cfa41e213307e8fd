#include "forms/TChesk_Import_F.h"

#include "controls/FontScale.h"
#include "controls/TabOrder.h"
#include "forms/DialogButtons.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
QComboBox *columnBox(QWidget *parent, const QString &name, const QString &accessible) {
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessible);
    box->setMinimumContentsLength(18);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}
} // namespace

TChesk_Import_F::TChesk_Import_F(QWidget *parent) : DesktopDialog(parent) {
    setObjectName(QStringLiteral("Chesk_Import_F"));
    setWindowTitle(QStringLiteral("Загрузка чеков из файла"));
    resize(FontScale::size({640, 460}));

    m_file = new QLabel(this);
    m_file->setObjectName(QStringLiteral("FileLabel"));
    m_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Preview = new QTableWidget(this);
    Preview->setObjectName(QStringLiteral("Preview"));
    Preview->setAccessibleName(QStringLiteral("Первые строки файла"));
    Preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Preview->setSelectionMode(QAbstractItemView::NoSelection);
    // Tab goes on to the next control; the arrows still walk the cells.
    Preview->setTabKeyNavigation(false);
    Preview->verticalHeader()->setDefaultSectionSize(FontScale::y(20));
    // Columns are sized by the rows shown, never by a whole column.
    Preview->horizontalHeader()->setResizeContentsPrecision(PreviewRows);

    DateBox = columnBox(this, QStringLiteral("DateBox"), QStringLiteral("Столбец даты"));
    LitresBox = columnBox(this, QStringLiteral("LitresBox"), QStringLiteral("Столбец литров"));
    RublesBox = columnBox(this, QStringLiteral("RublesBox"), QStringLiteral("Столбец суммы"));
    ProductBox = columnBox(this, QStringLiteral("ProductBox"), QStringLiteral("Столбец товара"));
    auto *columns = new QFormLayout;
    columns->addRow(QStringLiteral("&Дата:"), DateBox);
    columns->addRow(QStringLiteral("&Литры:"), LitresBox);
    columns->addRow(QStringLiteral("&Сумма, руб.:"), RublesBox);
    columns->addRow(QStringLiteral("&Товар:"), ProductBox);

    Products = new QListWidget(this);
    Products->setObjectName(QStringLiteral("Products"));
    Products->setAccessibleName(QStringLiteral("Загружаемые товары"));
    m_productsLabel = new QLabel(QStringLiteral("&Загружать строки товаров:"), this);
    m_productsLabel->setBuddy(Products);
    auto *products = new QVBoxLayout;
    products->addWidget(m_productsLabel);
    products->addWidget(Products, 1);

    // Not one of the specified dialogs: it speaks Russian, as the restore list does.
    BitBtn1 = DialogButtons::ok(this, QStringLiteral("&Загрузить"));
    BitBtn2 = DialogButtons::cancel(this, QStringLiteral("&Отмена"));
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);

    auto *lower = new QHBoxLayout;
    lower->addLayout(columns);
    lower->addLayout(products, 1);
    lower->addLayout(buttons);
    auto *all = new QVBoxLayout(this);
    all->addWidget(m_file);
    all->addWidget(Preview, 1);
    all->addLayout(lower);

    TabOrder::chain({DateBox, LitresBox, RublesBox, ProductBox, Products, BitBtn1, BitBtn2, Preview});

    for (QComboBox *box : {DateBox, LitresBox, RublesBox})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            markChosenColumns();
            updateOk();
        });
    connect(ProductBox, &QComboBox::currentIndexChanged, this, [this] {
        markChosenColumns();
        fillProducts();
    });
    connect(BitBtn1, &QPushButton::clicked, this, &TChesk_Import_F::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TChesk_Import_F::setStatement(const QString &fileName, const QStringList &titles,
                                   const QList<QStringList> &rows,
                                   std::function<bool(const QString &product)> isFuel) {
    m_isFuel = std::move(isFuel);
    m_titles = titles;
    m_rows = rows;
    qsizetype count = titles.size();
    for (const QStringList &row : rows)
        count = qMax(count, row.size());
    m_file->setText(QStringLiteral("Файл: %1, строк с данными: %2").arg(fileName).arg(rows.size()));

    QStringList names;
    for (qsizetype c = 0; c < count; ++c) {
        const QString title = titles.value(c).simplified();
        names.append(title.isEmpty() ? QStringLiteral("Столбец %1").arg(c + 1)
                                     : QStringLiteral("%1: %2").arg(c + 1).arg(title));
    }
    Preview->clear();
    Preview->setColumnCount(int(count));
    Preview->setHorizontalHeaderLabels(names);
    const int shown = int(qMin<qsizetype>(rows.size(), PreviewRows));
    Preview->setRowCount(shown);
    for (int r = 0; r < shown; ++r)
        for (int c = 0; c < rows.at(r).size(); ++c)
            Preview->setItem(r, c, new QTableWidgetItem(rows.at(r).at(c).left(PreviewCellLength).simplified()));
    Preview->resizeColumnsToContents();

    for (QComboBox *box : {DateBox, LitresBox, RublesBox, ProductBox}) {
        const QSignalBlocker hold(box);
        box->clear();
        box->addItem(box == ProductBox ? QStringLiteral("(нет: загружать все строки)")
                                       : QStringLiteral("(не выбран)"),
                     -1);
        for (int c = 0; c < int(count); ++c)
            box->addItem(names.at(c), c);
    }
}

void TChesk_Import_F::setColumns(int date, int litres, int rubles, int product) {
    const auto choose = [](QComboBox *box, int column) {
        const QSignalBlocker hold(box);
        box->setCurrentIndex(qMax(0, box->findData(column)));
    };
    choose(DateBox, date);
    choose(LitresBox, litres);
    choose(RublesBox, rubles);
    choose(ProductBox, product);
    markChosenColumns();
    fillProducts();
    updateOk();
}

int TChesk_Import_F::dateColumn() const {
    return DateBox->currentData().toInt();
}
int TChesk_Import_F::litresColumn() const {
    return LitresBox->currentData().toInt();
}
int TChesk_Import_F::rublesColumn() const {
    return RublesBox->currentData().toInt();
}
int TChesk_Import_F::productColumn() const {
    return ProductBox->currentData().toInt();
}

QSet<QString> TChesk_Import_F::leftOutProducts() const {
    QSet<QString> out;
    for (int i = 0; i < Products->count(); ++i)
        if (Products->item(i)->checkState() != Qt::Checked)
            out.insert(Products->item(i)->data(Qt::UserRole).toString());
    return out;
}

// Each distinct product once, in the order of the file, fuel ticked. When
// no name looks like fuel the names are the issuer's own: all are ticked.
void TChesk_Import_F::fillProducts() {
    Products->clear();
    const int column = productColumn();
    Products->setEnabled(column >= 0);
    m_productsLabel->setEnabled(column >= 0);
    if (column < 0)
        return;
    // A set beside the list: a statement of many distinct products is not
    // searched through once for every row.
    QStringList names;
    QSet<QString> seen;
    for (const QStringList &row : std::as_const(m_rows)) {
        const QString name = row.value(column).trimmed();
        if (!name.isEmpty() && !seen.contains(name)) { // a totals row names no product
            seen.insert(name);
            names.append(name);
        }
    }
    bool anyFuel = false;
    for (const QString &name : names)
        anyFuel = anyFuel || (m_isFuel && m_isFuel(name));
    for (const QString &name : std::as_const(names)) {
        auto *item = new QListWidgetItem(name, Products);
        item->setData(Qt::UserRole, name);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(!anyFuel || (m_isFuel && m_isFuel(name)) ? Qt::Checked : Qt::Unchecked);
    }
}

void TChesk_Import_F::markChosenColumns() {
    const QList<QPair<int, QString>> roles{{dateColumn(), QStringLiteral("дата")},
                                           {litresColumn(), QStringLiteral("литры")},
                                           {rublesColumn(), QStringLiteral("сумма")},
                                           {productColumn(), QStringLiteral("товар")}};
    for (int c = 0; c < Preview->columnCount(); ++c) {
        QString label =
            Preview->horizontalHeaderItem(c) ? Preview->horizontalHeaderItem(c)->text() : QString();
        label = label.section(QStringLiteral(" ← "), 0, 0);
        for (const auto &[column, role] : roles)
            if (column == c)
                label += QStringLiteral(" ← ") + role;
        Preview->setHorizontalHeaderItem(c, new QTableWidgetItem(label));
    }
    Preview->resizeColumnsToContents();
}

void TChesk_Import_F::updateOk() {
    BitBtn1->setEnabled(dateColumn() >= 0 && litresColumn() >= 0 && rublesColumn() >= 0);
}

void TChesk_Import_F::BitBtn1Click() {
    emit okClicked();
    accept();
}
