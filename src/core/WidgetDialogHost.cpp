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

bool WidgetDialogHost::confirm(const QString &question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), question, QMessageBox::NoButton,
                    activeParent());
    QPushButton *yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

bool WidgetDialogHost::ask(const QString &question) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), question,
                    QMessageBox::NoButton, activeParent());
    QPushButton *yes = box.addButton(QStringLiteral("&Да"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&Нет"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void WidgetDialogHost::showError(const QString &text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), errorText(text),
                    QMessageBox::Ok, activeParent());
    box.exec();
}
