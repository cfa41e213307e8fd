#include "data/TDM1.h"

#include "core/DateText.h"
#include "core/ErrorBoundary.h"
#include "core/Names.h"
#include "core/OrvetError.h"
#include "data/backup/TableRestore.h"
#include "data/commands/BackupCommands.h"
#include "data/commands/DayEditCommand.h"
#include "data/commands/FuelStatementCommand.h"
#include "data/commands/ImportCommand.h"
#include "data/commands/OptionsCommands.h"
#include "data/commands/PrintCommand.h"
#include "data/commands/ReferenceCommands.h"
#include "data/commands/ReopenCommands.h"
#include "data/commands/WaybillCommands.h"
#include "data/commands/YearSummaryCommand.h"
#include "data/commands/DailyPrintCommand.h"
#include "data/commands/JournalCommand.h"
#include "data/table/SuperJournal.h"
#include "data/table/TableFileCheck.h"
#include "data/waybill/TankTable.h"

#include <QTimer>
#include <utility>

TDM1::TDM1(const QString &directory, const QString &iniPath, QObject *parent)
    : QObject(parent), m_db(directory), m_ini(iniPath.isEmpty() ? IniFile::defaultPath() : iniPath),
      m_values(&m_ini), m_details(&m_ini), m_surcharges(&m_ini), m_actions(this) {
    setObjectName(QStringLiteral("DM1"));
    m_ini.removeLeftovers(); // a write killed in the last run
    m_orvet = std::make_unique<Table>(m_db, TableFiles::Orvet, QStringLiteral("Orvet"), waybillFields());
    m_orvetSost =
        std::make_unique<Table>(m_db, TableFiles::OrvetSost, QStringLiteral("OrvetSost"), dayRowFields());
    m_chesks = std::make_unique<Table>(m_db, TableFiles::Chesks, QStringLiteral("Chesks"), receiptFields());
    m_lpoezd = std::make_unique<Table>(m_db, TableFiles::LPoezd, QStringLiteral("LPoezd"), tripTypeFields());
    m_orvetSost->setCreateIndexes({Fields::IDJOIN});
    m_chesks->setCreateIndexes({Fields::DATE});
    m_orvetBak =
        std::make_unique<Table>(m_db, TableFiles::OrvetBak, QStringLiteral("OrvetBak"), TankTable::fields());
    m_orvetBak->setCreateIndexes({Fields::IDJOIN});
    createActions();
    m_referenceCommands = std::make_unique<ReferenceCommands>(*this);
    m_optionsCommands = std::make_unique<OptionsCommands>(*this);
    m_waybillCommands = std::make_unique<WaybillCommands>(*this);
    m_printCommand = std::make_unique<PrintCommand>(*this);
    m_reopenCommands = std::make_unique<ReopenCommands>(*this);
    m_dayEditCommand = std::make_unique<DayEditCommand>(*this);
    m_backupCommands = std::make_unique<BackupCommands>(*this);
    m_importCommand = std::make_unique<ImportCommand>(*this);
    m_yearSummaryCommand = std::make_unique<YearSummaryCommand>(*this);
    m_dailyPrintCommand = std::make_unique<DailyPrintCommand>(*this);
    m_journalCommand = std::make_unique<JournalCommand>(*this);
    m_fuelStatementCommand = std::make_unique<FuelStatementCommand>(*this);
    ErrorBoundary::guarded([this] { DataModuleCreate(); });
}

TDM1::~TDM1() {
    // A clean close: the files as they are now need no look-over next time.
    if (m_check)
        m_check->remember(tables());
}

FieldList TDM1::waybillFields() {
    return {{Fields::ID, FieldType::AutoInc},        {Fields::DATE, FieldType::Date},
            {Fields::NUMBL, FieldType::String, 32},  {Fields::YEAR, FieldType::String, 32},
            {Fields::MOUNTH, FieldType::String, 32}, {Fields::PROBB, FieldType::Float},
            {Fields::PROBE, FieldType::Float},       {Fields::SUMRUB, FieldType::Float},
            {Fields::SUMLITR, FieldType::Float}};
}

FieldList TDM1::dayRowFields() {
    return {{Fields::ID, FieldType::AutoInc},        {Fields::IDJOIN, FieldType::Integer},
            {Fields::CHISLO, FieldType::String, 16}, {Fields::CEL, FieldType::String, 32},
            {Fields::VROUT, FieldType::String, 16},  {Fields::VRIN, FieldType::String, 16},
            {Fields::SPROBS, FieldType::Float},      {Fields::SPROBE, FieldType::Float},
            {Fields::PROB, FieldType::Float},        {Fields::RASHOD, FieldType::Float}};
}

FieldList TDM1::receiptFields() {
    return {{Fields::ID, FieldType::AutoInc},
            {Fields::DATE, FieldType::Date},
            {Fields::LITRS, FieldType::Float},
            {Fields::SUMRUB, FieldType::Float}};
}

FieldList TDM1::tripTypeFields() {
    return {{Fields::ID, FieldType::AutoInc},
            {Fields::NAME, FieldType::String, 32},
            {Fields::TOUT, FieldType::String, 16},
            {Fields::TIN, FieldType::String, 16},
            {Fields::PROB, FieldType::Float}};
}

void TDM1::DataModuleCreate() {
    try {
        openTables();
    } catch (const OrvetError &) {
        // The stored values are the user's whatever became of the tables:
        // the settings dialog would otherwise show the defaults, and its Ok
        // would write them over the saved ones.
        ErrorBoundary::guarded([this] { readSettings(); });
        throw;
    }
    readSettings();
    // A missing template is written beside the tables; one that is there is
    // the user's and stays as it is.
    PrintCommand::installDefaultTemplate(m_db.directory());
    PrintCommand::installDefaultTemplate(m_db.directory(), YearSummaryCommand::TemplateFile);
    PrintCommand::installDefaultTemplate(m_db.directory(), DailyPrintCommand::TemplateFile);
    PrintCommand::installDefaultTemplate(m_db.directory(), JournalCommand::TemplateFile);
    PrintCommand::installDefaultTemplate(m_db.directory(), FuelStatementCommand::TemplateFile);
}

void TDM1::readSettings() {
    m_values.readAll();
    m_details.readAll();
    m_surcharges.readAll();
}

void TDM1::openTables() {
    // A restore stopped by a kill is finished (or dropped, when it never
    // got as far as its marker) before any table file is looked at.
    TableRestore(m_db.directory()).finishPending();
    const QList<Table *> all = tables();
    for (Table *t : all)
        if (!t->exists())
            t->create();
    m_check = std::make_unique<TableFileCheck>(m_db.directory());
    m_db.watchWrites([this] { refuseWriteAfterOutsideChange(); }, [this] { m_check->afterWrite(); });
    bool lookedOver = false;
    for (Table *t : all) {
        try {
            t->open();
            m_check->verify(m_db, *t);
            lookedOver = lookedOver || m_check->lastLookedOver();
        } catch (const OrvetError &) {
            // No list may read a damaged file, no command may take a table
            // that did not open for an empty one, and no commit may write
            // into its file.
            t->close();
            m_db.release(t->fileName());
            m_check->remember(all);
            // A command that needs no broken table still finds the tank.
            ErrorBoundary::guarded([this] { openTank(); });
            throw;
        }
    }
    // Noted now as well as at the close, so that a run that never closes
    // does not bring the look-over back at every start.
    if (lookedOver)
        m_check->remember(all);
    // After the four: the waybills' file stays the connection's main one.
    openTank();
    // Opening rolled back whatever a crash left; a super-journal it left
    // that no journal names would otherwise stay for good.
    SuperJournal::removeStale(m_db, m_orvet->fileName());
}

// A table file that anything else wrote (an older file copied over it,
// say) no longer is what the connection and the lists hold: a write now
// would go into a file that is gone, or number a waybill from a stale
// sequence. The write is refused, and the tables are opened afresh (and
// looked over) before anything else is written.
void TDM1::refuseWriteAfterOutsideChange() {
    const QStringList changed = m_check->beforeWrite();
    if (!changed.isEmpty() && m_changedOutside.isEmpty()) {
        m_changedOutside = changed;
        QTimer::singleShot(0, this, [this] {
            closeTables();
            m_changedOutside.clear();
            ErrorBoundary::guarded([this] { openTables(); });
        });
    }
    if (!m_changedOutside.isEmpty())
        throw OrvetError(QStringLiteral("Файл %1 изменила другая программа, пока таблицы были открыты. Запись "
                                        "отменена, таблицы открыты заново; проверьте их и повторите команду")
                             .arg(m_changedOutside.join(QStringLiteral(", "))));
}

// The tank's table is made when missing, also beside tables of an older
// version. One that does not open is closed: storing and deleting a
// waybill then fail (nothing is written) rather than lose its tank.
void TDM1::openTank() {
    try {
        if (!m_orvetBak->exists())
            m_orvetBak->create();
        m_orvetBak->open();
    } catch (const OrvetError &) {
        m_orvetBak->close();
        m_db.release(m_orvetBak->fileName());
        throw;
    }
}

void TDM1::closeTables() {
    for (Table *t : tables())
        t->close();
    m_orvetBak->close();
    m_db.close();
}

void TDM1::reopenTables() { openTables(); }

void TDM1::setForms(TOrvet_New_F *editor, TOptions_F *options, TChesk_New_F *chesk, TPoezd_New_F *poezd,
                    TOrvet_New_Day_N_F *day) {
    m_editorForm = editor;
    m_optionsForm = options;
    m_cheskForm = chesk;
    m_poezdForm = poezd;
    m_dayForm = day;
}

void TDM1::makeForms() {
    if (m_formsMaker)
        std::exchange(m_formsMaker, {})(); // once, even if it throws
}

void TDM1::setPeriod(const QDate &from, const QDate &to) {
    m_periodFrom = from;
    m_periodTo = to;
}

void TDM1::FillExecExecute() {
    m_chesks->setFilter(DateText::periodFilter(m_periodFrom, m_periodTo));
    m_chesks->setFiltered(true);
}

void TDM1::createActions() {
    const QString orvet = QStringLiteral("Orvet"), chesks = QStringLiteral("Chesks"),
                  poezdki = QStringLiteral("Poezdki"), options = QStringLiteral("Options");
    // Commands without a handler do nothing until one is bound.
    const std::function<void()> later;
    m_actions.add(Actions::New_Orvet, orvet, QStringLiteral("Новый путевой лист"), Image::NewWaybill, later);
    m_actions.add(Actions::New_Orvet_Edit, orvet, QStringLiteral("Редактировать путевой лист"),
                  Image::EditWaybill, later);
    m_actions.add(Actions::New_Orvet_Del, orvet, QStringLiteral("Удалить путевой лист"), Image::Delete,
                  later);
    m_actions.add(Actions::Orvet_Print, orvet, QStringLiteral("Печать"), Image::Print, later);
    m_actions.add(Actions::New_Orvet_Mark_HDay, orvet, QStringLiteral("Пометить - как выходной"),
                  Image::DayOff, later);
    m_actions.add(Actions::New_Orvet_Mark_RDay, orvet, QStringLiteral("Рабочий день"), Image::WorkingDay,
                  later);
    m_actions.add(Actions::New_Orvet_Recalk_List, orvet, QStringLiteral("Пересчитать"), Image::Recalculate,
                  later);
    QAction *day = m_actions.add(Actions::New_Orvet_Day_Edit, orvet, QStringLiteral("Редактировать"),
                                 Image::NewTripType, later);
    day->setToolTip(QStringLiteral("Редактировать выбранный день"));
    m_actions.add(Actions::Enter_chesk, chesks, QStringLiteral("Ввести чек"), Image::NewReceipt, later);
    m_actions.add(Actions::Delete_chesk, chesks, QStringLiteral("Удалить чек"), Image::Delete, later);
    m_actions.add(Actions::NamePoezd_new, poezdki, QStringLiteral("Новый тип поездки"), Image::NewTripType,
                  later);
    m_actions.add(Actions::NamePoezd_Del, poezdki, QStringLiteral("Удалить поездку"), Image::Delete, later);
    m_actions.add(Actions::Options_Main, options, QStringLiteral("Настройки"), Image::Settings, later);
    m_actions.add(Actions::Options_Main_Close, options, QStringLiteral("&Ok"), Image::None, later);
    m_actions.add(Actions::FillExec, QString(), QStringLiteral("Фильтр"), Image::None,
                  [this] { FillExecExecute(); });
    const QString backup = QStringLiteral("Backup");
    m_actions.add(Actions::Backup_Daily, backup, QStringLiteral("Резервная копия"), Image::None, later);
    m_actions.add(Actions::Restore_Backup, backup, QStringLiteral("Восстановить из резервной копии…"), Image::None,
                  later);
    // Commands beyond the program's own, after them.
    m_actions.add(Actions::Import_chesk, chesks, QStringLiteral("Загрузить чеки из файла…"),
                  Image::ImportReceipts, later);
    m_actions.add(Actions::Year_Summary, orvet, QStringLiteral("Сводка за год…"), Image::Print, later);
    m_actions.add(Actions::Orvet_Print_Days, orvet, QStringLiteral("Путевые листы по дням…"), Image::Print,
                  later);
    m_actions.add(Actions::Orvet_Journal, orvet, QStringLiteral("Журнал путевых листов…"), Image::Print,
                  later);
    m_actions.add(Actions::Fuel_Statement, orvet, QStringLiteral("Ведомость расхода топлива…"), Image::Print,
                  later);
}
