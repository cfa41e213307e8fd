#pragma once

#include "forms/DesktopDialog.h"
#include <functional>
#include <optional>

class CalcEdit;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TFillComboBox;
class TimeEdit;

// The day editor: trip, times and distance of one day of the waybill in the
// editor. While a distance is typed it shows that day's fuel and return
// reading. OK closes with the result Accepted, Cancel with Rejected; the
// day edit command fills the controls and writes them back.
class TOrvet_New_Day_N_F : public DesktopDialog {
    Q_OBJECT
public:
    explicit TOrvet_New_Day_N_F(QWidget *parent = nullptr);

    // The fuel of a day of that distance, shown while a distance is typed.
    // It may throw (a norm that is not a number): the error is shown and
    // the return reading is still worked out.
    void setFuelRule(std::function<double(double distance)> fuel) { m_fuel = std::move(fuel); }

    static const QString Caption;

    // Recomputes the fuel box and the return reading for the typed distance;
    // runs on every change of the distance box's text.
    void CalcEdit1Change();

    // Puts the day's stored fuel into the fuel box, replacing what the
    // recomputation showed.
    void showStoredFuel(double litres);
    // The fuel computed for the distance since showStoredFuel, unrounded;
    // empty while the box still shows the stored fuel.
    std::optional<double> typedFuel() const { return m_typedFuel; }

    QLineEdit *Edit1 = nullptr;             // day, not editable
    QCheckBox *CheckBox1 = nullptr;         // "Можно изменять"
    TFillComboBox *FillComboBox1 = nullptr; // trip
    TimeEdit *MaskEdit1 = nullptr;          // departure
    TimeEdit *MaskEdit2 = nullptr;          // return
    CalcEdit *CalcEdit1 = nullptr;          // distance, whole km
    CalcEdit *CalcEdit2 = nullptr;          // fuel, not editable
    QLabel *Panel1 = nullptr;               // reading at departure
    QLabel *Panel2 = nullptr;               // reading at return
    QPushButton *BitBtn1 = nullptr;         // OK, the default button
    QPushButton *BitBtn2 = nullptr;         // Cancel, pressed by Esc

protected:
    QWidget *firstControl() const override;

private:
    void buildControls();
    void layOut();
    void BitBtn1Click();
    void BitBtn2Click();
    void showFuel();
    void showReturnReading();

    std::function<double(double)> m_fuel;
    std::optional<double> m_typedFuel;
};
