#pragma once

#include <memory>

class QWidget;
class TDM1;
class TChesk_New_F;
class TChesk_Import_F;
class TOptions_F;
class TOrvet_New_Day_N_F;
class TOrvet_New_F;
class TPoezd_New_F;

// The program's dialogs. They are made together when a command first needs
// one, not at start-up: making them takes longer than opening the tables.
class AppForms {
public:
    AppForms(TDM1 &dm, QWidget *mainWindow);
    ~AppForms();
    AppForms(const AppForms &) = delete;
    AppForms &operator=(const AppForms &) = delete;

    bool made() const { return m_editor != nullptr; }
    void make();

private:
    TDM1 &m_dm;
    QWidget *m_mainWindow;
    // Destroyed from the last: the day dialog lives inside the editor.
    std::unique_ptr<TOrvet_New_F> m_editor;
    std::unique_ptr<TOptions_F> m_options;
    std::unique_ptr<TChesk_New_F> m_chesk;
    std::unique_ptr<TPoezd_New_F> m_poezd;
    std::unique_ptr<TOrvet_New_Day_N_F> m_day;
    std::unique_ptr<TChesk_Import_F> m_import;
};
