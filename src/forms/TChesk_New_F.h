#pragma once

#include "forms/DesktopDialog.h"

class CalcEdit;
class DateEdit;
class QPushButton;

// The receipt dialog: date, litres and rubles of one fuel purchase. Ok is
// reported by okClicked only; the caller keeps its own accepted flag.
class TChesk_New_F : public DesktopDialog {
    Q_OBJECT
public:
    explicit TChesk_New_F(QWidget *parent = nullptr);

    DateEdit *DateEdit1 = nullptr;  // day of the purchase
    CalcEdit *CalcEdit1 = nullptr;  // litres
    CalcEdit *CalcEdit2 = nullptr;  // rubles
    QPushButton *BitBtn1 = nullptr; // Ok, the default button
    QPushButton *BitBtn2 = nullptr; // Cancel, pressed by Esc

signals:
    void okClicked();

private:
    void BitBtn1Click();
    void BitBtn2Click();
};
