#include "forms/TPoezd_New_F.h"

TPoezd_New_F::TPoezd_New_F(TDM1 *dm, QWidget *parent) : QDialog(parent), m_dm(dm) { setObjectName(QStringLiteral("Poezd_New_F")); }
