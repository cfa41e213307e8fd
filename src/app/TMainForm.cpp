#include "app/TMainForm.h"

#include "controls/DateEdit.h"
#include "controls/DBGrid.h"
#include "controls/FontScale.h"
#include "controls/FrameParts.h"
#include "controls/ReadOnlyFieldAccessible.h"
#include "controls/TabOrder.h"
#include "controls/UpDown.h"
#include "core/DateText.h"
#include "core/ErrorBoundary.h"
#include "core/Names.h"
#include "data/ActionList.h"
#include "data/table/Table.h"
#include "data/TDM1.h"
#include "settings/WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {
QDateEdit *periodField(QWidget *parent, const QString &name) {
    auto *e = new DateEdit(parent); // Tab leaves it at once instead of walking day, month, year
    e->setObjectName(name);
    e->setReadOnly(true); // the period moves only by activation and the up-down
    e->setCalendarPopup(false);
    e->setButtonSymbols(QAbstractSpinBox::NoButtons);
    e->setDisplayFormat(DateText::format());
    e->setAccessibleName(name == QLatin1String("DateEdit1") ? QStringLiteral("Период от") : QStringLiteral("Период до"));
    ReadOnlyFieldAccessible::expose(e);
    return e;
}
} // namespace

TMainForm::TMainForm(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainF"));
    setWindowTitle(QApplication::applicationDisplayName());
    setMinimumSize(FontScale::size({600, 280}));
    resize(FontScale::size({712, 433}));
    if (const QScreen *s = QGuiApplication::primaryScreen())
        setGeometry(QRect(s->availableGeometry().center() - rect().center(), size()));
    buildLayout();
    statusBar()->setSizeGripEnabled(true);
    statusBar()->setFixedHeight(FontScale::y(20));
    m_placement = std::make_unique<WindowPlacement>(this, QStringLiteral("MainF"), true);
    m_placement->addProperty(QStringLiteral("Panel1_Width"), [this] { return panel1Width(); },
                             [this](int v) { setPanel1Width(v); });
    m_placement->addProperty(QStringLiteral("Panel2_Width"), [this] { return panel2Width(); },
                             [this](int v) { setPanel2Width(v); });
    m_placement->addProperty(QStringLiteral("GroupBox1_Height"), [this] { return groupBox1Height(); },
                             [this](int v) { setGroupBox1Height(v); });
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] { onFocusWindowChanged(); });
}

TMainForm::~TMainForm() = default;

void TMainForm::buildLayout() {
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);

    Panel2 = new QWidget(Splitter1);
    auto *left = new QVBoxLayout(Panel2);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    DBGrid1 = new DBGrid(Panel2);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Путевые листы"));
    left->addWidget(DBGrid1, 1);

    auto *strip = new QWidget(Panel2);
    strip->setFixedHeight(FontScale::y(27));
    auto *stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(4, 3, 4, 3);
    stripLayout->setSpacing(4);
    auto *from = new QLabel(QStringLiteral("Период от"), strip);
    DateEdit1 = periodField(strip, QStringLiteral("DateEdit1"));
    DateEdit1->setFixedWidth(FontScale::x(101));
    auto *to = new QLabel(QStringLiteral("до"), strip);
    DateEdit2 = periodField(strip, QStringLiteral("DateEdit2"));
    DateEdit2->setFixedWidth(FontScale::x(101));
    UpDown1 = new UpDown(strip);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setFixedSize(16, 21);
    UpDown1->setRange(0, 1000);
    UpDown1->setPosition(500);
    UpDown1->setAccessibleName(QStringLiteral("Период"));
    UpDown1->setAccessibleDescription(
        QStringLiteral("Стрелка вверх: следующий месяц, стрелка вниз: предыдущий"));
    from->setBuddy(DateEdit1);
    to->setBuddy(DateEdit2);
    for (QWidget *w : {static_cast<QWidget *>(from), static_cast<QWidget *>(DateEdit1), static_cast<QWidget *>(to),
                       static_cast<QWidget *>(DateEdit2), static_cast<QWidget *>(UpDown1)})
        stripLayout->addWidget(w);
    stripLayout->addStretch(1);
    left->addWidget(strip);

    Panel1 = new QWidget(Splitter1);
    auto *right = new QVBoxLayout(Panel1);
    right->setContentsMargins(0, 0, 0, 0);
    Splitter2 = new QSplitter(Qt::Vertical, Panel1);
    Splitter2->setHandleWidth(3);
    Splitter2->setChildrenCollapsible(false);
    GroupBox1 = new QGroupBox(QStringLiteral("Чеки на бензин"), Splitter2);
    GroupBox2 = new QGroupBox(QStringLiteral("Типы поездок"), Splitter2);
    DBGrid2 = new DBGrid(GroupBox1);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setAccessibleName(QStringLiteral("Чеки на бензин"));
    DBGrid3 = new DBGrid(GroupBox2);
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setAccessibleName(QStringLiteral("Типы поездок"));
    for (QGroupBox *g : {GroupBox1, GroupBox2}) {
        auto *l = new QVBoxLayout(g);
        l->setContentsMargins(2, 2, 2, 2);
        l->setSpacing(0);
    }
    GroupBox1->layout()->addWidget(DBGrid2);
    GroupBox2->layout()->addWidget(DBGrid3);
    right->addWidget(Splitter2);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);
    setCentralWidget(Splitter1);
    setPanel1Width(FontScale::x(240));
    setGroupBox1Height(FontScale::y(209));

    for (QWidget *w : {static_cast<QWidget *>(DBGrid1), static_cast<QWidget *>(DBGrid2),
                       static_cast<QWidget *>(DBGrid3), static_cast<QWidget *>(DateEdit1),
                       static_cast<QWidget *>(DateEdit2)})
        w->installEventFilter(this);
    TabOrder::chain({DBGrid1, DateEdit1, DateEdit2, UpDown1, DBGrid2, DBGrid3});
    connect(UpDown1, &UpDown::clicked, this, &TMainForm::UpDown1Click);
    for (QDateEdit *e : {DateEdit1, DateEdit2}) {
        connect(e, &QDateEdit::dateChanged, this, [this] {
            UpDown1->setValueText(periodInWords());
            DateEdit1Change();
        });
    }
    UpDown1->setValueText(periodInWords());
}

// The up-down's value for a screen reader: the month, or both dates when
// the period is not one whole month.
QString TMainForm::periodInWords() const {
    const QDate from = DateEdit1->date();
    const QDate to = DateEdit2->date();
    if (from.day() == 1 && to == from.addMonths(1).addDays(-1))
        return QLocale().standaloneMonthName(from.month()) + QLatin1Char(' ') + QString::number(from.year());
    return DateText::toText(from) + QStringLiteral(" – ") + DateText::toText(to);
}

QToolBar *TMainForm::paneToolBar(const QStringList &actions, const QList<Image> &images) {
    auto *bar = new QToolBar(this);
    bar->setIconSize(QSize(32, 32));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setMovable(false);
    for (int i = 0; i < actions.size(); ++i) {
        QAction *a = m_dm->action(actions[i]);
        QToolButton *b = new QToolButton(bar);
        b->setDefaultAction(a);
        b->setIcon(ActionList::image(images[i]));
        b->setFixedSize(39, 38);
        b->setAutoRaise(true);
        b->setAccessibleName(a->text());
        b->setFocusPolicy(Qt::NoFocus); // Insert and Delete in the list, or the menu, do the same
        bar->addWidget(b);
    }
    return bar;
}

void TMainForm::buildToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("Команды"), this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(32, 32));
    m_toolBar->setFixedHeight(41);
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    auto addButton = [this](QAction *a) {
        auto *b = new QToolButton(m_toolBar);
        b->setDefaultAction(a);
        b->setFixedSize(39, 38);
        b->setAutoRaise(true);
        b->setAccessibleName(a->text());
        // A command without a menu item shows its key where the mouse finds it.
        if (!a->shortcut().isEmpty())
            a->setToolTip(a->text() + QStringLiteral(" (") + a->shortcut().toString(QKeySequence::NativeText) +
                          QLatin1Char(')'));
        b->setFocusPolicy(Qt::NoFocus); // each command also has a menu item or a key
        m_toolBar->addWidget(b);
    };
    auto separator = [this] {
        auto *gap = new QWidget(m_toolBar);
        gap->setFixedWidth(8);
        m_toolBar->addWidget(gap);
    };
    addButton(m_dm->action(Actions::New_Orvet));
    addButton(m_dm->action(Actions::New_Orvet_Edit));
    addButton(m_dm->action(Actions::New_Orvet_Del));
    separator();
    QAction *print = m_dm->action(Actions::Orvet_Print);
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P)); // it has no menu item
    addButton(print);
    separator();
    addButton(m_dm->action(Actions::Options_Main));
    separator();
    auto *exit = new QAction(ActionList::image(Image::Exit), QStringLiteral("Выход"), this);
    exit->setObjectName(QStringLiteral("ExitButton"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    addButton(exit);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void TMainForm::buildMenu() {
    QMenu *work = menuBar()->addMenu(QStringLiteral("Работа"));
    for (const QString &name : {Actions::New_Orvet, Actions::New_Orvet_Edit, Actions::New_Orvet_Del, QString(),
                                Actions::Enter_chesk, Actions::Delete_chesk, QString(), Actions::NamePoezd_new,
                                Actions::NamePoezd_Del}) {
        if (name.isEmpty())
            work->addSeparator();
        else
            work->addAction(m_dm->action(name));
    }
    // Commands beyond the program's own come after its items.
    work->addSeparator();
    work->addAction(m_dm->action(Actions::Restore_Backup));
    work->addAction(m_dm->action(Actions::Import_chesk));
    work->addAction(m_dm->action(Actions::Year_Summary));
    work->addAction(m_dm->action(Actions::Orvet_Print_Days));
    work->addAction(m_dm->action(Actions::Orvet_Journal));
    work->addAction(m_dm->action(Actions::Fuel_Statement));
    // A top-level item shows text only, so it gets an action of its own.
    QAction *options = menuBar()->addAction(m_dm->action(Actions::Options_Main)->text());
    connect(options, &QAction::triggered, this, [this] { m_dm->execute(Actions::Options_Main); });
    menuBar()->addAction(QStringLiteral("Версия 2.1"));
    // The menu titles carry no mnemonics, so F10 takes the keyboard to the
    // menu bar as in other desktop programs.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] { openMenuBar(); });
}

// A tap of Alt puts the menu bar into its keyboard mode: "Работа" is
// highlighted, Enter or Down opens it, and Left and Right also reach the
// top-level items without a menu ("Настройки"). F10 taps Alt for the user.
void TMainForm::openMenuBar() {
    QMenuBar *bar = menuBar();
    auto tapAlt = [this] {
        QKeyEvent down(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &down);
        QCoreApplication::sendEvent(this, &up);
    };
    tapAlt();
    if (!bar->hasFocus())
        tapAlt(); // the tap toggles: the bar was left in keyboard mode
    if (bar->hasFocus())
        return;
    // A style without that keyboard mode: open the first menu at least.
    QAction *work = bar->actions().constFirst();
    bar->setActiveAction(work);
    if (QMenu *menu = work->menu(); menu && menu->isVisible())
        menu->setActiveAction(menu->actions().value(0));
}

void TMainForm::setDataModule(TDM1 *dm) {
    m_dm = dm;
    m_placement->setIniFile(&dm->iniFile());
    buildToolBar();
    buildMenu();
    m_cheskBar = paneToolBar({Actions::Enter_chesk, Actions::Delete_chesk, Actions::Import_chesk},
                             {Image::NewReceipt, Image::Delete, Image::ImportReceipts});
    m_poezdBar = paneToolBar({Actions::NamePoezd_new, Actions::NamePoezd_Del}, {Image::NewTripType, Image::Delete});
    static_cast<QVBoxLayout *>(GroupBox1->layout())->insertWidget(0, m_cheskBar);
    static_cast<QVBoxLayout *>(GroupBox2->layout())->insertWidget(0, m_poezdBar);

    // Each list: its fields in order, with their titles and drawn widths (0: the default).
    const auto bind = [](DBGrid *grid, Table &table, const QStringList &fields, const QStringList &titles,
                         const QList<int> &widths) {
        QList<int> columns;
        for (const QString &field : fields)
            columns.append(table.fieldIndex(field));
        grid->setRows(&table);
        grid->setColumns(columns, widths, titles);
    };
    bind(DBGrid1, dm->Orvet(),
         {Fields::DATE, Fields::NUMBL, Fields::YEAR, Fields::MOUNTH, Fields::PROBB, Fields::PROBE, Fields::SUMRUB,
          Fields::SUMLITR},
         {QStringLiteral("Дата"), QStringLiteral("Номер"), QStringLiteral("Год"), QStringLiteral("Месяц"),
          QStringLiteral("Пробег на начало"), QStringLiteral("Пробег на конец"), QStringLiteral("Сумма рублей"),
          QStringLiteral("Сумма литров")},
         {0, 58, 39, 54, 101, 105, 102, 102});

    Table &chesks = dm->Chesks();
    if (!chesks.filtered()) {
        // The list shows only the receipts of the period. The filter of the
        // first activation goes on before the grid first reads the table, so
        // that start-up never reads every receipt there is.
        const QDate month = QDate::currentDate().addMonths(-1);
        const QDate from(month.year(), month.month(), 1);
        chesks.setFilter(DateText::periodFilter(from, from.addMonths(1).addDays(-1)));
        chesks.setFiltered(true);
    }
    bind(DBGrid2, chesks, {Fields::DATE, Fields::LITRS, Fields::SUMRUB},
         {QStringLiteral("Дата"), QStringLiteral("Литры"), QStringLiteral("Сумма руб.")}, {0, 0, 0});
    DBGrid2->setTitlesVisible(false);

    bind(DBGrid3, dm->LPoezd(), {Fields::NAME, Fields::TOUT, Fields::TIN, Fields::PROB},
         {QStringLiteral("Название"), QStringLiteral("Время выезда"), QStringLiteral("Время приезда"),
          QStringLiteral("Пробег")},
         {180, 40, 40, 40});
    DBGrid3->setTitlesVisible(false);
    FrameParts::name(this);
}

// Pane sizes given before the window is first laid out wait for it: a
// splitter that has no width of its own yet would squeeze them.
int TMainForm::panel1Width() const { return m_panesPending ? m_panel1Width : Splitter1->sizes().value(1); }
int TMainForm::panel2Width() const { return Splitter1->sizes().value(0); }
int TMainForm::groupBox1Height() const { return m_panesPending ? m_groupBox1Height : Splitter2->sizes().value(0); }

void TMainForm::setPanel1Width(int w) {
    m_panel1Width = w;
    if (m_panesPending)
        return;
    const int total = Splitter1->width() - Splitter1->handleWidth();
    Splitter1->setSizes({qMax(0, total - w), w});
}

void TMainForm::setPanel2Width(int w) {
    // The left pane takes what the right one leaves; a stored width only
    // matters when the window itself has that room.
    Q_UNUSED(w);
}

void TMainForm::setGroupBox1Height(int h) {
    m_groupBox1Height = h;
    if (m_panesPending)
        return;
    const int total = Splitter2->height() - Splitter2->handleWidth();
    Splitter2->setSizes({h, qMax(0, total - h)});
}

void TMainForm::applyPendingPanes() {
    if (!m_panesPending)
        return;
    m_panesPending = false;
    setPanel1Width(m_panel1Width);
    setGroupBox1Height(m_groupBox1Height);
}

void TMainForm::FormActivate(const QDate &today) {
    int y = today.year(), m = today.month();
    if (m == 1) {
        m = 12;
        --y;
    } else {
        --m;
    }
    const QDate from(y, m, 1);
    m_settingPeriod = true;
    DateEdit1->setDate(from);
    m_settingPeriod = false;
    DateEdit1Change();
    m_settingPeriod = true;
    DateEdit2->setDate(from.addMonths(1).addDays(-1));
    m_settingPeriod = false;
    DateEdit1Change();
    DBGrid1->setFocus();
}

void TMainForm::UpDown1Click(int direction) {
    const QDate from = DateEdit1->date().addMonths(direction);
    const QDate to = DateEdit2->date().addDays(1).addMonths(direction).addDays(-1);
    m_settingPeriod = true;
    DateEdit1->setDate(from);
    m_settingPeriod = false;
    DateEdit1Change();
    m_settingPeriod = true;
    DateEdit2->setDate(to);
    m_settingPeriod = false;
    DateEdit1Change();
}


void TMainForm::DateEdit1Change() {
    if (m_settingPeriod || !m_dm)
        return;
    m_dm->setPeriod(DateEdit1->date(), DateEdit2->date());
    m_dm->execute(Actions::FillExec);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress)
        handleKey(watched, static_cast<QKeyEvent *>(event)->key());
    return QMainWindow::eventFilter(watched, event); // the key goes on to the control
}

void TMainForm::handleKey(QObject *source, int key) {
    if (!m_dm || (key != Qt::Key_Insert && key != Qt::Key_Delete))
        return;
    const bool insert = key == Qt::Key_Insert;
    if (source == DBGrid2)
        m_dm->execute(insert ? Actions::Enter_chesk : Actions::Delete_chesk);
    else if (source == DBGrid3)
        m_dm->execute(insert ? Actions::NamePoezd_new : Actions::NamePoezd_Del);
    else if (insert) // the waybill list and the period fields
        m_dm->execute(Actions::Enter_chesk);
}

void TMainForm::onFocusWindowChanged() {
    QWindow *focus = QGuiApplication::focusWindow();
    if (!focus)
        return; // another program took the focus: not a return from our windows
    // A menu of this window is part of it: coming back from one must not
    // undo a period chosen with the up-down just before a menu command.
    if (focus->type() == Qt::Popup || focus->type() == Qt::ToolTip)
        return;
    if (focus != windowHandle()) {
        m_activateOnReturn = true;
        return;
    }
    if (m_activateOnReturn && m_dm) {
        m_activateOnReturn = false;
        FormActivate();
    }
}

void TMainForm::setVisible(bool visible) {
    if (visible && !m_placementRestored) {
        m_placementRestored = true;
        ErrorBoundary::guarded([this] { m_placement->restore(); });
    }
    QMainWindow::setVisible(visible);
}

void TMainForm::bringToFront() {
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (QWidget *dialog = QApplication::activeModalWidget()) {
        dialog->raise();
        dialog->activateWindow();
    }
}

void TMainForm::showEvent(QShowEvent *event) {
    if (!m_firstShown) {
        m_firstShown = true;
        applyPendingPanes(); // the layout has given the splitters their widths by now
        // The first show activates the window even where no window manager
        // reports it.
        m_activateOnReturn = false;
        if (m_dm)
            FormActivate();
    }
    QMainWindow::showEvent(event);
}

void TMainForm::paintEvent(QPaintEvent *event) {
    QMainWindow::paintEvent(event);
    if (m_firstPainted || !m_dm)
        return;
    m_firstPainted = true;
    // The day's copy of the tables once the window is on the screen: the
    // user sees the program at once, and no command has written yet.
    QMetaObject::invokeMethod(
        this, [this] { m_dm->execute(Actions::Backup_Daily); }, Qt::QueuedConnection);
}

void TMainForm::closeEvent(QCloseEvent *event) {
    ErrorBoundary::guarded([this] { m_placement->save(); });
    event->accept();
}
