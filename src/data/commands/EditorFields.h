#pragma once

class TDM1;
class TOrvet_New_F;
struct WaybillHeader;
struct WaybillTotals;

// The one place that reads the waybill editor's controls and writes them
// back, for every command that fills, recalculates or stores it.
class EditorFields {
public:
    // The data module's editor; throws when the dialogs were never made.
    static TOrvet_New_F &editor(TDM1 &dm);
    // The header as the editor holds it. Throws "'<text>' is not a valid
    // integer value" for a year box that is not a number.
    static WaybillHeader read(const TOrvet_New_F &editor);
    // The header, the month's totals and the readings: the start box takes
    // the start reading, the end box the start plus the month's distance as
    // its box shows it (two decimals).
    static void show(TOrvet_New_F &editor, const WaybillHeader &header, const WaybillTotals &totals);
};
