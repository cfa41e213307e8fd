#include "forms/TOrvet_New_F.h"

TOrvet_New_F::TOrvet_New_F(TDM1 *dm, QWidget *parent) : QDialog(parent), m_dm(dm) { setObjectName(QStringLiteral("Orvet_New_F")); }
