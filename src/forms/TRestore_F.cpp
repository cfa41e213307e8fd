#include "forms/TRestore_F.h"

#include "controls/FontScale.h"
#include "controls/TabOrder.h"
#include "forms/DialogButtons.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TRestore_F::TRestore_F(QWidget *parent) : DesktopDialog(parent) {
    setObjectName(QStringLiteral("Restore_F"));
    setWindowTitle(QStringLiteral("Восстановление из резервной копии"));
    auto *label = new QLabel(QStringLiteral("Резервные &копии:"), this);
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("Резервные копии"));
    ListView1->setRootIsDecorated(false);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setHeaderLabels(
        {QStringLiteral("Дата копии"), QStringLiteral("Путевых листов"), QStringLiteral("Последний путевой лист")});
    ListView1->header()->setStretchLastSection(true);
    label->setBuddy(ListView1);
    BitBtn1 = DialogButtons::ok(this, QStringLiteral("&Восстановить"));
    BitBtn2 = DialogButtons::cancel(this, QStringLiteral("&Отмена"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(ListView1, 1);
    layout->addLayout(buttons);
    resize(FontScale::size({560, 320}));
    TabOrder::chain({ListView1, BitBtn1, BitBtn2});

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(ListView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { BitBtn1->setEnabled(current != nullptr); });
}

void TRestore_F::setRows(const QList<Row> &rows) {
    ListView1->clear();
    for (const Row &r : rows) {
        auto *item = new QTreeWidgetItem({r.date, r.waybills, r.last});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        ListView1->addTopLevelItem(item);
    }
    for (int c = 0; c < 2; ++c)
        ListView1->resizeColumnToContents(c);
    choose(rows.isEmpty() ? -1 : 0);
}

int TRestore_F::chosen() const {
    QTreeWidgetItem *item = ListView1->currentItem();
    return item ? ListView1->indexOfTopLevelItem(item) : -1;
}

void TRestore_F::choose(int row) {
    ListView1->setCurrentItem(ListView1->topLevelItem(row));
    BitBtn1->setEnabled(row >= 0);
}
