#pragma once

class TDM1;

class WaybillCommands {
public:
    explicit WaybillCommands(TDM1 &dm);

private:
    TDM1 &m_dm;
};
