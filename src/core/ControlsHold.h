#pragma once

// Holds back the display updates of a table (or the editor's rows) for one
// scope, so that an error half-way through a loop cannot leave the grids frozen.
template <class T> class ControlsHold {
public:
    explicit ControlsHold(T &table) : m_table(table) { m_table.disableControls(); }
    ~ControlsHold() { m_table.enableControls(); }
    ControlsHold(const ControlsHold &) = delete;
    ControlsHold &operator=(const ControlsHold &) = delete;

private:
    T &m_table;
};
