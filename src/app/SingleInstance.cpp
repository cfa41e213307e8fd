#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr int AnswerMs = 2000;
constexpr char Raise[] = "raise\n";
constexpr qsizetype RaiseWord = 5; // "raise" without the line end

bool toAddress(const QByteArray &path, sockaddr_un &address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return true;
}

int unixSocket(int flags) {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
}

// Bound in a folder of its own that only this user can enter, and moved to
// its name once only this user may connect: at no moment can another user
// reach it.
int bindPrivately(const QByteArray &finalPath) {
    QByteArray folder = finalPath + ".XXXXXX";
    if (!::mkdtemp(folder.data()))
        return -1;
    const QByteArray inner = folder + "/s";
    sockaddr_un address;
    int fd = -1;
    if (toAddress(inner, address) && (fd = unixSocket(SOCK_NONBLOCK)) >= 0) {
        const bool ok = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
                        ::chmod(inner.constData(), S_IRUSR | S_IWUSR) == 0 && ::listen(fd, 8) == 0 &&
                        ::rename(inner.constData(), finalPath.constData()) == 0;
        if (!ok) {
            ::close(fd);
            fd = -1;
        }
    }
    ::unlink(inner.constData());
    ::rmdir(folder.constData());
    return fd;
}
} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), m_lockPath(QDir(folder).absoluteFilePath(QStringLiteral("orvet.lock"))),
      // One name per lock, so that copies with settings of their own (the
      // tests', another configuration folder) do not meet.
      m_socketPath(QDir(QDir::tempPath())
                       .filePath(QStringLiteral("orvet-") +
                                 QString::fromLatin1(
                                     QCryptographicHash::hash(m_lockPath.toUtf8(), QCryptographicHash::Sha1)
                                         .toHex()
                                         .left(16)))),
      m_lock(m_lockPath) {
    // Never stale by age: only a holder that no longer runs gives it up.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    release();
}

void SingleInstance::release() {
    if (m_listener >= 0) {
        delete m_notifier;
        m_notifier = nullptr;
        ::close(m_listener);
        m_listener = -1;
        ::unlink(QFile::encodeName(m_socketPath).constData());
    }
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
    if (m_listener >= 0 || !m_lock.isLocked())
        return;
    const QByteArray path = QFile::encodeName(m_socketPath);
    sockaddr_un address;
    if (!toAddress(path, address))
        return; // a temporary folder too deep for a socket: later starts find no answer
    // A socket left by a killed copy: ours now that we hold the lock.
    ::unlink(path.constData());
    m_listener = bindPrivately(path);
    if (m_listener < 0)
        return;
    m_notifier = new QSocketNotifier(qintptr(m_listener), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SingleInstance::acceptRequests);
}

void SingleInstance::acceptRequests() {
    for (int fd; (fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;) {
        auto *reader = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
        auto received = std::make_shared<QByteArray>();
        auto finish = [this, reader, fd, received] {
            if (!reader->isEnabled())
                return;
            reader->setEnabled(false);
            if (received->startsWith(QByteArrayView(Raise, RaiseWord)))
                emit activationRequested();
            ::close(fd); // the asking start waits for this
            reader->deleteLater();
        };
        connect(reader, &QSocketNotifier::activated, this, [fd, received, finish] {
            char buffer[64];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            if (n > 0)
                received->append(buffer, n);
            if (n <= 0 || received->size() >= RaiseWord)
                finish();
        });
        // A caller that connects and says nothing is not waited for.
        QTimer::singleShot(AnswerMs, reader, finish);
    }
}

bool SingleInstance::askRunningCopy() const {
    const QByteArray path = QFile::encodeName(m_socketPath);
    sockaddr_un address;
    const int fd = unixSocket(0);
    if (fd < 0 || !toAddress(path, address)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    // Blocking calls, each bounded: connecting and sending by the send
    // timeout, the wait for the hang-up by the receive timeout.
    const timeval limit{AnswerMs / 1000, (AnswerMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    bool sent = false;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0) {
        const ssize_t length = ssize_t(sizeof Raise - 1);
        sent = ::send(fd, Raise, size_t(length), MSG_NOSIGNAL) == length;
        // Waits until the running copy has read the request and hung up.
        char ignored[16];
        while (sent && ::read(fd, ignored, sizeof ignored) > 0) {
        }
    }
    ::close(fd);
    return sent;
}
