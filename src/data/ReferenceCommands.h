#pragma once

class TDM1;

class ReferenceCommands {
public:
    explicit ReferenceCommands(TDM1 &dm);

private:
    TDM1 &m_dm;
};
