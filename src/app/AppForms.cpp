#include "app/AppForms.h"

#include "core/Names.h"
#include "data/TDM1.h"
#include "forms/TChesk_Import_F.h"
#include "forms/TChesk_New_F.h"
#include "forms/TOptions_F.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"
#include "forms/TPoezd_New_F.h"

AppForms::AppForms(TDM1 &dm, QWidget *mainWindow) : m_dm(dm), m_mainWindow(mainWindow) {
    m_dm.setFormsMaker([this] { make(); });
}

AppForms::~AppForms() {
    m_dm.setFormsMaker({});
    m_dm.setForms(nullptr, nullptr, nullptr, nullptr, nullptr);
    m_dm.setImportForm(nullptr);
}

void AppForms::make() {
    if (made())
        return;
    // In the order the program has always made them.
    m_editor = std::make_unique<TOrvet_New_F>(m_mainWindow);
    m_options = std::make_unique<TOptions_F>(m_mainWindow);
    m_chesk = std::make_unique<TChesk_New_F>(m_mainWindow);
    m_poezd = std::make_unique<TPoezd_New_F>(m_mainWindow);
    m_day = std::make_unique<TOrvet_New_Day_N_F>(m_editor.get());
    // The dialogs know nothing of the data module: their buttons are bound
    // to its commands here.
    m_editor->setCommands(m_dm.action(Actions::New_Orvet_Mark_HDay), m_dm.action(Actions::New_Orvet_Mark_RDay),
                          m_dm.action(Actions::New_Orvet_Recalk_List), m_dm.action(Actions::New_Orvet_Day_Edit));
    m_editor->setIniFile(&m_dm.iniFile());
    m_options->setOkCommand(m_dm.action(Actions::Options_Main_Close));
    m_dm.setForms(m_editor.get(), m_options.get(), m_chesk.get(), m_poezd.get(), m_day.get());
    // The dialogs of the commands added to the program's own.
    m_import = std::make_unique<TChesk_Import_F>(m_mainWindow);
    m_dm.setImportForm(m_import.get());
}
