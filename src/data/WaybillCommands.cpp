#include "data/WaybillCommands.h"

#include "data/TDM1.h"

WaybillCommands::WaybillCommands(TDM1 &dm) : m_dm(dm) {}
