#pragma once

class TDM1;

class ReopenCommands {
public:
    explicit ReopenCommands(TDM1 &dm);

private:
    TDM1 &m_dm;
};
