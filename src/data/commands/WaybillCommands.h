#pragma once

#include <QString>

class TDM1;
class TOrvet_New_F;

// The waybill commands that compose a month in the editor: a new waybill,
// the recalculation, and marking a day as a day off or a working day.
class WaybillCommands {
public:
    explicit WaybillCommands(TDM1 &dm);

    void New_OrvetExecute();
    void New_Orvet_Recalk_ListExecute();
    void New_Orvet_Mark_HDayExecute();
    void New_Orvet_Mark_RDayExecute();

    static const QString NoTripTypesMessage;
    static const QString NoReceiptsMessage;
    static const QString WinterWarning;
    static const QString NewCaption;

    // January to April, November and December want winter mode.
    static bool isWinterMonth(int month);

private:
    TOrvet_New_F &editor() const;

    TDM1 &m_dm;
};
