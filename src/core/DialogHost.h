#pragma once

#include <QString>

class QDialog;
class QWidget;

// The one door through which every modal dialog, message box and
// confirmation is shown. Tests install a scripted host instead.
class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Runs a dialog modally and returns its result code.
    virtual int execDialog(QDialog *dialog) = 0;
    // A plain message titled with the program's name, with an OK button.
    virtual void showMessage(const QString &text) = 0;
    // The confirmation box: title "Confirm", question icon, "&Yes"/"&No",
    // Yes the default, Esc answering No. True only for Yes.
    virtual bool confirm(const QString &question) = 0;
    // A question of the program's own features, in Russian: the program's
    // name as title, "&Да"/"&Нет", Yes the default. Answered like confirm()
    // where a host does not tell them apart.
    virtual bool ask(const QString &question) { return confirm(question); }
    // The general error display: critical icon, the program's name as title.
    virtual void showError(const QString &text) = 0;

    static DialogHost &instance();
    // Installs a host (tests); nullptr puts the real one back.
    static void setInstance(DialogHost *host);

    // The text the error display shows: a full stop is appended when the
    // last character sorts after ".".
    static QString errorText(const QString &text);
};
