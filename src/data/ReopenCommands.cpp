#include "data/ReopenCommands.h"

#include "data/TDM1.h"

ReopenCommands::ReopenCommands(TDM1 &dm) : m_dm(dm) {}
