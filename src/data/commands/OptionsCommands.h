#pragma once

class TDM1;
class TOptions_F;

// Opening the settings dialog and its Ok, which stores and writes all
// eleven stored values, then the waybill details in their own section.
class OptionsCommands {
public:
    explicit OptionsCommands(TDM1 &dm);

    void Options_MainExecute();
    void Options_Main_CloseExecute();

private:
    void fillBackupGroup();
    static void refuseDetails(TOptions_F &f);

    TDM1 &m_dm;
};
