#include "data/PrintCommand.h"

#include "data/TDM1.h"

PrintCommand::PrintCommand(TDM1 &dm) : m_dm(dm) {}
