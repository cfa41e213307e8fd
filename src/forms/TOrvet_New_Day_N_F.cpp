#include "forms/TOrvet_New_Day_N_F.h"

TOrvet_New_Day_N_F::TOrvet_New_Day_N_F(TDM1 *dm, QWidget *parent) : QDialog(parent), m_dm(dm) { setObjectName(QStringLiteral("Orvet_New_Day_N_F")); }
