#include "forms/TPoezd_New_F.h"

#include "controls/CalcEdit.h"
#include "controls/TabOrder.h"
#include "controls/TimeEdit.h"
#include "forms/DesignedGeometry.h"
#include "forms/DialogButtons.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

TPoezd_New_F::TPoezd_New_F(QWidget *parent) : DesktopDialog(parent) {
    setObjectName(QStringLiteral("Poezd_New_F"));
    setWindowTitle(QStringLiteral("Новый тип поездки"));

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    MaskEdit1 = new TimeEdit(this);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit2 = new TimeEdit(this);
    MaskEdit2->setObjectName(QStringLiteral("MaskEdit2"));
    CalcEdit1 = new CalcEdit(this);
    CalcEdit1->setObjectName(QStringLiteral("CalcEdit1"));
    BitBtn1 = DialogButtons::ok(this);
    BitBtn2 = DialogButtons::cancel(this);
    // A click must not pull the focus out of a time box that is half typed:
    // the box would refuse the move and Ok would refuse once more.
    BitBtn1->setFocusPolicy(Qt::TabFocus);
    BitBtn2->setFocusPolicy(Qt::TabFocus);

    DesignedGeometry g(this, QSize(304, 102));
    const struct {
        const char *label;
        QWidget *field;
        int y;
    } rows[] = {{"Название", Edit1, 4},
                {"Время выезда", MaskEdit1, 28},
                {"Время прибытия", MaskEdit2, 52},
                {"Пробег", CalcEdit1, 76}};
    for (const auto &r : rows)
        g.placeLabelled(QString::fromUtf8(r.label), QRect(8, r.y, 84, 21), r.field, QRect(96, r.y, 121, 21));
    g.place(BitBtn1, QRect(224, 4, 75, 25));
    g.place(BitBtn2, QRect(224, 36, 75, 25));
    g.apply();

    TabOrder::chain({Edit1, MaskEdit1, MaskEdit2, CalcEdit1, BitBtn1, BitBtn2});

    connect(BitBtn1, &QPushButton::clicked, this, &TPoezd_New_F::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TPoezd_New_F::BitBtn2Click);
}

// A time typed only in part is refused here as on leaving its box, so Ok
// (or Enter, which presses it) never stores a time with a digit missing.
void TPoezd_New_F::BitBtn1Click() {
    if (!MaskEdit1->validate() || !MaskEdit2->validate() || !typedInputsRead())
        return;
    emit okClicked();
    accept();
}

// Esc and the close box end up here too, through reject().
void TPoezd_New_F::BitBtn2Click() {
    reject();
}
