#pragma once

#include <QObject>

// A dialog's Ok sets the command's accepted or confirmed flag while the
// dialog runs. The flag is cleared when the dialog is about to show, and
// the dialog is forgotten afterwards, even when showing it failed.
template <class Dialog> class OkFlag {
public:
    OkFlag(Dialog *dialog, bool &flag)
        : m_connection(QObject::connect(dialog, &Dialog::okClicked, [&flag] { flag = true; })) {
        flag = false;
    }
    ~OkFlag() { QObject::disconnect(m_connection); }
    OkFlag(const OkFlag &) = delete;
    OkFlag &operator=(const OkFlag &) = delete;

private:
    QMetaObject::Connection m_connection;
};
