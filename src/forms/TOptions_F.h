#pragma once

#include <QDialog>

class TDM1;

class TOptions_F : public QDialog {
    Q_OBJECT
public:
    explicit TOptions_F(TDM1 *dm, QWidget *parent = nullptr);

private:
    TDM1 *m_dm;
};
