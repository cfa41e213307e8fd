#include "core/WidgetDialogHost.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
DialogHost *g_installed = nullptr;

QWidget *activeParent() {
    return QApplication::activeWindow();
}
} // namespace

DialogHost &DialogHost::instance() {
    static WidgetDialogHost real;
    return g_installed ? *g_installed : real;
}

void DialogHost::setInstance(DialogHost *host) {
    g_installed = host;
}

QString DialogHost::errorText(const QString &text) {
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

int WidgetDialogHost::execDialog(QDialog *dialog) {
    return dialog->exec();
}

void WidgetDialogHost::showMessage(const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    activeParent());
    box.exec();
}

namespace {
// A question box: Yes the default, Esc answering No. True only for Yes.
bool yesOrNo(const QString &title, const QString &question, const QString &yesText, const QString &noText,
             QWidget *parent) {
    QMessageBox box(QMessageBox::Question, title, question, QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(yesText, QMessageBox::YesRole);
    QPushButton *no = box.addButton(noText, QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}
} // namespace

bool WidgetDialogHost::confirm(const QString &question) {
    return yesOrNo(QStringLiteral("Confirm"), question, QStringLiteral("&Yes"), QStringLiteral("&No"),
                   activeParent());
}

bool WidgetDialogHost::ask(const QString &question) {
    return yesOrNo(QApplication::applicationDisplayName(), question, QStringLiteral("&Да"),
                   QStringLiteral("&Нет"), activeParent());
}

void WidgetDialogHost::showError(const QString &text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), errorText(text),
                    QMessageBox::Ok, activeParent());
    box.exec();
}
