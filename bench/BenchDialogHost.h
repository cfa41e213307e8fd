#pragma once

#include "core/DialogHost.h"

#include <QStringList>
#include <functional>

// Stands in for every modal window while a benchmark runs: a dialog returns
// at once with what `onDialog` says (by default it is cancelled), a
// question gets `answer`, and messages and errors are only collected.
// Installed for its own lifetime; the host it replaced comes back after.
class BenchDialogHost : public DialogHost {
public:
    BenchDialogHost();
    ~BenchDialogHost() override;
    BenchDialogHost(const BenchDialogHost &) = delete;
    BenchDialogHost &operator=(const BenchDialogHost &) = delete;

    int execDialog(QDialog *dialog) override;
    void showMessage(const QString &text) override { messages.append(text); }
    bool confirm(const QString &) override { return answer; }
    void showError(const QString &text) override { errors.append(errorText(text)); }

    std::function<int(QDialog *)> onDialog;
    bool answer = true;
    QStringList messages;
    QStringList errors;

private:
    DialogHost *m_previous;
};
