#pragma once

#include <QVariant>

class TDM1;
class MemoryData;
class Table;
class TOrvet_New_F;
struct WaybillHeader;

// Reopening a stored waybill in the editor (replaced by a new one on Ok)
// and deleting a stored waybill with its day rows.
class ReopenCommands {
public:
    explicit ReopenCommands(TDM1 &dm);

    void New_Orvet_EditExecute();
    void New_Orvet_DelExecute();

    static const QString EditCaption;
    static const QString DeleteQuestion;

    // Appends the editor row for one stored day row (the current record of
    // `days`). A trip name no trip type bears any more keeps the day as a
    // working day with ID 0, so nothing the user stored is lost; only an
    // empty trip with no distance is a day off.
    static void loadDay(MemoryData &rows, const Table &days, const Table &trips);

private:
    TOrvet_New_F &editor() const;
    // The current waybill's header; sets the editor state for it.
    WaybillHeader readStored();
    void fillDays(TOrvet_New_F &ed, qint64 id);
    void showTotals(TOrvet_New_F &ed, const WaybillHeader &header);

    TDM1 &m_dm;
};
