#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
constexpr int AnswerMs = 2000;
const QByteArray Raise = QByteArrayLiteral("raise\n");
} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), m_lockPath(QDir(folder).absoluteFilePath(QStringLiteral("orvet.lock"))),
      // One name per lock, so that copies with settings of their own (the
      // tests', another configuration folder) do not meet.
      m_serverName(QStringLiteral("orvet-") +
                   QString::fromLatin1(
                       QCryptographicHash::hash(m_lockPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(16))),
      m_lock(m_lockPath) {
    // Never stale by age: only a holder that no longer runs gives it up.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() { release(); }

void SingleInstance::release() {
    if (m_server)
        m_server->close();
    if (m_lock.isLocked())
        m_lock.unlock();
}

SingleInstance::Claim SingleInstance::claim() {
    QDir().mkpath(QFileInfo(m_lockPath).absolutePath());
    if (m_lock.tryLock(0))
        return Claim::Only;
    if (m_lock.error() != QLockFile::LockFailedError)
        return Claim::Only; // a folder that takes no lock guards nothing
    return askRunningCopy() ? Claim::Raised : Claim::Unanswered;
}

void SingleInstance::listen() {
    if (m_server || !m_lock.isLocked())
        return;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a killed copy: ours now that we hold the lock.
    QLocalServer::removeServer(m_serverName);
    m_server->listen(m_serverName);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().startsWith(Raise.trimmed()))
                    emit activationRequested();
                s->disconnectFromServer();
            });
        }
    });
}

bool SingleInstance::askRunningCopy() const {
    QLocalSocket s;
    s.connectToServer(m_serverName);
    if (!s.waitForConnected(AnswerMs))
        return false;
    s.write(Raise);
    const bool sent = s.waitForBytesWritten(AnswerMs);
    // Waits until the running copy has read the request and hung up.
    s.waitForDisconnected(AnswerMs);
    return sent;
}
