#pragma once

#include "forms/DesktopDialog.h"

#include <QList>

class CalcEdit;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QAction;

// The settings dialog: the eleven stored values, and below them the group
// of the waybill's further details (WaybillDetails). Its Ok button runs the
// action Options_Main_Close; there is no cancel button, and Esc does nothing.
class TOptions_F : public DesktopDialog {
    Q_OBJECT
public:
    explicit TOptions_F(QWidget *parent = nullptr);

    // Ok runs this command and shows its caption.
    void setOkCommand(QAction *ok);

    // The text field of a stored value (indexes 0 to 5, 9 and 10), else nullptr.
    QLineEdit *textField(int index) const;
    // The longest text a field takes: what the printed form shows whole at
    // a legible size. 0 for an index without a text field.
    static int maxLength(int index);
    // Fills a text field. A longer value already stored (by hand, or by an
    // older version) is shown whole, so that Ok does not cut it.
    void setFieldText(int index, const QString &text);

    QLineEdit *Edit1 = nullptr;     // 0 Organizaciya
    QLineEdit *Edit2 = nullptr;     // 1 Adress
    QLineEdit *Edit3 = nullptr;     // 2 MarkaAvto
    QLineEdit *Edit4 = nullptr;     // 3 GosNomer
    QLineEdit *Edit5 = nullptr;     // 4 Voditel
    QLineEdit *Edit6 = nullptr;     // 5 Utvejdaushiy
    CalcEdit *CalcEdit1 = nullptr;  // 6 Rashodna100km
    QCheckBox *CheckBox1 = nullptr; // 7 Winter
    CalcEdit *CalcEdit2 = nullptr;  // 8 StartoviyProbeg
    QLineEdit *Edit7 = nullptr;     // 9 GlavBuh
    QLineEdit *Edit8 = nullptr;     // 10 Proveril
    QPushButton *BitBtn1 = nullptr; // Ok

    // The field of a waybill detail (WaybillDetails::Index); for the kind of
    // communication, the edit line of its list.
    QLineEdit *detailField(int index) const { return m_details.at(index); }
    // The kind of communication: one of four, typed or chosen from the list.
    QComboBox *DetailSoobshenie = nullptr;
    // The longest detail the printed form shows whole at a legible size.
    static int detailMaxLength(int index);
    // Fills a detail field; a longer stored value is shown whole, as above.
    void setDetailText(int index, const QString &text);
    // The automatic copies, below the stored values: on or off, and the
    // folder (empty: "backups" beside the tables).
    QGroupBox *BackupGroup = nullptr;
    QCheckBox *BackupOn = nullptr;
    QLineEdit *BackupFolder = nullptr;
    QPushButton *BackupChoose = nullptr;
    // The production calendar for new waybills, below the copies.
    QGroupBox *CalendarGroup = nullptr;
    QCheckBox *CalendarOn = nullptr;

    // The surcharges to the fuel norm and the tank's volume, below the
    // copies, by NormSurcharges::Index.
    QGroupBox *FuelGroup = nullptr;
    QLineEdit *fuelField(int index) const { return m_fuel.at(index); }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void buildDetailsGroup();
    // Puts a group under everything placed so far, as wide as the dialog,
    // and grows the dialog downwards to hold it.
    void appendBelow(QGroupBox *group);

    QList<QLineEdit *> m_details;
    void buildBackupGroup();
    void chooseBackupFolder();
    void buildCalendarGroup();
    void buildFuelGroup();
    QList<QLineEdit *> m_fuel;
};
