#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

// One running copy per data folder. A second copy on the same tables would
// act on what the first no longer has: reopen a waybill deleted there,
// number a month from a stale list. So the tables' folder holds a lock
// file, taken before any table is opened; a second start on the same
// folder asks the running copy to come to the front and ends. A start on
// another folder (the tables of a second car) runs on its own.
//
// The lock is the kernel's (flock) on `orvet.lock`: it goes with the
// process that holds it, however that process ends, so a file left behind
// by a killed copy, or one that is empty, garbled or names another
// machine, stands in nobody's way. The file's text (process and machine)
// is only there for people to read.
//
// The request travels over a plain local socket rather than Qt's network
// module (that module and the libraries it brings along cost every start
// more than this whole class does), in a folder only this user can enter:
// the session's runtime folder, or a private one of the program's own in
// the temporary folder.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The lock lives in the folder of the tables.
    explicit SingleInstance(const QString &dataFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    enum class Claim { Only, Raised, Unanswered, Failed };
    // Only: this is the one copy on the folder. Raised: another copy runs
    // on it and was asked to come to the front. Unanswered: another copy
    // holds the lock but did not answer (still starting, hung, or another
    // user's). Failed: the lock could not be taken; message() says why.
    Claim claim();
    // What to tell the user after Unanswered or Failed.
    QString message() const { return m_message; }

    // Takes requests of later starts from now on; until then a second start
    // finds the copy unanswering. Called once the window is on the screen.
    void listen();

    QString lockPath() const { return m_lockPath; }
    // Where the running copy takes requests; empty when no private folder
    // could be had (the copy is then guarded but not brought forward).
    QString socketPath() const { return m_socketPath; }
    // The folder only this user may enter that holds the socket; empty
    // when there is none.
    static QString privateFolder();
    // Gives up the claim before the end of the process.
    void release();

signals:
    // Another start asked this copy to come to the front.
    void activationRequested();

private:
    Claim takeLock();
    bool askRunningCopy() const;
    void acceptRequests();

    QString m_lockPath;
    QString m_socketPath;
    QString m_message;
    int m_lock = -1;
    int m_listener = -1;
    QSocketNotifier *m_notifier = nullptr;
};
