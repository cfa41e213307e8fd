#pragma once

class TDM1;

class PrintCommand {
public:
    explicit PrintCommand(TDM1 &dm);

private:
    TDM1 &m_dm;
};
