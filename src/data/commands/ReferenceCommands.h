#pragma once

class TDM1;

// Entering and deleting fuel receipts and trip types. Each entry dialog
// reports Ok through an accepted flag kept here, cleared before the dialog
// is shown; the dialog's modal result is not looked at.
class ReferenceCommands {
public:
    explicit ReferenceCommands(TDM1 &dm);

    void Enter_cheskExecute();
    void Delete_cheskExecute();
    void NamePoezd_newExecute();
    void NamePoezd_DelExecute();

private:
    TDM1 &m_dm;
    bool m_cheskAccepted = false;
    bool m_poezdAccepted = false;
};
