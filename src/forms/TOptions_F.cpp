#include "forms/TOptions_F.h"

#include "controls/CalcEdit.h"
#include "controls/FontScale.h"
#include "core/DialogHost.h"
#include "controls/TabOrder.h"
#include "forms/DesignedGeometry.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int RowHeight = 21;

QLineEdit *textEdit(QWidget *parent, const QString &name) {
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

CalcEdit *numberEdit(QWidget *parent, const QString &name) {
    auto *e = new CalcEdit(parent);
    e->setObjectName(name);
    return e;
}
} // namespace

TOptions_F::TOptions_F(QWidget *parent) : DesktopDialog(parent) {
    setObjectName(QStringLiteral("Options_F"));
    setWindowTitle(QStringLiteral("Настройки"));
    buildControls();
    buildBackupGroup();
}

void TOptions_F::setOkCommand(QAction *ok) {
    BitBtn1->setText(ok->text());
    connect(BitBtn1, &QPushButton::clicked, ok, &QAction::trigger);
    connect(ok, &QAction::changed, BitBtn1, [this, ok] { BitBtn1->setEnabled(ok->isEnabled()); });
}

void TOptions_F::buildControls() {
    Edit1 = textEdit(this, QStringLiteral("Edit1"));
    Edit2 = textEdit(this, QStringLiteral("Edit2"));
    Edit3 = textEdit(this, QStringLiteral("Edit3"));
    Edit4 = textEdit(this, QStringLiteral("Edit4"));
    Edit5 = textEdit(this, QStringLiteral("Edit5"));
    Edit6 = textEdit(this, QStringLiteral("Edit6"));
    CalcEdit1 = numberEdit(this, QStringLiteral("CalcEdit1"));
    CheckBox1 = new QCheckBox(QStringLiteral("Зимний режим"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setAccessibleName(CheckBox1->text());
    CalcEdit2 = numberEdit(this, QStringLiteral("CalcEdit2"));
    Edit7 = textEdit(this, QStringLiteral("Edit7"));
    Edit8 = textEdit(this, QStringLiteral("Edit8"));
    for (int i = 0; i <= 10; ++i) {
        if (QLineEdit *field = textField(i))
            field->setMaxLength(maxLength(i));
    }
    BitBtn1 = new QPushButton(QStringLiteral("&Ok"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAccessibleName(QStringLiteral("Ok"));
    BitBtn1->setDefault(true);

    DesignedGeometry g(this, QSize(488, 200));
    // Label text, its left edge, and the field it names with the field's left, top and width.
    struct Row {
        const char *label;
        int labelX;
        QWidget *field;
        int x, y, width;
    };
    const Row rows[] = {
        {"Организация", 8, Edit1, 84, 8, 317},
        {"Адрес", 8, Edit2, 84, 32, 317},
        {"Марка Авто", 8, Edit3, 84, 56, 121},
        {"Гос. номер", 216, Edit4, 296, 56, 105},
        {"Водитель", 8, Edit5, 84, 80, 121},
        {"\"Утверждаю\"", 216, Edit6, 296, 80, 105},
        {"Расход литров на 100 км.", 8, CalcEdit1, 152, 104, 121},
        {"Стартовый пробег", 8, CalcEdit2, 152, 128, 121},
        {"Проверил", 8, Edit8, 84, 152, 317},
        {"Фамилия", 8, Edit7, 84, 176, 189},
    };
    for (const Row &r : rows)
        g.placeLabelled(QString::fromUtf8(r.label), QRect(r.labelX, r.y, r.x - r.labelX - 4, RowHeight),
                        r.field, QRect(r.x, r.y, r.width, RowHeight));
    g.placeText(CheckBox1, QRect(296, 108, 97, 17));
    g.place(BitBtn1, QRect(408, 8, 75, 25));
    g.apply();

    TabOrder::chain(
        {CheckBox1, Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, CalcEdit1, CalcEdit2, Edit8, Edit7, BitBtn1});
}

// Below the drawn area, which keeps its places; the dialog grows downwards
// and the group's controls come after Ok in the tab order.
void TOptions_F::buildBackupGroup() {
    BackupGroup = new QGroupBox(QStringLiteral("Резервные копии"), this);
    BackupGroup->setObjectName(QStringLiteral("BackupGroup"));
    BackupOn = new QCheckBox(QStringLiteral("Каждый день копировать таблицы при первом запуске"), BackupGroup);
    BackupOn->setObjectName(QStringLiteral("BackupOn"));
    BackupOn->setAccessibleName(BackupOn->text());
    auto *label = new QLabel(QStringLiteral("Папка"), BackupGroup);
    BackupFolder = textEdit(BackupGroup, QStringLiteral("BackupFolder"));
    BackupFolder->setPlaceholderText(QStringLiteral("backups рядом с таблицами"));
    BackupFolder->setAccessibleName(QStringLiteral("Папка резервных копий"));
    label->setBuddy(BackupFolder);
    BackupChoose = new QPushButton(QStringLiteral("Выбрать…"), BackupGroup);
    BackupChoose->setObjectName(QStringLiteral("BackupChoose"));
    BackupChoose->setAccessibleName(QStringLiteral("Выбрать папку резервных копий"));
    BackupChoose->setAutoDefault(false);
    connect(BackupChoose, &QPushButton::clicked, this, &TOptions_F::chooseBackupFolder);

    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(label);
    folderRow->addWidget(BackupFolder, 1);
    folderRow->addWidget(BackupChoose);
    auto *layout = new QVBoxLayout(BackupGroup);
    layout->addWidget(BackupOn);
    layout->addLayout(folderRow);

    const QSize drawn = size();
    const int margin = FontScale::x(8);
    const int height = BackupGroup->sizeHint().height();
    BackupGroup->setGeometry(margin, drawn.height(), drawn.width() - 2 * margin, height);
    setFixedSize(drawn.width(), drawn.height() + height + margin);
    TabOrder::chain({BitBtn1, BackupOn, BackupFolder, BackupChoose});
}

void TOptions_F::chooseBackupFolder() {
    QFileDialog d(this, QStringLiteral("Папка резервных копий"), BackupFolder->text());
    d.setFileMode(QFileDialog::Directory);
    d.setOption(QFileDialog::ShowDirsOnly);
    if (DialogHost::instance().execDialog(&d) == QDialog::Accepted && !d.selectedFiles().isEmpty())
        BackupFolder->setText(QDir::toNativeSeparators(d.selectedFiles().constFirst()));
}

QLineEdit *TOptions_F::textField(int index) const {
    switch (index) {
    case 0:
        return Edit1;
    case 1:
        return Edit2;
    case 2:
        return Edit3;
    case 3:
        return Edit4;
    case 4:
        return Edit5;
    case 5:
        return Edit6;
    case 9:
        return Edit7;
    case 10:
        return Edit8;
    default:
        return nullptr;
    }
}

int TOptions_F::maxLength(int index) {
    switch (index) {
    case 0: // organisation and address: three lines of the form's heading
    case 1:
        return 150;
    case 2:
        return 40;
    case 3:
        return 20;
    case 4:
    case 5:
    case 9:
    case 10:
        return 50;
    default:
        return 0;
    }
}

void TOptions_F::setFieldText(int index, const QString &text) {
    QLineEdit *field = textField(index);
    field->setMaxLength(qMax(maxLength(index), int(text.size())));
    field->setText(text);
}

// Without a cancel button Esc has nothing to press; only Ok or the close box end the dialog.
void TOptions_F::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
