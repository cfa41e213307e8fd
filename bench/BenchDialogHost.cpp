#include "BenchDialogHost.h"

#include <QDialog>

BenchDialogHost::BenchDialogHost() : m_previous(&DialogHost::instance()) {
    DialogHost::setInstance(this);
}

BenchDialogHost::~BenchDialogHost() {
    DialogHost::setInstance(m_previous);
}

int BenchDialogHost::execDialog(QDialog *dialog) {
    return onDialog ? onDialog(dialog) : int(QDialog::Rejected);
}
