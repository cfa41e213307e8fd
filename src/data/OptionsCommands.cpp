#include "data/OptionsCommands.h"

#include "data/TDM1.h"

OptionsCommands::OptionsCommands(TDM1 &dm) : m_dm(dm) {}
