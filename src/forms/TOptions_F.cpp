#include "forms/TOptions_F.h"

#include "controls/CalcEdit.h"
#include "controls/FontScale.h"
#include "controls/TabOrder.h"
#include "core/DialogHost.h"
#include "forms/DesignedGeometry.h"
#include "report/FileDialogTexts.h"
#include "settings/NormSurcharges.h"
#include "settings/WaybillDetails.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <utility>

namespace {
constexpr int RowHeight = 21;

QLineEdit *textEdit(QWidget *parent, const QString &name) {
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

// Editable, so that its text is read and written like the other details;
// the list offers the four kinds, and Ok refuses any other text.
QComboBox *soobshenieBox(QWidget *parent, const QString &name) {
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItem(QString());
    box->addItems(WaybillDetails::Soobsheniya);
    box->lineEdit()->setObjectName(name + QStringLiteral("Text"));
    return box;
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
    buildDetailsGroup();
    buildBackupGroup();
    buildCalendarGroup();
    buildFuelGroup();
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
    BackupOn =
        new QCheckBox(QStringLiteral("Каждый день копировать таблицы при первом запуске"), BackupGroup);
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

    appendBelow(BackupGroup);
    // After the last field of the group above it.
    QWidget *before = m_details.isEmpty() ? static_cast<QWidget *>(BitBtn1) : m_details.last();
    TabOrder::chain({before, BackupOn, BackupFolder, BackupChoose});
}

void TOptions_F::buildCalendarGroup() {
    CalendarGroup = new QGroupBox(QStringLiteral("Производственный календарь"), this);
    CalendarGroup->setObjectName(QStringLiteral("CalendarGroup"));
    CalendarOn = new QCheckBox(QStringLiteral("Учитывать праздничные дни"), CalendarGroup);
    CalendarOn->setObjectName(QStringLiteral("CalendarOn"));
    CalendarOn->setAccessibleName(CalendarOn->text());
    CalendarOn->setToolTip(QStringLiteral("Новый путевой лист не ставит поездок на праздники и перенесённые "
                                          "выходные, а на рабочие субботы ставит"));
    auto *layout = new QVBoxLayout(CalendarGroup);
    layout->addWidget(CalendarOn);
    appendBelow(CalendarGroup);
    TabOrder::chain({BackupChoose, CalendarOn});
}

// The surcharges as percents, the winter period as day and month, and the
// tank's volume; empty is "not set". The texts are checked at Ok.
void TOptions_F::buildFuelGroup() {
    FuelGroup = new QGroupBox(QStringLiteral("Надбавки к норме расхода и бак"), this);
    FuelGroup->setObjectName(QStringLiteral("FuelGroup"));
    struct Field {
        const char *label;
        const char *accessible;
        int row, column;
    };
    static const Field fields[NormSurcharges::Count] = {
        {"Зимняя, %", "Зимняя надбавка, %", 0, 0},
        {"с", "Начало зимнего периода", 0, 1},
        {"по", "Конец зимнего периода", 0, 2},
        {"Город, %", "Надбавка за работу в городе, %", 1, 0},
        {"Возраст, %", "Надбавка за возраст или пробег, %", 1, 1},
        {"Кондиционер, %", "Надбавка за кондиционер, %", 1, 2},
        {"Бак, л", "Объём бака, л", 2, 0}};
    auto *grid = new QGridLayout(FuelGroup);
    const auto number = new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,4}([.,][0-9]{0,2})?")), FuelGroup);
    const auto day =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}\\.?[0-9]{0,2}")), FuelGroup);
    for (int i = 0; i < NormSurcharges::Count; ++i) {
        const Field &f = fields[i];
        auto *field = textEdit(FuelGroup, QStringLiteral("Fuel") + NormSurcharges::name(i));
        field->setAccessibleName(QString::fromUtf8(f.accessible));
        const bool date = i == NormSurcharges::ZimaS || i == NormSurcharges::ZimaPo;
        field->setValidator(date ? day : number);
        // A hint, not a placeholder: a grey 01.11 would read as a period set.
        if (date)
            field->setToolTip(
                QStringLiteral("День и месяц, например 01.11 и 31.03; пусто — без периода зимы"));
        field->setMaximumWidth(FontScale::x(60));
        auto *label = new QLabel(QString::fromUtf8(f.label), FuelGroup);
        label->setBuddy(field);
        grid->addWidget(label, f.row, f.column * 2);
        grid->addWidget(field, f.row, f.column * 2 + 1);
        m_fuel.append(field);
    }
    grid->setColumnStretch(6, 1);
    appendBelow(FuelGroup);
    QWidget *before = CalendarOn;
    for (QLineEdit *field : std::as_const(m_fuel))
        QWidget::setTabOrder(std::exchange(before, field), field);
}

void TOptions_F::chooseBackupFolder() {
    QFileDialog d(this, QStringLiteral("Папка резервных копий"), BackupFolder->text());
    d.setFileMode(QFileDialog::Directory);
    FileDialogTexts::apply(&d);
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

// The waybill's further details, in a group of their own under the fields
// above, which keep their places; Tab reaches them after Ok.
void TOptions_F::buildDetailsGroup() {
    auto *group = new QGroupBox(QStringLiteral("Реквизиты путевого листа"), this);
    group->setObjectName(QStringLiteral("DetailsGroup"));
    auto *grid = new QGridLayout(group);
    // Label, tool tip, and where the field goes: row, column, and how many
    // columns of fields it spans.
    struct Detail {
        const char *label;
        const char *tip;
        int row, column, span;
    };
    const Detail details[WaybillDetails::Count] = {
        {"ОГРН", "Основной государственный регистрационный номер организации (ОГРНИП)", 0, 0, 1},
        {"Телефон", "Телефон организации", 0, 1, 1},
        {"Тип ТС", "Тип транспортного средства, например: легковой автомобиль", 1, 0, 1},
        {"Модель", "Модель транспортного средства", 1, 1, 1},
        {"Удостоверение", "Номер водительского удостоверения", 2, 0, 1},
        {"Категория", "Категория (подкатегория) водительского удостоверения", 2, 1, 1},
        {"Медработник",
         "Фамилия и инициалы медицинского работника, проводящего пред- и послерейсовые "
         "медосмотры",
         3, 0, 2},
        {"Механик",
         "Фамилия и инициалы проводящего предрейсовый контроль технического состояния (техконтроль)", 4, 0,
         2},
        {"Вид перевозки", "Например: перевозка для собственных нужд", 5, 0, 2},
        {"Серия удостоверения", "Серия водительского удостоверения", 6, 0, 1},
        {"Дата выдачи", "Дата выдачи водительского удостоверения, ДД.ММ.ГГГГ", 6, 1, 1},
        {"Вид сообщения", "Городское, пригородное, междугородное или международное", 7, 0, 2},
    };
    for (int i = 0; i < WaybillDetails::Count; ++i) {
        const Detail &d = details[i];
        const QString name = QStringLiteral("Detail") + WaybillDetails::name(i);
        QLineEdit *field = nullptr;
        QWidget *placed = nullptr;
        if (i == WaybillDetails::VidSoobsheniya) {
            placed = DetailSoobshenie = soobshenieBox(group, name);
            field = DetailSoobshenie->lineEdit();
        } else {
            placed = field = textEdit(group, name);
        }
        field->setMaxLength(detailMaxLength(i));
        field->setToolTip(QString::fromUtf8(d.tip));
        auto *label = new QLabel(QString::fromUtf8(d.label), group);
        field->setAccessibleName(label->text());
        placed->setAccessibleName(label->text());
        placed->setToolTip(field->toolTip());
        label->setBuddy(placed);
        grid->addWidget(label, d.row, d.column * 2);
        grid->addWidget(placed, d.row, d.column * 2 + 1, 1, d.span * 2 - 1);
        m_details.append(field);
    }
    m_details.at(WaybillDetails::OGRN)
        ->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), group));
    m_details.at(WaybillDetails::VidPerevozki)
        ->setPlaceholderText(QStringLiteral("перевозка для собственных нужд"));
    m_details.at(WaybillDetails::UdostoverenieData)
        ->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]*")), group));
    m_details.at(WaybillDetails::UdostoverenieData)->setPlaceholderText(QStringLiteral("ДД.ММ.ГГГГ"));
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    appendBelow(group);

    QList<QWidget *> order{BitBtn1};
    order.append(QList<QWidget *>(m_details.cbegin(), m_details.cend()));
    order.replace(WaybillDetails::VidSoobsheniya + 1, DetailSoobshenie);
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

void TOptions_F::appendBelow(QGroupBox *group) {
    const QSize drawn = size();
    const int margin = qRound(8.0 * drawn.width() / 488.0);
    const int width = drawn.width() - 2 * margin;
    const int height = group->layout()->hasHeightForWidth() ? group->layout()->totalHeightForWidth(width)
                                                            : group->sizeHint().height();
    group->setGeometry(margin, drawn.height(), width, height);
    setFixedSize(drawn.width(), drawn.height() + height + margin);
}

int TOptions_F::detailMaxLength(int index) {
    switch (index) {
    case WaybillDetails::OGRN:
        return 15; // 13 digits, 15 for a sole trader
    case WaybillDetails::Udostoverenie:
    case WaybillDetails::Kategoriya:
        return 20;
    case WaybillDetails::Telefon:
        return 30;
    case WaybillDetails::Medrabotnik: // three lines over a column of checks
    case WaybillDetails::Mehanik:
        return 30;
    case WaybillDetails::VidPerevozki:
        return 60;
    case WaybillDetails::UdostoverenieSeriya:
    case WaybillDetails::UdostoverenieData:
        return 10;
    case WaybillDetails::VidSoobsheniya:
        return 15; // the longest of the four is 13
    default: // type and model: two lines beside the make
        return 40;
    }
}

void TOptions_F::setDetailText(int index, const QString &text) {
    QLineEdit *field = detailField(index);
    field->setMaxLength(qMax(detailMaxLength(index), int(text.size())));
    field->setText(text);
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
