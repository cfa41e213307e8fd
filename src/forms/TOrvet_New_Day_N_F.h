#pragma once

#include <QDialog>

class TDM1;

class TOrvet_New_Day_N_F : public QDialog {
    Q_OBJECT
public:
    explicit TOrvet_New_Day_N_F(TDM1 *dm, QWidget *parent = nullptr);

private:
    TDM1 *m_dm;
};
