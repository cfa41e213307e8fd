#pragma once

#include "forms/DesktopDialog.h"
#include <memory>

class CalcEdit;
class DayGrid;
class MemoryData;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDM1;
class WindowPlacement;

// The waybill editor: header, day grid and totals of the one waybill being
// composed. It holds no document logic; the data module's commands fill it,
// work on its rows and store what it holds after Ok.
class TOrvet_New_F : public DesktopDialog {
    Q_OBJECT
public:
    explicit TOrvet_New_F(TDM1 *dm, QWidget *parent = nullptr);
    ~TOrvet_New_F() override;

    static QStringList monthNames(); // "Январь" .. "Декабрь"

    // The waybill's month as the header shows it. year() throws
    // "'<text>' is not a valid integer value" for a year box that is not a number.
    int year() const;
    int month() const { return monthIndex() + 1; }
    int monthIndex() const;
    void setMonth(int month);

    // Ok: sets the confirmed flag, then closes. Cancel, Esc and the close
    // box close without it.
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
    DayGrid *DBGrid1 = nullptr;
    QPushButton *BitBtn3 = nullptr; // mark day off
    QPushButton *BitBtn4 = nullptr; // mark working day
    QPushButton *BitBtn5 = nullptr; // recalculate
    QPushButton *BitBtn6 = nullptr; // edit the day

    QGroupBox *GroupBox3 = nullptr; // "Итог"
    CalcEdit *CalcEdit3 = nullptr;  // month distance
    CalcEdit *CalcEdit4 = nullptr;  // fuel used
    QLabel *Label9 = nullptr;       // litres of the receipts

public slots:
    void done(int result) override;

protected:
    void placeBeforeShow() override;

private:
    QWidget *buildHeader();
    QWidget *buildDays();
    QWidget *buildTotals();
    QPushButton *actionButton(const QString &actionName, int width);
    QAction *dmAction(const QString &name) const;
    static CalcEdit *numberBox(const QString &name);

    TDM1 *m_dm;
    std::unique_ptr<WindowPlacement> m_placement;
};
