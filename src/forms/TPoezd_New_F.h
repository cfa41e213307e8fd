#pragma once

#include "forms/DesktopDialog.h"

class CalcEdit;
class QLineEdit;
class QPushButton;
class TimeEdit;

// The trip type dialog: name, departure and return time, distance. Ok is
// reported by okClicked only; the caller keeps its own accepted flag.
class TPoezd_New_F : public DesktopDialog {
    Q_OBJECT
public:
    explicit TPoezd_New_F(QWidget *parent = nullptr);

    QLineEdit *Edit1 = nullptr;     // name
    TimeEdit *MaskEdit1 = nullptr;  // departure "HH:MM"
    TimeEdit *MaskEdit2 = nullptr;  // return "HH:MM"
    CalcEdit *CalcEdit1 = nullptr;  // distance, km
    QPushButton *BitBtn1 = nullptr; // Ok, the default button
    QPushButton *BitBtn2 = nullptr; // Cancel, pressed by Esc

signals:
    void okClicked();

private:
    void BitBtn1Click();
    void BitBtn2Click();
};
