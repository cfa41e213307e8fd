// A real full disk: the program's folder on a 300 KB tmpfs that the test
// mounts (as root; skipped otherwise). With no room left, storing, replacing
// and deleting each fail with a message and change nothing; with a few
// pages left a new waybill is stored whole or not at all; once there is room
// again everything works and the next start finds the rows as left.
#include "Program.h"
#include "TestDir.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/mount.h>
#include <unistd.h>

namespace {
constexpr qint64 Page = 4096;

// The tmpfs, unmounted however the test ends (a failed check returns
// through here too).
struct SmallDisk {
    TestDir base;
    QString path = base.file(QStringLiteral("disk"));
    QString failure;

    SmallDisk() {
        QDir().mkpath(path);
        if (::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=300k") != 0)
            failure = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~SmallDisk() {
        if (failure.isEmpty())
            ::umount2(QFile::encodeName(path).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
};

// A file that takes all the room but `pages` pages while it lives.
class Filler {
public:
    Filler(const QString &folder, qint64 pages) : m_file(folder + QStringLiteral("/filler")) {
        m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        const QByteArray block(int(Page), 'x');
        while (m_file.write(block) == block.size()) {
        }
        m_file.resize(qMax<qint64>(0, m_file.size() / Page * Page - pages * Page));
    }
    ~Filler() {
        m_file.close();
        m_file.remove();
    }

private:
    QFile m_file;
};

// Trips, receipts for 2024 and the norm, as a user enters them.
void prepare(Program &p) {
    p.addTrip(QStringLiteral("Офис"), 25);
    p.addTrip(QStringLiteral("Склад"), 40);
    for (int m = 1; m <= 12; ++m)
        p.addReceipt(QDate(2024, m, 5), 45, 2500);
    p.setNorm(9, true);
    p.dm.random().seed(11);
}
} // namespace

class TestFullDisk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        pinRussianLocale();
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
    }

    void fullDiskChangesNothing() {
        SmallDisk disk;
        if (!disk.failure.isEmpty())
            QSKIP(qPrintable(QStringLiteral("tmpfs not mounted: ") + disk.failure));
        auto f = std::make_unique<Program>(disk.path);
        prepare(*f);
        QCOMPARE(f->storeNew(2024, 3), QString());
        QCOMPARE(f->storeNew(2024, 4), QString());
        const QStringList before = f->snapshot();
        {
            const Filler full(disk.path, 0);
            const QList<std::function<QString()>> commands = {[&] { return f->storeNew(2024, 5); },
                                                              [&] { return f->replaceLast(); },
                                                              [&] { return f->deleteLast(); }};
            for (const auto &command : commands) {
                const QString error = command();
                qInfo("message: %s", qPrintable(error));
                QVERIFY2(error.contains(QStringLiteral("database or disk is full")), qPrintable(error));
                QCOMPARE(f->snapshot(), before);
            }
            QCOMPARE(f->dm.Orvet().recordCount(), 2);
        }
        // A few pages left: the journal fits, the file's growth may not.
        int month = 5;
        for (const qint64 pages : {1, 2, 4, 8, 16, 32}) {
            const QStringList was = f->snapshot();
            const Filler nearlyFull(disk.path, pages);
            if (f->storeNew(2024, month).isEmpty()) {
                qInfo("%lld pages free: stored", pages);
                ++month;
            } else {
                QCOMPARE(f->snapshot(), was);
            }
        }
        QCOMPARE(f->deleteLast(), QString());
        QCOMPARE(f->storeNew(2024, month), QString());
        QCOMPARE(f->replaceLast(), QString());
        const QStringList after = f->snapshot();
        f.reset();
        const Program again(disk.path);
        QCOMPARE(again.host.errors, QStringList());
        QCOMPARE(again.snapshot(), after);
    }
};

QTEST_MAIN(TestFullDisk)
#include "tst_full_disk.moc"
