#pragma once

#include "forms/DesktopDialog.h"

class DateEdit;
class QPushButton;

// The period of the statement of fuel consumption: its first and last
// month. Ok accepts the dialog.
class TFuelStatement_F : public DesktopDialog {
    Q_OBJECT
public:
    explicit TFuelStatement_F(QWidget *parent = nullptr);

    DateEdit *DateFrom = nullptr;
    DateEdit *DateTo = nullptr;
    QPushButton *BitBtn1 = nullptr; // Ok, the default button
    QPushButton *BitBtn2 = nullptr; // Cancel, pressed by Esc
};
