#include "data/ReferenceCommands.h"

#include "data/TDM1.h"

ReferenceCommands::ReferenceCommands(TDM1 &dm) : m_dm(dm) {}
