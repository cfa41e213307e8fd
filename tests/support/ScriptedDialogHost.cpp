#include "ScriptedDialogHost.h"

#include <QTest>

ScriptedDialogHost::ScriptedDialogHost() { DialogHost::setInstance(this); }

ScriptedDialogHost::~ScriptedDialogHost() { DialogHost::setInstance(nullptr); }

int ScriptedDialogHost::execDialog(QDialog *dialog) {
    dialogTitles.append(dialog->windowTitle());
    if (m_dialogs.isEmpty()) {
        qWarning("ScriptedDialogHost: unexpected dialog %s", qPrintable(dialog->windowTitle()));
        return QDialog::Rejected;
    }
    DialogScript script = m_dialogs.takeFirst();
    return script(dialog);
}

bool ScriptedDialogHost::confirm(const QString &question) {
    questions.append(question);
    if (m_answers.isEmpty()) {
        qWarning("ScriptedDialogHost: unexpected question %s", qPrintable(question));
        return false;
    }
    return m_answers.takeFirst();
}
