#pragma once

#include "data/ActionList.h"
#include "data/table/Database.h"
#include "data/table/Table.h"
#include "data/waybill/EditorState.h"
#include "data/waybill/Random.h"
#include "settings/IniFile.h"
#include "settings/NormSurcharges.h"
#include "settings/StoredValues.h"
#include "settings/WaybillDetails.h"

#include <QDate>
#include <QObject>
#include <functional>
#include <memory>

class BackupCommands;
class DayEditCommand;
class ImportCommand;
class YearSummaryCommand;
class DailyPrintCommand;
class JournalCommand;
class FuelStatementCommand;
class OptionsCommands;
class PrintCommand;
class ReferenceCommands;
class ReopenCommands;
class WaybillCommands;
class TOrvet_New_F;
class TOptions_F;
class TChesk_New_F;
class TPoezd_New_F;
class TOrvet_New_Day_N_F;
class TChesk_Import_F;
class TableFileCheck;

// The data module: the four tables, the stored values, and every command of
// the program as an action.
class TDM1 : public QObject {
    Q_OBJECT
public:
    // Works on the table files of `directory` (empty: the current working
    // directory) and on the settings file `iniPath` (empty: the user's one).
    explicit TDM1(const QString &directory = QString(), const QString &iniPath = QString(),
                  QObject *parent = nullptr);
    ~TDM1() override;

    Database &database() { return m_db; }
    Table &Orvet() { return *m_orvet; }         // waybills
    Table &OrvetSost() { return *m_orvetSost; } // day rows
    Table &Chesks() { return *m_chesks; }       // fuel receipts
    Table &LPoezd() { return *m_lpoezd; }       // trip types
    QList<Table *> tables() const { return {m_orvet.get(), m_orvetSost.get(), m_chesks.get(), m_lpoezd.get()}; }
    // The fuel in the tank of each waybill, beside the four (TankTable).
    Table &OrvetBak() { return *m_orvetBak; }

    IniFile &iniFile() { return m_ini; }
    StoredValues &FS1() { return m_values; }
    // The waybill's further details, in their own section of the settings file.
    WaybillDetails &details() { return m_details; }
    // The surcharges to the fuel norm, in their own section too.
    NormSurcharges &surcharges() { return m_surcharges; }
    EditorState &editorState() { return m_editor; }
    Random &random() { return m_random; }
    PrintCommand &printCommand() { return *m_printCommand; }
    BackupCommands &backupCommands() { return *m_backupCommands; }
    YearSummaryCommand &yearSummaryCommand() { return *m_yearSummaryCommand; }
    DailyPrintCommand &dailyPrintCommand() { return *m_dailyPrintCommand; }
    JournalCommand &journalCommand() { return *m_journalCommand; }
    FuelStatementCommand &fuelStatementCommand() { return *m_fuelStatementCommand; }

    ActionList &actions() { return m_actions; }
    QAction *action(const QString &name) const { return m_actions.action(name); }
    // Runs an action as a menu item or button would.
    void execute(const QString &name) { action(name)->trigger(); }

    // The main window's period; the new waybill and the receipt filter use it.
    void setPeriod(const QDate &from, const QDate &to);
    QDate periodFrom() const { return m_periodFrom; }
    QDate periodTo() const { return m_periodTo; }

    // The windows the commands show; created by the start-up after this module.
    void setForms(TOrvet_New_F *editor, TOptions_F *options, TChesk_New_F *chesk, TPoezd_New_F *poezd,
                  TOrvet_New_Day_N_F *day);
    // Or left to the first command that shows one: `make` calls setForms().
    void setFormsMaker(std::function<void()> make) { m_formsMaker = std::move(make); }
    TOrvet_New_F *Orvet_New_F() { return makeForms(), m_editorForm; }
    TOptions_F *Options_F() { return makeForms(), m_optionsForm; }
    TChesk_New_F *Chesk_New_F() { return makeForms(), m_cheskForm; }
    TPoezd_New_F *Poezd_New_F() { return makeForms(), m_poezdForm; }
    TOrvet_New_Day_N_F *Orvet_New_Day_N_F() { return makeForms(), m_dayForm; }
    // The dialogs of the commands added to the program's own.
    void setImportForm(TChesk_Import_F *f) { m_importForm = f; }
    TChesk_Import_F *Chesk_Import_F() { return makeForms(), m_importForm; }

    static FieldList waybillFields();
    static FieldList dayRowFields();
    static FieldList receiptFields();
    static FieldList tripTypeFields();

    // Creates the missing table files, opens all four, reads the stored values
    // and the waybill details.
    void DataModuleCreate();

    // Closes the four tables and the connection, so that their files can
    // be replaced; reopenTables() opens them again and looks them over.
    void closeTables();
    void reopenTables();


private:
    void createActions();
    void openTables();
    void readSettings();
    void makeForms();
    void FillExecExecute();
    void refuseWriteAfterOutsideChange();

    Database m_db;
    std::unique_ptr<Table> m_orvet, m_orvetSost, m_chesks, m_lpoezd;
    std::unique_ptr<Table> m_orvetBak;
    void openTank();
    IniFile m_ini;
    StoredValues m_values;
    WaybillDetails m_details;
    NormSurcharges m_surcharges;
    EditorState m_editor;
    ActionList m_actions;
    Random m_random;
    std::unique_ptr<ReferenceCommands> m_referenceCommands;
    std::unique_ptr<OptionsCommands> m_optionsCommands;
    std::unique_ptr<WaybillCommands> m_waybillCommands;
    std::unique_ptr<PrintCommand> m_printCommand;
    std::unique_ptr<ReopenCommands> m_reopenCommands;
    std::unique_ptr<DayEditCommand> m_dayEditCommand;
    std::unique_ptr<BackupCommands> m_backupCommands;
    std::unique_ptr<ImportCommand> m_importCommand;
    std::unique_ptr<YearSummaryCommand> m_yearSummaryCommand;
    std::unique_ptr<DailyPrintCommand> m_dailyPrintCommand;
    std::unique_ptr<JournalCommand> m_journalCommand;
    std::unique_ptr<FuelStatementCommand> m_fuelStatementCommand;
    std::unique_ptr<TableFileCheck> m_check;
    QDate m_periodFrom, m_periodTo;
    QStringList m_changedOutside; // until the tables are opened again

    TOrvet_New_F *m_editorForm = nullptr;
    TOptions_F *m_optionsForm = nullptr;
    TChesk_New_F *m_cheskForm = nullptr;
    TPoezd_New_F *m_poezdForm = nullptr;
    TOrvet_New_Day_N_F *m_dayForm = nullptr;
    TChesk_Import_F *m_importForm = nullptr;
    std::function<void()> m_formsMaker;
};
