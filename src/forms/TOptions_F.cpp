#include "forms/TOptions_F.h"

TOptions_F::TOptions_F(TDM1 *dm, QWidget *parent) : QDialog(parent), m_dm(dm) { setObjectName(QStringLiteral("Options_F")); }
