#pragma once

#include "core/DialogHost.h"

// The real host: QDialog::exec() and QMessageBox.
class WidgetDialogHost : public DialogHost {
public:
    int execDialog(QDialog *dialog) override;
    void showMessage(const QString &text) override;
    bool confirm(const QString &question) override;
    bool ask(const QString &question) override;
    void showError(const QString &text) override;
};
