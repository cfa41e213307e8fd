#include "forms/TChesk_New_F.h"

#include "controls/CalcEdit.h"
#include "controls/DateEdit.h"
#include "controls/DecimalValidator.h"
#include "controls/TabOrder.h"
#include "forms/DesignedGeometry.h"
#include "forms/DialogButtons.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

TChesk_New_F::TChesk_New_F(QWidget *parent) : DesktopDialog(parent) {
    setObjectName(QStringLiteral("Chesk_New_F"));
    setWindowTitle(QStringLiteral("Введение нового чека"));

    DateEdit1 = new DateEdit(this);
    DateEdit1->setObjectName(QStringLiteral("DateEdit1"));
    CalcEdit1 = new CalcEdit(this);
    CalcEdit1->setObjectName(QStringLiteral("CalcEdit1"));
    CalcEdit2 = new CalcEdit(this);
    CalcEdit2->setObjectName(QStringLiteral("CalcEdit2"));
    // A purchase is never below zero litres or rubles.
    for (CalcEdit *box : {CalcEdit1, CalcEdit2})
        if (auto *v = qobject_cast<DecimalValidator *>(const_cast<QValidator *>(box->validator())))
            v->setSignAllowed(false);
    BitBtn1 = DialogButtons::ok(this);
    BitBtn2 = DialogButtons::cancel(this);

    DesignedGeometry g(this, QSize(284, 78));
    const struct {
        const char *label;
        QWidget *field;
        int y;
    } rows[] = {{"Дата", DateEdit1, 5}, {"Литров", CalcEdit1, 29}, {"Денег", CalcEdit2, 53}};
    for (const auto &r : rows)
        g.placeLabelled(QString::fromUtf8(r.label), QRect(8, r.y, 44, 21), r.field, QRect(56, r.y, 140, 21));
    g.place(BitBtn1, QRect(204, 5, 75, 25));
    g.place(BitBtn2, QRect(204, 37, 75, 25));
    g.apply();

    TabOrder::chain({DateEdit1, CalcEdit1, CalcEdit2, BitBtn1, BitBtn2});

    connect(BitBtn1, &QPushButton::clicked, this, &TChesk_New_F::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TChesk_New_F::BitBtn2Click);
}

void TChesk_New_F::BitBtn1Click() {
    if (!typedInputsRead())
        return;
    emit okClicked();
    accept();
}

// Esc and the close box end up here too, through reject().
void TChesk_New_F::BitBtn2Click() {
    reject();
}
