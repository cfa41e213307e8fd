#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QSocketNotifier;

// One running copy per user. The tables and the settings file are one
// user's, and a second copy would act on what the first no longer has:
// reopen a waybill deleted there, number a month from a stale list, write
// old settings back. A second start asks the running copy to come to the
// front and ends. The lock names its holder's process, so a copy that was
// killed leaves nothing in the way of the next start.
//
// The request travels over a plain local socket rather than Qt's network
// module: that module and the libraries it brings along cost every start
// more than this whole class does.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The lock lives in the folder of the settings file.
    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);
    ~SingleInstance() override;

    enum class Claim { Only, Raised, Unanswered };
    // Only: this is the one copy (or the folder takes no lock, and the
    // program runs unguarded rather than not at all). Raised: another copy
    // runs and was asked to come to the front. Unanswered: another copy
    // holds the lock but did not answer (still starting, or hung).
    Claim claim();

    // Takes requests of later starts from now on; until then a second start
    // finds the copy unanswering. Called once the window is on the screen.
    void listen();

    QString lockPath() const { return m_lockPath; }
    // Where the running copy takes requests.
    QString socketPath() const { return m_socketPath; }
    // Gives up the claim before the end of the process.
    void release();

signals:
    // Another start asked this copy to come to the front.
    void activationRequested();

private:
    bool askRunningCopy() const;
    void acceptRequests();

    QString m_lockPath;
    QString m_socketPath;
    QLockFile m_lock;
    int m_listener = -1;
    QSocketNotifier *m_notifier = nullptr;
};
