#pragma once

#include <QString>

// The names the parts of the program share: its commands, the fields and
// files of its tables, and the pictures of its image list. Written once
// here, so that a misspelt name does not compile.

// The commands: each is an action of the data module with this object name.
namespace Actions {
inline const QString New_Orvet = QStringLiteral("New_Orvet");
inline const QString New_Orvet_Edit = QStringLiteral("New_Orvet_Edit");
inline const QString New_Orvet_Del = QStringLiteral("New_Orvet_Del");
inline const QString Orvet_Print = QStringLiteral("Orvet_Print");
inline const QString New_Orvet_Mark_HDay = QStringLiteral("New_Orvet_Mark_HDay");
inline const QString New_Orvet_Mark_RDay = QStringLiteral("New_Orvet_Mark_RDay");
inline const QString New_Orvet_Recalk_List = QStringLiteral("New_Orvet_Recalk_List");
inline const QString New_Orvet_Day_Edit = QStringLiteral("New_Orvet_Day_Edit");
inline const QString Enter_chesk = QStringLiteral("Enter_chesk");
inline const QString Delete_chesk = QStringLiteral("Delete_chesk");
inline const QString NamePoezd_new = QStringLiteral("NamePoezd_new");
inline const QString NamePoezd_Del = QStringLiteral("NamePoezd_Del");
inline const QString Options_Main = QStringLiteral("Options_Main");
inline const QString Options_Main_Close = QStringLiteral("Options_Main_Close");
inline const QString FillExec = QStringLiteral("FillExec");
inline const QString Backup_Daily = QStringLiteral("Backup_Daily");
inline const QString Restore_Backup = QStringLiteral("Restore_Backup");
// Added to the program's own commands.
inline const QString Import_chesk = QStringLiteral("Import_chesk");
inline const QString Year_Summary = QStringLiteral("Year_Summary");
inline const QString Orvet_Print_Days = QStringLiteral("Orvet_Print_Days");
inline const QString Orvet_Journal = QStringLiteral("Orvet_Journal");
inline const QString Fuel_Statement = QStringLiteral("Fuel_Statement");
} // namespace Actions

// The fields of the four tables (a name two tables share is written once).
namespace Fields {
inline const QString ID = QStringLiteral("ID");
inline const QString DATE = QStringLiteral("DATE");
// Waybills
inline const QString NUMBL = QStringLiteral("NUMBL");
inline const QString YEAR = QStringLiteral("YEAR");
inline const QString MOUNTH = QStringLiteral("MOUNTH");
inline const QString PROBB = QStringLiteral("PROBB");
inline const QString PROBE = QStringLiteral("PROBE");
inline const QString SUMRUB = QStringLiteral("SUMRUB");
inline const QString SUMLITR = QStringLiteral("SUMLITR");
// Day rows
inline const QString IDJOIN = QStringLiteral("IDJOIN");
inline const QString CHISLO = QStringLiteral("CHISLO");
inline const QString CEL = QStringLiteral("CEL");
inline const QString VROUT = QStringLiteral("VROUT");
inline const QString VRIN = QStringLiteral("VRIN");
inline const QString SPROBS = QStringLiteral("SPROBS");
inline const QString SPROBE = QStringLiteral("SPROBE");
inline const QString PROB = QStringLiteral("PROB");
inline const QString RASHOD = QStringLiteral("RASHOD");
// Receipts
inline const QString LITRS = QStringLiteral("LITRS");
// Trip types
inline const QString NAME = QStringLiteral("NAME");
inline const QString TOUT = QStringLiteral("TOUT");
inline const QString TIN = QStringLiteral("TIN");
// Fuel in the tank, by waybill (IDJOIN as in the day rows)
inline const QString OSTVYEZD = QStringLiteral("OSTVYEZD"); // at departure, litres
inline const QString OSTVOZVR = QStringLiteral("OSTVOZVR"); // at return, litres
} // namespace Fields

// The fields of the editor's in-memory day rows, in their order.
namespace DayFields {
inline const QString Names[] = {QStringLiteral("ID"),     QStringLiteral("Chislo"), QStringLiteral("Poezdka"),
                                QStringLiteral("VROUT"),  QStringLiteral("VRIN"),   QStringLiteral("ProbOut"),
                                QStringLiteral("ProbIN"), QStringLiteral("Prob"),   QStringLiteral("Rashod"),
                                QStringLiteral("Change")};
} // namespace DayFields

// The table files of the working directory and the tables inside them.
namespace TableFiles {
inline const QString Orvet = QStringLiteral("Orvet.db");
inline const QString OrvetSost = QStringLiteral("OrvetSost.db");
inline const QString Chesks = QStringLiteral("Chesks.db");
inline const QString LPoezd = QStringLiteral("LPoezd.db");
// Added beside the four: the fuel in the tank of each waybill.
inline const QString OrvetBak = QStringLiteral("OrvetBak.db");
} // namespace TableFiles

// The program's image list of 32 by 32 pictures, by index.
enum class Image {
    Delete = 0,
    NewReceipt = 1,
    NewTripType = 2, // also editing a day
    NewWaybill = 3,
    Recalculate = 4,
    Settings = 5,
    DayOff = 6,
    WorkingDay = 7,
    Exit = 8,
    EditWaybill = 9,
    Print = 10,
    ImportReceipts = 11,
    None = -1
};
