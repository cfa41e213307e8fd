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
#include <fcntl.h>
#include <sys/file.h>
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

QString SingleInstance::privateFolder() {
    const uid_t me = ::getuid();
    // Only a real folder of this user's that nobody else may enter.
    const auto mine = [me](const QByteArray &path) {
        struct stat st {};
        return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == me &&
               (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
    };
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && mine(runtime))
        return QFile::decodeName(runtime);
    const QByteArray own = QFile::encodeName(QDir::tempPath()) + "/orvet-" + QByteArray::number(me);
    ::mkdir(own.constData(), S_IRWXU);
    return mine(own) ? QFile::decodeName(own) : QString();
}

SingleInstance::SingleInstance(const QString &dataFolder, QObject *parent)
    : QObject(parent), m_lockPath(QDir(dataFolder).absoluteFilePath(QStringLiteral("orvet.lock"))) {
    // One name per data folder, whatever way it was reached.
    const QString folder = QFileInfo(dataFolder).canonicalFilePath();
    const QString base = privateFolder();
    if (!base.isEmpty())
        m_socketPath = base + QStringLiteral("/orvet-") +
                       QString::fromLatin1(
                           QCryptographicHash::hash((folder.isEmpty() ? m_lockPath : folder).toUtf8(),
                                                    QCryptographicHash::Sha1)
                               .toHex()
                               .left(16));
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
    if (m_lock >= 0) {
        ::close(m_lock); // the kernel lets go of the lock; the file stays for the next start
        m_lock = -1;
    }
}

SingleInstance::Claim SingleInstance::takeLock() {
    const QByteArray path = QFile::encodeName(m_lockPath);
    const QString shown = QDir::toNativeSeparators(m_lockPath);
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 3; ++attempt) {
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        int why = errno;
        if (fd < 0 && why == EACCES) { // another user's lock file: a lock all the same
            fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            why = fd < 0 && errno == ENOENT ? EACCES : errno;
        }
        if (fd >= 0)
            break;
        // A link or an empty folder in the lock's place is nobody's lock:
        // the link goes (never what it points to), and so does the folder.
        if (!((why == ELOOP && ::unlink(path.constData()) == 0) ||
              (why == EISDIR && ::rmdir(path.constData()) == 0))) {
            m_message = why == EISDIR
                            ? QStringLiteral("На месте файла блокировки %1 лежит папка с файлами. Переименуйте "
                                             "или удалите её и запустите программу снова")
                                  .arg(shown)
                            : QStringLiteral("Не удалось открыть файл блокировки %1: %2. Проверьте, что в папку "
                                             "с таблицами можно писать, и запустите программу снова")
                                  .arg(shown, QString::fromLocal8Bit(std::strerror(why)));
            return Claim::Failed;
        }
    }
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        m_message = QStringLiteral("Файл блокировки %1 не является обычным файлом. Удалите его и запустите "
                                   "программу снова")
                        .arg(shown);
        return Claim::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        ::close(fd);
        if (why == EWOULDBLOCK)
            return Claim::Unanswered;
        m_message = QStringLiteral("Не удалось занять файл блокировки %1: %2. Если программа не запущена, "
                                   "удалите этот файл и запустите её снова")
                        .arg(shown, QString::fromLocal8Bit(std::strerror(why)));
        return Claim::Failed;
    }
    // Whatever the file said before, nobody held it: it is this copy's now.
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const QByteArray text = QByteArray::number(qint64(::getpid())) + '\n' + host + "\norvet\n";
    if (::ftruncate(fd, 0) == 0 && ::write(fd, text.constData(), size_t(text.size())) < 0) {
        // Only for people to read; the lock holds without it.
    }
    m_lock = fd;
    return Claim::Only;
}

SingleInstance::Claim SingleInstance::claim() {
    if (m_lock >= 0)
        return Claim::Only;
    const Claim lock = takeLock();
    if (lock != Claim::Unanswered)
        return lock;
    if (askRunningCopy())
        return Claim::Raised;
    m_message = QStringLiteral("Программа «Путевые листы» уже запущена с таблицами папки %1.")
                    .arg(QDir::toNativeSeparators(QFileInfo(m_lockPath).absolutePath()));
    return Claim::Unanswered;
}

void SingleInstance::listen() {
    if (m_listener >= 0 || m_lock < 0 || m_socketPath.isEmpty())
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
    if (m_socketPath.isEmpty())
        return false;
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
