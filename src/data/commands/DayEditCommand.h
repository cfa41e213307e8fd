#pragma once

class TDM1;
class MemoryData;
class TOrvet_New_Day_N_F;

// The day editor's command: shows the editor grid's current day in the day
// editor and writes back what the user confirmed.
class DayEditCommand {
public:
    explicit DayEditCommand(TDM1 &dm);

    void New_Orvet_Day_EditExecute();

private:
    void fillTrips(TOrvet_New_Day_N_F &f);
    // Returns the distance shown, which tells later whether the user changed it.
    static double fillControls(TOrvet_New_Day_N_F &f, const MemoryData &rows);
    void writeBack(TOrvet_New_Day_N_F &f, MemoryData &rows, double shownDistance);

    TDM1 &m_dm;
};
