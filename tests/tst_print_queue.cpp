#include "ExternalReader.h"
#include "ScriptedDialogHost.h"

#include "report/ListDataSource.h"
#include "report/ReportEngine.h"
#include "report/ReportPreview.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <QUrl>

namespace {
// A CUPS server of the test's own in a temporary folder, reached through a
// socket there. Two queues print raw into /dev/null and are paused, so that
// every job stays to be read back; "landscape", the default, prints
// landscape unless a job says otherwise.
class PrintServer {
public:
    struct Job {
        QString printer;
        QString orientation;
    };

    bool start() {
        const QString root = m_dir.path();
        for (const char *sub : {"spool", "cache", "state", "tmp", "log"})
            QDir(root).mkpath(QLatin1String(sub));
        write(QStringLiteral("cups-files.conf"),
              QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\nStateDir %1/state\n"
                             "TempDir %1/tmp\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                             "PageLog %1/log/page_log\nPrintcap %1/printcap\nFileDevice Yes\n")
                  .arg(root));
        write(QStringLiteral("cupsd.conf"),
              QStringLiteral("Listen %1\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                             "<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
                             "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n")
                  .arg(socket()));
        write(
            QStringLiteral("jobs.test"),
            QStringLiteral("{\nOPERATION Get-Jobs\nGROUP operation-attributes-tag\n"
                           "ATTR charset attributes-charset utf-8\n"
                           "ATTR language attributes-natural-language en\n"
                           "ATTR uri printer-uri $uri\nATTR keyword which-jobs all\n"
                           "ATTR keyword requested-attributes job-id,job-printer-uri,orientation-requested\n"
                           "STATUS successful-ok\nDISPLAY job-id\nDISPLAY job-printer-uri\n"
                           "DISPLAY orientation-requested\n}\n"));
        // Everything below, Qt's print support included, talks to this server.
        qputenv("CUPS_SERVER", socket().toLocal8Bit());
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
        m_cupsd.start(ExternalReader::find(QStringLiteral("cupsd")),
                      {"-f", "-c", root + "/cupsd.conf", "-s", root + "/cups-files.conf"});
        if (!m_cupsd.waitForStarted())
            return false;
        for (int tries = 0; !QFile::exists(socket()); ++tries) {
            if (tries == 100 || m_cupsd.state() != QProcess::Running)
                return false;
            QThread::msleep(50);
        }
        for (const QStringList &args :
             {QStringList{"-p", "landscape", "-E", "-v", "file:/dev/null", "-o",
                          "orientation-requested-default=4"},
              QStringList{"-p", "second", "-E", "-v", "file:/dev/null"}, QStringList{"-d", "landscape"}})
            ExternalReader::run(QStringLiteral("lpadmin"), args);
        ExternalReader::run(QStringLiteral("cupsdisable"), {"landscape", "second"});
        return !QTest::currentTestFailed();
    }

    ~PrintServer() {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(5000))
            m_cupsd.kill();
    }

    // Every job the server received, in order, as its attributes say.
    QList<Job> jobs() const {
        const QString uri =
            QStringLiteral("ipp://%1/").arg(QString::fromLatin1(QUrl::toPercentEncoding(socket())));
        const QString csv = QString::fromUtf8(ExternalReader::run(
            QStringLiteral("ipptool"), {"-c", uri, m_dir.filePath(QStringLiteral("jobs.test"))}));
        QList<Job> jobs;
        for (const QString &line : csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1)) {
            const QStringList f = line.split(QLatin1Char(','));
            if (f.size() == 3)
                jobs.append({f.at(1).section(QLatin1Char('/'), -1), f.at(2)});
        }
        return jobs;
    }

private:
    QString socket() const { return m_dir.filePath(QStringLiteral("cups.sock")); }
    void write(const QString &name, const QString &text) const {
        QFile file(m_dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text.toUtf8());
    }

    QTemporaryDir m_dir;
    QProcess m_cupsd;
};

// The print dialog as a clerk uses it: picks a printer (or leaves the one it
// opened on) and presses Print; tells which printer it opened on.
struct PrintOn {
    QString printer;
    QString *openedOn = nullptr;

    int operator()(QDialog *d) const {
        auto *printers = d->findChild<QComboBox *>(QStringLiteral("printers"));
        if (openedOn)
            *openedOn = printers->currentText();
        if (!printer.isEmpty())
            printers->setCurrentIndex(printers->findText(printer));
        d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        return d->result();
    }
};
} // namespace

// What a real print queue receives from the preview's print button.
class TestPrintQueue : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_home; // no ~/.cups/lpoptions of the user's choosing a default
    PrintServer m_server;
    ListDataSource m_days{QStringLiteral("FRD2"), {QStringLiteral("CHISLO")}, {{QStringLiteral("01")}}};

    PreparedReport report() {
        ReportEngine engine;
        engine.loadFromData(
            "orvet-report 1\nband data source=FRD2 height=5\ntext x=0 y=0 w=20 h=5 | [FRD2.CHISLO]\n");
        engine.registerDataSource(&m_days);
        return engine.prepare();
    }

    static void print(ReportPreview &preview) {
        auto *button = preview.findChild<QToolButton *>(QStringLiteral("printButton"));
        QVERIFY(button->isEnabled());
        button->click();
    }

private slots:
    void initTestCase() {
        qputenv("HOME", m_home.path().toLocal8Bit());
        QVERIFY2(m_server.start(), "the test's own CUPS server (cupsd, of cups-daemon) did not start");
    }

    // The queue prints landscape unless told otherwise: the job must say portrait.
    void theJobIsPortrait() {
        ScriptedDialogHost host;
        ReportPreview preview(report());
        QString openedOn;
        host.expectDialog(PrintOn{{}, &openedOn});
        print(preview);
        QCOMPARE(openedOn, QStringLiteral("landscape"));
        const QList<PrintServer::Job> jobs = m_server.jobs();
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(jobs.last().printer, QStringLiteral("landscape"));
        QCOMPARE(jobs.last().orientation, QStringLiteral("portrait"));
    }

    // A printer chosen in the dialog is where the next print dialogs open,
    // from the same preview and from another one.
    void theChosenPrinterHoldsForTheRun() {
        ScriptedDialogHost host;
        QString sameOpenedOn, nextOpenedOn;
        {
            ReportPreview preview(report());
            host.expectDialog(PrintOn{QStringLiteral("second")});
            host.expectDialog(PrintOn{{}, &sameOpenedOn});
            print(preview);
            print(preview);
        }
        ReportPreview next(report());
        host.expectDialog(PrintOn{{}, &nextOpenedOn});
        print(next);
        QCOMPARE(sameOpenedOn, QStringLiteral("second"));
        QCOMPARE(nextOpenedOn, QStringLiteral("second"));
        const QList<PrintServer::Job> jobs = m_server.jobs().mid(1);
        QCOMPARE(jobs.size(), 3);
        for (const PrintServer::Job &job : jobs) {
            QCOMPARE(job.printer, QStringLiteral("second"));
            QCOMPARE(job.orientation, QStringLiteral("portrait"));
        }
        QVERIFY(host.errors.isEmpty());
    }
};

QTEST_MAIN(TestPrintQueue)
#include "tst_print_queue.moc"
