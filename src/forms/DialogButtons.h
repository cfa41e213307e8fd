#pragma once

#include <QString>

class QDialog;
class QPushButton;

// The Ok and Cancel buttons of the entry dialogs: the standard icons, the
// names the forms and tests look them up by, Ok the default button.
class DialogButtons {
public:
    static QPushButton *ok(QDialog *dialog, const QString &caption = QStringLiteral("&Ok"));
    static QPushButton *cancel(QDialog *dialog, const QString &caption = QStringLiteral("&Cancel"));
};
