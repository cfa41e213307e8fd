#pragma once

class TDM1;

class DayEditCommand {
public:
    explicit DayEditCommand(TDM1 &dm);

private:
    TDM1 &m_dm;
};
