#include "forms/DialogButtons.h"

#include <QDialog>
#include <QPushButton>
#include <QStyle>

static QString plain(QString caption) { return caption.remove(QLatin1Char('&')); }

QPushButton *DialogButtons::ok(QDialog *dialog, const QString &caption) {
    auto *b = new QPushButton(dialog->style()->standardIcon(QStyle::SP_DialogOkButton), caption, dialog);
    b->setObjectName(QStringLiteral("BitBtn1"));
    b->setAccessibleName(plain(caption));
    b->setDefault(true);
    return b;
}

QPushButton *DialogButtons::cancel(QDialog *dialog, const QString &caption) {
    auto *b = new QPushButton(dialog->style()->standardIcon(QStyle::SP_DialogCancelButton), caption, dialog);
    b->setObjectName(QStringLiteral("BitBtn2"));
    b->setAccessibleName(plain(caption));
    b->setAutoDefault(false);
    return b;
}
