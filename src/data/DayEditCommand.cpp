#include "data/DayEditCommand.h"

#include "data/TDM1.h"

DayEditCommand::DayEditCommand(TDM1 &dm) : m_dm(dm) {}
