#pragma once

#include "forms/DesktopDialog.h"
#include <memory>

class CalcEdit;
class DBGrid;
class MemoryData;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class IniFile;
class WindowPlacement;

// The waybill editor: header, day grid and totals of the one waybill being
// composed. It holds no document logic; the data module's commands fill it,
// work on its rows and store what it holds after Ok.
class TOrvet_New_F : public DesktopDialog {
    Q_OBJECT
public:
    explicit TOrvet_New_F(QWidget *parent = nullptr);

    // The commands on the days: the buttons under the grid, its pop-up
    // menu and keys (F7, F8, F5, F2), and a double-click (editing the day).
    void setCommands(QAction *markDayOff, QAction *markWorkingDay, QAction *recalculate, QAction *editDay);
    // Where the window's placement is kept.
    void setIniFile(IniFile *ini);
    ~TOrvet_New_F() override;

    static QStringList monthNames(); // "Январь" .. "Декабрь"

    // The waybill's month as the header shows it. year() throws
    // "'<text>' is not a valid integer value" for a year box that is not a number.
    int year() const;
    int month() const { return monthIndex() + 1; }
    int monthIndex() const;
    void setMonth(int month);

    // Ok: reports okClicked (the command keeps the confirmed flag), then
    // closes. Cancel, Esc and the close box close without it.
    void BitBtn1Click();
    void BitBtn2Click();
    void DBGrid1DblClick();

    MemoryData *MemoryData1 = nullptr; // the day rows

    QGroupBox *GroupBox1 = nullptr; // "Путевой лист"
    QLineEdit *Edit1 = nullptr;     // number
    QComboBox *Edit2 = nullptr;     // month
    QLineEdit *Edit3 = nullptr;     // year
    CalcEdit *CalcEdit1 = nullptr;  // start reading
    CalcEdit *CalcEdit2 = nullptr;  // end reading
    QPushButton *BitBtn1 = nullptr; // "&Ok"
    QPushButton *BitBtn2 = nullptr; // "&Cancel"

    QGroupBox *GroupBox2 = nullptr; // "Поездки"
    DBGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn3 = nullptr; // mark day off
    QPushButton *BitBtn4 = nullptr; // mark working day
    QPushButton *BitBtn5 = nullptr; // recalculate
    QPushButton *BitBtn6 = nullptr; // edit the day

    QGroupBox *GroupBox3 = nullptr; // "Итог"
    CalcEdit *CalcEdit3 = nullptr;  // month distance
    CalcEdit *CalcEdit4 = nullptr;  // fuel used
    QLabel *Label9 = nullptr;       // litres of the receipts

    // Beside the totals, in a group of their own: the fuel in the tank.
    QGroupBox *TankGroup = nullptr; // "Топливо в баке"
    CalcEdit *TankOut = nullptr;    // at departure, litres
    CalcEdit *TankIn = nullptr;     // at return, litres

signals:
    void okClicked();

public slots:
    void done(int result) override;

protected:
    void placeBeforeShow() override;

private:
    QWidget *buildHeader();
    QWidget *buildDays();
    QWidget *buildTotals();
    QGroupBox *buildTank();
    QPushButton *commandButton(const QString &name, int width);
    static void follow(QPushButton *button, QAction *command);
    static CalcEdit *numberBox(const QString &name);

    QAction *m_editDay = nullptr;
    std::unique_ptr<WindowPlacement> m_placement;
};
