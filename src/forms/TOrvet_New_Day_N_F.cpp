#include "forms/TOrvet_New_Day_N_F.h"

#include "controls/CalcEdit.h"
#include "controls/ReadOnlyFieldAccessible.h"
#include "controls/TFillComboBox.h"
#include "controls/TabOrder.h"
#include "controls/TimeEdit.h"
#include "core/ErrorBoundary.h"
#include "core/NumberText.h"
#include "core/OrvetError.h"
#include "forms/DesignedGeometry.h"
#include "forms/DialogButtons.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

const QString TOrvet_New_Day_N_F::Caption = QStringLiteral("Редактирование дня в путевом листе...");

TOrvet_New_Day_N_F::TOrvet_New_Day_N_F(QWidget *parent) : DesktopDialog(parent) {
    setObjectName(QStringLiteral("Orvet_New_Day_N_F"));
    setWindowTitle(Caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildControls();
    layOut();

    connect(CalcEdit1, &QLineEdit::textChanged, this, [this] { CalcEdit1Change(); });
    connect(BitBtn1, &QPushButton::clicked, this, &TOrvet_New_Day_N_F::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TOrvet_New_Day_N_F::BitBtn2Click);
}

void TOrvet_New_Day_N_F::buildControls() {
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setEnabled(false);
    CheckBox1 = new QCheckBox(QStringLiteral("Можно изменять"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setAccessibleName(CheckBox1->text());
    FillComboBox1 = new TFillComboBox(this);
    FillComboBox1->setObjectName(QStringLiteral("FillComboBox1"));
    MaskEdit1 = new TimeEdit(this);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit2 = new TimeEdit(this);
    MaskEdit2->setObjectName(QStringLiteral("MaskEdit2"));
    CalcEdit1 = new CalcEdit(this);
    CalcEdit1->setObjectName(QStringLiteral("CalcEdit1"));
    CalcEdit1->setDecimals(0);
    CalcEdit1->setDisplayFormat(QStringLiteral("#0."));
    CalcEdit2 = new CalcEdit(this);
    CalcEdit2->setObjectName(QStringLiteral("CalcEdit2"));
    CalcEdit2->setDecimals(2);
    CalcEdit2->setDisplayFormat(QStringLiteral("#0.##"));
    CalcEdit2->setEnabled(false);
    CalcEdit2->setReadOnly(true); // a display: no calculator button
    for (QLabel **panel : {&Panel1, &Panel2}) {
        *panel = new QLabel(this);
        (*panel)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        (*panel)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        (*panel)->setIndent(4);
    }
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel2->setObjectName(QStringLiteral("Panel2"));

    BitBtn1 = DialogButtons::ok(this, QStringLiteral("OK"));
    BitBtn2 = DialogButtons::cancel(this, QStringLiteral("Cancel"));
    // A click must not pull the focus out of a half-typed time box: the box
    // would refuse the move and OK would refuse once more.
    BitBtn1->setFocusPolicy(Qt::TabFocus);
    BitBtn2->setFocusPolicy(Qt::TabFocus);
}

void TOrvet_New_Day_N_F::layOut() {
    DesignedGeometry g(this, QSize(387, 158));
    // Two columns of label and field; the trip spans both.
    constexpr int LeftLabel = 8, LeftField = 104, RightLabel = 192, RightField = 288, Height = 21;
    const struct {
        const char *label;
        QWidget *field;
        int labelX, fieldX, y, width;
    } rows[] = {{"Число", Edit1, LeftLabel, LeftField, 6, 32},
                {"Поездка", FillComboBox1, LeftLabel, LeftField, 30, 275},
                {"Время выезда", MaskEdit1, LeftLabel, LeftField, 54, 48},
                {"Время приезда", MaskEdit2, RightLabel, RightField, 54, 48},
                {"Дистанция", CalcEdit1, LeftLabel, LeftField, 78, 76},
                {"Ресход бензина", CalcEdit2, RightLabel, RightField, 78, 91},
                {"Пробег на начало", Panel1, LeftLabel, LeftField, 102, 76},
                {"Пробег на конец", Panel2, RightLabel, RightField, 102, 91}};
    for (const auto &r : rows)
        g.placeLabelled(QString::fromUtf8(r.label), QRect(r.labelX, r.y, r.fieldX - r.labelX - 4, Height),
                        r.field, QRect(r.fieldX, r.y, r.width, Height));
    g.placeText(CheckBox1, QRect(RightLabel, 6, 187, Height));
    g.place(BitBtn1, QRect(224, 128, 75, 24));
    g.place(BitBtn2, QRect(304, 128, 75, 24));
    g.apply();
    // The readings are shown, not typed: a screen reader reads the caption
    // and the value.
    ReadOnlyFieldAccessible::expose(Panel1);
    ReadOnlyFieldAccessible::expose(Panel2);

    TabOrder::chain({Edit1, CheckBox1, FillComboBox1, MaskEdit1, MaskEdit2, CalcEdit1, CalcEdit2, Panel1,
                     Panel2, BitBtn1, BitBtn2});
}

// The trip is what the user came to change.
QWidget *TOrvet_New_Day_N_F::firstControl() const {
    return FillComboBox1;
}

void TOrvet_New_Day_N_F::showStoredFuel(double litres) {
    CalcEdit2->setValue(litres);
    m_typedFuel.reset();
}

void TOrvet_New_Day_N_F::CalcEdit1Change() {
    // The fuel is shown even when the return reading cannot be worked out.
    ErrorBoundary::guarded([this] { showFuel(); });
    ErrorBoundary::guarded([this] { showReturnReading(); });
}

void TOrvet_New_Day_N_F::showFuel() {
    if (!m_fuel)
        return;
    const double fuel = m_fuel(CalcEdit1->value());
    CalcEdit2->setValue(fuel);
    m_typedFuel = fuel;
}

void TOrvet_New_Day_N_F::showReturnReading() {
    bool ok = false;
    const double departure = NumberText::parse(Panel1->text(), &ok);
    if (!ok)
        throw OrvetError(QStringLiteral("'%1' is not a valid floating point value").arg(Panel1->text()));
    Panel2->setText(NumberText::general(CalcEdit1->value() + departure));
}

// A time typed only in part is refused here as on leaving its box, so OK
// (or Enter, which presses it) never writes a time with a digit missing.
void TOrvet_New_Day_N_F::BitBtn1Click() {
    if (!MaskEdit1->validate() || !MaskEdit2->validate() || !typedInputsRead())
        return;
    accept();
}

void TOrvet_New_Day_N_F::BitBtn2Click() {
    reject();
}
