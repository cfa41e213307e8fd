#pragma once

class TDM1;

class OptionsCommands {
public:
    explicit OptionsCommands(TDM1 &dm);

private:
    TDM1 &m_dm;
};
