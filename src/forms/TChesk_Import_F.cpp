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
// What the unticked items of a list stand for.
QSet<QString> unticked(const QListWidget *list) {
    QSet<QString> out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() != Qt::Checked)
            out.insert(list->item(i)->data(Qt::UserRole).toString());
    return out;
}
} // namespace

TChesk_Import_F::TChesk_Import_F(QWidget *parent) : DesktopDialog(parent) {
    setObjectName(QStringLiteral("Chesk_Import_F"));
    setWindowTitle(QStringLiteral("Загрузка чеков из файла"));
    resize(FontScale::size({760, 600}));

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
    PriceBox = columnBox(this, QStringLiteral("PriceBox"), QStringLiteral("Столбец цены за литр"));
    CardBox = columnBox(this, QStringLiteral("CardBox"), QStringLiteral("Столбец номера карты"));
    OperationBox = columnBox(this, QStringLiteral("OperationBox"), QStringLiteral("Столбец типа операции"));
    auto *columns = new QFormLayout;
    columns->addRow(QStringLiteral("&Дата:"), DateBox);
    columns->addRow(QStringLiteral("&Литры:"), LitresBox);
    columns->addRow(QStringLiteral("&Сумма, руб.:"), RublesBox);
    columns->addRow(QStringLiteral("&Товар:"), ProductBox);
    columns->addRow(QStringLiteral("&Цена за литр:"), PriceBox);
    columns->addRow(QStringLiteral("&Карта:"), CardBox);
    columns->addRow(QStringLiteral("Тип о&перации:"), OperationBox);

    SheetBox = new QComboBox(this);
    SheetBox->setObjectName(QStringLiteral("SheetBox"));
    SheetBox->setAccessibleName(QStringLiteral("Лист книги"));
    SeparatorBox = new QComboBox(this);
    SeparatorBox->setObjectName(QStringLiteral("SeparatorBox"));
    SeparatorBox->setAccessibleName(QStringLiteral("Разделитель столбцов"));
    SeparatorBox->addItem(QStringLiteral("точка с запятой «;»"), QStringLiteral(";"));
    SeparatorBox->addItem(QStringLiteral("запятая «,»"), QStringLiteral(","));
    SeparatorBox->addItem(QStringLiteral("табуляция"), QStringLiteral("\t"));
    auto *source = new QHBoxLayout;
    source->addWidget(m_file, 1);
    for (auto [text, box] : {std::pair{QStringLiteral("Л&ист:"), SheetBox},
                             std::pair{QStringLiteral("&Разделитель:"), SeparatorBox}}) {
        auto *label = new QLabel(text, this);
        label->setBuddy(box);
        source->addWidget(label);
        source->addWidget(box);
        // Shown only where there is a choice: a workbook's sheets, a text file's separator.
        m_sourceLabels.insert(box, label);
    }

    Products = new QListWidget(this);
    Products->setObjectName(QStringLiteral("Products"));
    Products->setAccessibleName(QStringLiteral("Загружаемые товары"));
    m_productsLabel = new QLabel(QStringLiteral("&Загружать строки товаров:"), this);
    m_productsLabel->setBuddy(Products);
    Cards = new QListWidget(this);
    Cards->setObjectName(QStringLiteral("Cards"));
    Cards->setAccessibleName(QStringLiteral("Загружаемые карты"));
    m_cardsLabel = new QLabel(QStringLiteral("Загружать карт&ы:"), this);
    m_cardsLabel->setBuddy(Cards);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("Note"));
    m_note->setWordWrap(true);
    auto *products = new QVBoxLayout;
    products->addWidget(m_productsLabel);
    products->addWidget(Products, 1);
    products->addWidget(m_cardsLabel);
    products->addWidget(Cards, 1);
    // A few lines each: the rest of the height goes to the statement's rows.
    Products->setMaximumHeight(FontScale::y(120));
    Cards->setMaximumHeight(FontScale::y(80));
    products->addWidget(m_note);

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
    all->addLayout(source);
    all->addWidget(Preview, 1);
    all->addLayout(lower);

    // The columns first; the sheet and the separator, seldom changed, after the lists.
    TabOrder::chain({DateBox, LitresBox, RublesBox, ProductBox, PriceBox, CardBox, OperationBox, Products, Cards,
                     SheetBox, SeparatorBox, BitBtn1, BitBtn2, Preview});

    for (QComboBox *box : {DateBox, LitresBox, RublesBox, PriceBox})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            markChosenColumns();
            updateOk();
        });
    connect(ProductBox, &QComboBox::currentIndexChanged, this, [this] {
        markChosenColumns();
        fillProducts();
    });
    connect(CardBox, &QComboBox::currentIndexChanged, this, [this] {
        markChosenColumns();
        fillCards();
    });
    connect(OperationBox, &QComboBox::currentIndexChanged, this, [this] {
        markChosenColumns();
        updateNote();
    });
    for (QComboBox *box : {SheetBox, SeparatorBox})
        connect(box, &QComboBox::activated, this, &TChesk_Import_F::sourceChanged);
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

    for (QComboBox *box : {DateBox, LitresBox, RublesBox, ProductBox, PriceBox, CardBox, OperationBox}) {
        const QSignalBlocker hold(box);
        box->clear();
        box->addItem(box == ProductBox || box == CardBox ? QStringLiteral("(нет: загружать все строки)")
                     : box == OperationBox               ? QStringLiteral("(нет: все строки — покупки)")
                                                         : QStringLiteral("(не выбран)"),
                     -1);
        for (int c = 0; c < int(count); ++c)
            box->addItem(names.at(c), c);
    }
}

void TChesk_Import_F::setSource(const QStringList &sheets, int sheet, QChar separator) {
    const QSignalBlocker holdSheets(SheetBox), holdSeparators(SeparatorBox);
    SheetBox->clear();
    SheetBox->addItems(sheets);
    SheetBox->setCurrentIndex(sheet);
    SeparatorBox->setCurrentIndex(qMax(0, SeparatorBox->findData(QString(separator))));
    const auto offer = [this](QComboBox *box, bool shown) {
        box->setVisible(shown);
        box->setEnabled(shown);
        m_sourceLabels.value(box)->setVisible(shown);
    };
    offer(SheetBox, sheets.size() > 1);
    offer(SeparatorBox, !separator.isNull());
}

int TChesk_Import_F::sheet() const {
    return SheetBox->currentIndex();
}

QChar TChesk_Import_F::separator() const {
    return SeparatorBox->isEnabled() ? SeparatorBox->currentData().toString().at(0) : QChar();
}

void TChesk_Import_F::setFinders(std::function<QStringList(int)> cardsOf,
                                 std::function<bool(const QString &)> isRefund) {
    m_cardsOf = std::move(cardsOf);
    m_isRefund = std::move(isRefund);
}

void TChesk_Import_F::setColumns(int date, int litres, int rubles, int product, int price, int card,
                                 int operation) {
    const auto choose = [](QComboBox *box, int column) {
        const QSignalBlocker hold(box);
        box->setCurrentIndex(qMax(0, box->findData(column)));
    };
    choose(DateBox, date);
    choose(LitresBox, litres);
    choose(RublesBox, rubles);
    choose(ProductBox, product);
    choose(PriceBox, price);
    choose(CardBox, card);
    choose(OperationBox, operation);
    markChosenColumns();
    fillProducts();
    fillCards();
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
int TChesk_Import_F::priceColumn() const {
    return PriceBox->currentData().toInt();
}
int TChesk_Import_F::cardColumn() const {
    return CardBox->currentData().toInt();
}
int TChesk_Import_F::operationColumn() const {
    return OperationBox->currentData().toInt();
}

QSet<QString> TChesk_Import_F::leftOutCards() const {
    return unticked(Cards);
}

QString TChesk_Import_F::note() const {
    return m_note->text();
}

// Every card the statement names, all ticked: a contract's statement is
// shared out by unticking the other cars' cards.
void TChesk_Import_F::fillCards() {
    Cards->clear();
    const QStringList cards = m_cardsOf ? m_cardsOf(cardColumn()) : QStringList();
    for (const QString &card : cards) {
        auto *item = new QListWidgetItem(card, Cards);
        item->setData(Qt::UserRole, card);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    Cards->setEnabled(!cards.isEmpty());
    m_cardsLabel->setEnabled(!cards.isEmpty());
}

void TChesk_Import_F::updateNote() {
    QStringList lines;
    if (dateColumn() >= 0 && litresColumn() >= 0 && rublesColumn() < 0 && priceColumn() < 0)
        lines << QStringLiteral("В выписке не найден столбец суммы: выберите его или столбец цены за литр "
                                "(тогда сумма — литры × цена).");
    else if (rublesColumn() < 0 && priceColumn() >= 0)
        lines << QStringLiteral("Сумма будет посчитана: литры × цена, с точностью до копейки.");
    if (const int column = operationColumn(); column >= 0 && m_isRefund) {
        int refunds = 0;
        for (const QStringList &row : std::as_const(m_rows))
            refunds += m_isRefund(row.value(column));
        if (refunds > 0)
            lines << QStringLiteral("Возвратов и отмен в выписке: %1. Они будут внесены со знаком минус.")
                         .arg(refunds);
    }
    m_note->setText(lines.join(QLatin1Char('\n')));
    m_note->setVisible(!lines.isEmpty());
}

QSet<QString> TChesk_Import_F::leftOutProducts() const {
    return unticked(Products);
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
                                           {productColumn(), QStringLiteral("товар")},
                                           {priceColumn(), QStringLiteral("цена")},
                                           {cardColumn(), QStringLiteral("карта")},
                                           {operationColumn(), QStringLiteral("операция")}};
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
    BitBtn1->setEnabled(dateColumn() >= 0 && litresColumn() >= 0 && (rublesColumn() >= 0 || priceColumn() >= 0));
    updateNote();
}

void TChesk_Import_F::BitBtn1Click() {
    emit okClicked();
    accept();
}
