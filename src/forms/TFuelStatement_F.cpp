#include "forms/TFuelStatement_F.h"

#include "controls/DateEdit.h"
#include "controls/TabOrder.h"
#include "forms/DesignedGeometry.h"
#include "forms/DialogButtons.h"

#include <QPushButton>

TFuelStatement_F::TFuelStatement_F(QWidget *parent) : DesktopDialog(parent) {
    setObjectName(QStringLiteral("FuelStatement_F"));
    setWindowTitle(QStringLiteral("Ведомость расхода топлива"));
    DateFrom = new DateEdit(this);
    DateFrom->setObjectName(QStringLiteral("DateFrom"));
    DateTo = new DateEdit(this);
    DateTo->setObjectName(QStringLiteral("DateTo"));
    BitBtn1 = DialogButtons::ok(this);
    BitBtn2 = DialogButtons::cancel(this);

    DesignedGeometry g(this, QSize(284, 62));
    g.placeLabelled(QStringLiteral("С"), QRect(8, 5, 44, 21), DateFrom, QRect(56, 5, 140, 21));
    g.placeLabelled(QStringLiteral("По"), QRect(8, 32, 44, 21), DateTo, QRect(56, 32, 140, 21));
    g.place(BitBtn1, QRect(204, 5, 75, 25));
    g.place(BitBtn2, QRect(204, 32, 75, 25));
    g.apply();
    TabOrder::chain({DateFrom, DateTo, BitBtn1, BitBtn2});

    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        if (typedInputsRead())
            accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}
