#include "forms/TOrvet_New_F.h"

#include "controls/CalcEdit.h"
#include "controls/DBGrid.h"
#include "controls/FontScale.h"
#include "controls/TabOrder.h"
#include "core/ErrorBoundary.h"
#include "core/MemoryData.h"
#include "core/NumberText.h"
#include "settings/WindowPlacement.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
constexpr int HeaderHeight = 93;
constexpr int RightColumnWidth = 83;
constexpr int StripHeight = 41;
constexpr int TotalsHeight = 68;
constexpr int TankHeight = 46;

QLabel *caption(const QString &text, QWidget *buddy) {
    auto *l = new QLabel(text);
    l->setBuddy(buddy);
    return l;
}
} // namespace

TOrvet_New_F::TOrvet_New_F(QWidget *parent) : DesktopDialog(parent) {
    setObjectName(QStringLiteral("Orvet_New_F"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    MemoryData1 = new MemoryData(this);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(4, 2, 4, 4);
    root->setSpacing(2);
    root->addWidget(buildHeader());
    root->addWidget(buildDays(), 1);
    root->addWidget(buildTotals());
    // Below the totals, which keep their width: side by side they would not fit.
    root->addWidget(buildTank());

    // Header first (number, year, readings, month), then the buttons beside
    // it, the days with their commands, and the totals.
    TabOrder::chain({Edit1, Edit3, CalcEdit1, CalcEdit2, Edit2, BitBtn1, BitBtn2, DBGrid1, BitBtn3, BitBtn4,
                     BitBtn5, BitBtn6, CalcEdit3, CalcEdit4, TankOut, TankIn});

    // Enter is Ok whatever has the focus: the one default button, made so
    // once it belongs to the dialog, and no other button takes that role
    // when it gets the focus.
    BitBtn1->setDefault(true);
    for (QPushButton *b : {BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6})
        b->setAutoDefault(false);

    setMinimumSize(FontScale::size({571, 312}));
    resize(FontScale::size({571, 372}));

    m_placement = std::make_unique<WindowPlacement>(this, QStringLiteral("Orvet_New_F"));
}

void TOrvet_New_F::setIniFile(IniFile *ini) {
    m_placement->setIniFile(ini);
}

TOrvet_New_F::~TOrvet_New_F() = default;

QStringList TOrvet_New_F::monthNames() {
    return {QStringLiteral("Январь"),  QStringLiteral("Февраль"), QStringLiteral("Март"),
            QStringLiteral("Апрель"),  QStringLiteral("Май"),     QStringLiteral("Июнь"),
            QStringLiteral("Июль"),    QStringLiteral("Август"),  QStringLiteral("Сентябрь"),
            QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"),  QStringLiteral("Декабрь")};
}

CalcEdit *TOrvet_New_F::numberBox(const QString &name) {
    auto *box = new CalcEdit;
    box->setObjectName(name);
    box->setDecimals(2);
    box->setDisplayFormat(QStringLiteral(",0.##"));
    return box;
}

QWidget *TOrvet_New_F::buildHeader() {
    auto *band = new QWidget;
    band->setFixedHeight(FontScale::y(HeaderHeight));
    auto *row = new QHBoxLayout(band);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);

    GroupBox1 = new QGroupBox(QStringLiteral("Путевой лист"));
    Edit1 = new QLineEdit;
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFixedWidth(FontScale::x(70));
    Edit2 = new QComboBox;
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->addItems(monthNames());
    Edit2->setEditable(false);
    Edit2->setEnabled(false);
    Edit2->setFixedWidth(FontScale::x(100));
    Edit3 = new QLineEdit;
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setEnabled(false);
    Edit3->setFixedWidth(FontScale::x(50));
    CalcEdit1 = numberBox(QStringLiteral("CalcEdit1"));
    CalcEdit2 = numberBox(QStringLiteral("CalcEdit2"));

    auto *grid = new QGridLayout(GroupBox1);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    grid->addWidget(caption(QStringLiteral("Номер"), Edit1), 0, 0);
    grid->addWidget(caption(QStringLiteral("Месяц"), Edit2), 0, 1);
    grid->addWidget(caption(QStringLiteral("Год"), Edit3), 0, 2);
    grid->addWidget(caption(QStringLiteral("Пробег на начало"), CalcEdit1), 0, 3);
    grid->addWidget(caption(QStringLiteral("на конец"), CalcEdit2), 0, 4);
    grid->addWidget(Edit1, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(Edit3, 1, 2);
    grid->addWidget(CalcEdit1, 1, 3);
    grid->addWidget(CalcEdit2, 1, 4);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(2, 1);
    row->addWidget(GroupBox1, 1);

    auto *column = new QWidget;
    column->setFixedWidth(FontScale::x(RightColumnWidth));
    auto *buttons = new QVBoxLayout(column);
    buttons->setContentsMargins(2, 8, 2, 4);
    BitBtn1 = new QPushButton(QStringLiteral("&Ok"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(QStringLiteral("&Cancel"));
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);
    row->addWidget(column);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    return band;
}

QPushButton *TOrvet_New_F::commandButton(const QString &name, int width) {
    auto *b = new QPushButton;
    b->setObjectName(name);
    b->setFixedWidth(FontScale::x(width));
    b->setIconSize(QSize(20, 20));
    return b;
}

// A button shows its command as the command stands, and runs it.
void TOrvet_New_F::follow(QPushButton *button, QAction *command) {
    auto show = [button, command] {
        button->setText(command->text());
        button->setIcon(command->icon());
        button->setToolTip(command->toolTip());
        button->setEnabled(command->isEnabled());
    };
    show();
    connect(command, &QAction::changed, button, show);
    connect(button, &QPushButton::clicked, command, [command] { command->trigger(); });
}

QWidget *TOrvet_New_F::buildDays() {
    GroupBox2 = new QGroupBox(QStringLiteral("Поездки"));
    auto *box = new QVBoxLayout(GroupBox2);
    box->setContentsMargins(4, 4, 4, 0);
    box->setSpacing(0);

    DBGrid1 = new DBGrid;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(GroupBox2->title());
    DBGrid1->setRows(MemoryData1);
    // The day, the trip, the times, the readings, the distance and the fuel;
    // the readings take the grid's default width. No title row (the titles
    // are for screen readers), and a value too wide for its column shows as
    // much as fits from its start.
    using M = MemoryData;
    DBGrid1->setColumns({M::Chislo, M::Poezdka, M::VROUT, M::VRIN, M::ProbOut, M::ProbIN, M::Prob, M::Rashod},
                        {40, 160, 40, 40, 0, 0, 40, 40},
                        {QStringLiteral("Число"), QStringLiteral("Поездка"), QStringLiteral("Время выезда"),
                         QStringLiteral("Время приезда"), QStringLiteral("Пробег на начало"),
                         QStringLiteral("Пробег на конец"), QStringLiteral("Дистанция"),
                         QStringLiteral("Расход бензина")});
    DBGrid1->setTitlesVisible(false);
    DBGrid1->setElide(false);
    box->addWidget(DBGrid1, 1);
    connect(DBGrid1, &DBGrid::dblClick, this, [this] { DBGrid1DblClick(); });

    auto *strip = new QWidget;
    strip->setFixedHeight(FontScale::y(StripHeight));
    auto *row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 3, 0, 3);
    row->setSpacing(4);
    BitBtn3 = commandButton(QStringLiteral("BitBtn3"), 179);
    BitBtn4 = commandButton(QStringLiteral("BitBtn4"), 115);
    BitBtn5 = commandButton(QStringLiteral("BitBtn5"), 115);
    BitBtn6 = commandButton(QStringLiteral("BitBtn6"), 129);
    for (QPushButton *b : {BitBtn3, BitBtn4, BitBtn5, BitBtn6})
        row->addWidget(b);
    row->addStretch(1);
    box->addWidget(strip);
    return GroupBox2;
}

void TOrvet_New_F::setCommands(QAction *markDayOff, QAction *markWorkingDay, QAction *recalculate,
                               QAction *editDay) {
    follow(BitBtn3, markDayOff);
    follow(BitBtn4, markWorkingDay);
    follow(BitBtn5, recalculate);
    follow(BitBtn6, editDay);
    m_editDay = editDay;
    // The keys work while the editor is the active window.
    editDay->setShortcut(QKeySequence(Qt::Key_F2));
    recalculate->setShortcut(QKeySequence(Qt::Key_F5));
    markDayOff->setShortcut(QKeySequence(Qt::Key_F7));
    markWorkingDay->setShortcut(QKeySequence(Qt::Key_F8));
    // The grid's pop-up menu offers the same commands.
    DBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *separator = new QAction(DBGrid1);
    separator->setSeparator(true);
    DBGrid1->addActions({markDayOff, markWorkingDay, editDay, separator, recalculate});
    // The menu key opens the pop-up menu by itself; Shift+F10 does on
    // keyboards without one.
    auto *menuKey =
        new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), DBGrid1, nullptr, nullptr, Qt::WidgetShortcut);
    connect(menuKey, &QShortcut::activated, DBGrid1, [this] {
        const QRect row = DBGrid1->visualRect(DBGrid1->currentIndex());
        const QPoint at = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
        QMenu::exec(DBGrid1->actions(), DBGrid1->viewport()->mapToGlobal(at), nullptr, DBGrid1);
    });
}

QWidget *TOrvet_New_F::buildTotals() {
    GroupBox3 = new QGroupBox(QStringLiteral("Итог"));
    GroupBox3->setFixedHeight(FontScale::y(TotalsHeight));
    CalcEdit3 = numberBox(QStringLiteral("CalcEdit3"));
    CalcEdit4 = numberBox(QStringLiteral("CalcEdit4"));
    CalcEdit3->setFixedWidth(FontScale::x(150));
    CalcEdit4->setFixedWidth(FontScale::x(120));
    Label9 = new QLabel;
    Label9->setObjectName(QStringLiteral("Label9"));
    QFont bold = Label9->font();
    bold.setBold(true);
    Label9->setFont(bold);
    Label9->setFixedWidth(FontScale::x(90));

    auto *grid = new QGridLayout(GroupBox3);
    grid->setContentsMargins(8, 0, 8, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(1);
    grid->addWidget(caption(QStringLiteral("Пробег за месяц составил"), CalcEdit3), 0, 0);
    grid->addWidget(caption(QStringLiteral("Расход бензина"), CalcEdit4), 0, 1);
    grid->addWidget(CalcEdit3, 1, 0);
    grid->addWidget(CalcEdit4, 1, 1);
    auto *receipts = new QHBoxLayout;
    receipts->setSpacing(6);
    receipts->addWidget(new QLabel(QStringLiteral("По чекам:")));
    receipts->addWidget(Label9);
    grid->addLayout(receipts, 1, 2);
    grid->setColumnStretch(3, 1);
    return GroupBox3;
}

// Litres left in the tank when the car leaves and when it comes back; the
// fitting aims at the fuel the tank gave besides what was bought.
QGroupBox *TOrvet_New_F::buildTank() {
    TankGroup = new QGroupBox(QStringLiteral("Топливо в баке"));
    TankGroup->setObjectName(QStringLiteral("TankGroup"));
    TankGroup->setFixedHeight(FontScale::y(TankHeight));
    TankOut = numberBox(QStringLiteral("TankOut"));
    TankIn = numberBox(QStringLiteral("TankIn"));
    TankOut->setFixedWidth(FontScale::x(90));
    TankIn->setFixedWidth(FontScale::x(90));
    auto *row = new QHBoxLayout(TankGroup);
    row->setContentsMargins(8, 0, 8, 4);
    row->setSpacing(8);
    row->addWidget(caption(QStringLiteral("Остаток при выезде"), TankOut));
    row->addWidget(TankOut);
    row->addWidget(caption(QStringLiteral("при возвращении"), TankIn));
    row->addWidget(TankIn);
    row->addStretch(1);
    return TankGroup;
}

int TOrvet_New_F::year() const {
    return NumberText::integer(Edit3->text());
}

int TOrvet_New_F::monthIndex() const {
    return Edit2->currentIndex();
}

void TOrvet_New_F::setMonth(int month) {
    Edit2->setCurrentIndex(month - 1);
}

void TOrvet_New_F::BitBtn1Click() {
    if (!typedInputsRead())
        return;
    emit okClicked();
    close();
}

void TOrvet_New_F::BitBtn2Click() {
    close();
}

void TOrvet_New_F::DBGrid1DblClick() {
    if (m_editDay)
        m_editDay->trigger();
}

// Centred on the desktop unless a saved placement says otherwise.
void TOrvet_New_F::placeBeforeShow() {
    centreOnDesktop();
    ErrorBoundary::guarded([this] { m_placement->restore(); });
}

void TOrvet_New_F::done(int result) {
    ErrorBoundary::guarded([this] { m_placement->save(); });
    // The callers go by the confirmed flag alone; the modal result is always Cancel.
    Q_UNUSED(result);
    DesktopDialog::done(QDialog::Rejected);
}
