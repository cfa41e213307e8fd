#pragma once

#include "data/waybill/WaybillRecalc.h"

#include <QSet>
#include <QString>
#include <optional>

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
    // A year the production calendar does not know, with the file that extends it.
    static QString calendarMissingMessage(int year, const QString &file);

    // January to April, November and December want winter mode.
    static bool isWinterMonth(int month);

    // What the editor holds, stored as a waybill (replacing a stored one):
    // the header and rubles of the month as they stand now, and the rows.
    static qint64 store(TDM1 &dm, TOrvet_New_F &editor, std::optional<qint64> replaceId = std::nullopt);

    // The norm of a month: the stored norm and winter mode, and each day's
    // norm when surcharges are set.
    static WaybillRecalc::Norm normOf(TDM1 &dm, int year, int month);

private:
    TOrvet_New_F &editor() const;
    WaybillRecalc::Norm readNorm() const;
    // Fits the editor's month to the receipts and shows the totals.
    void recalculate(TOrvet_New_F &ed, TripTypeList trips);

    TDM1 &m_dm;
    QSet<int> m_yearsSaidMissing; // said once a run, not at every waybill
};
