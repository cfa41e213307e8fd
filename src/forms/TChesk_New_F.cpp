#include "forms/TChesk_New_F.h"

TChesk_New_F::TChesk_New_F(TDM1 *dm, QWidget *parent) : QDialog(parent), m_dm(dm) { setObjectName(QStringLiteral("Chesk_New_F")); }
