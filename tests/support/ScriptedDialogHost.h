#pragma once

#include "core/DialogHost.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>

// Stands in for every modal window in tests. Dialog handlers are taken in
// order: each gets the dialog as if it were shown, may fill or click it,
// and returns the dialog's result. Installed for its own lifetime.
class ScriptedDialogHost : public DialogHost {
public:
    using DialogScript = std::function<int(QDialog *)>;

    ScriptedDialogHost();
    ~ScriptedDialogHost() override;

    void expectDialog(DialogScript script) { m_dialogs.append(std::move(script)); }
    void answerConfirm(bool yes) { m_answers.append(yes); }

    int execDialog(QDialog *dialog) override;
    void showMessage(const QString &text) override { messages.append(text); }
    bool confirm(const QString &question) override;
    void showError(const QString &text) override { errors.append(errorText(text)); }

    int pendingDialogs() const { return int(m_dialogs.size()); }
    // Drops what a command that failed early left unused.
    void forgetScripts() {
        m_dialogs.clear();
        m_answers.clear();
    }

    QStringList messages;
    QStringList errors;
    QStringList questions;
    QStringList dialogTitles;

private:
    QList<DialogScript> m_dialogs;
    QList<bool> m_answers;
};
