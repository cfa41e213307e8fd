#include "core/OrvetError.h"
#include "report/ListDataSource.h"
#include "report/ReportEngine.h"
#include "report/ReportPreview.h"
#include "ScriptedDialogHost.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {
const char *const Template = "orvet-report 1\n"
                             "band title height=10\n"
                             "text x=0 y=0 w=100 h=5 | Путевой лист [FRD1.NUMBL], [Org]\n"
                             "band data source=FRD2 height=5\n"
                             "text x=0 y=0 w=20 h=5 frame=all | [FRD2.CHISLO]\n"
                             "text x=20 y=0 w=80 h=5 frame=all | [FRD2.CEL]\n";

// A clerk in the save dialog: picks the type whose extension is given (or
// leaves the one it opened on), types the name, presses Save. Hands back
// the dialog's result, and where it opened on what type.
struct SaveAs {
    QString name;
    QString type;
    QString *folder = nullptr;
    QString *filter = nullptr;

    int operator()(QDialog *d) const {
        auto *dialog = qobject_cast<QFileDialog *>(d);
        if (folder)
            *folder = dialog->directory().absolutePath();
        if (filter)
            *filter = dialog->selectedNameFilter();
        for (const QString &f : dialog->nameFilters()) {
            if (!type.isEmpty() && f.contains(QStringLiteral("*.") + type + QLatin1Char(')')))
                dialog->selectNameFilter(f);
        }
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
        dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))
            ->button(QDialogButtonBox::Save)
            ->click();
        return dialog->result();
    }
};

QByteArray head(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(16) : QByteArray("missing");
}
} // namespace

class TestReportPreview : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_home;
    ListDataSource m_frd1{QStringLiteral("FRD1"), {QStringLiteral("NUMBL")}, {{QStringLiteral("12")}}};
    ListDataSource m_frd2{QStringLiteral("FRD2"), {QStringLiteral("CHISLO"), QStringLiteral("CEL")}};

    void setUp(ReportEngine &engine) {
        engine.loadFromData(Template);
        engine.setTitle(QStringLiteral("Путевой лист № 12"));
        engine.registerDataSource(&m_frd1);
        engine.registerDataSource(&m_frd2);
        engine.setVariableHandler([](const QString &name, QVariant &value) {
            if (name == QLatin1String("Org"))
                value = QStringLiteral("ООО «Ромашка»");
        });
    }

    PreparedReport sampleReport() {
        ReportEngine engine;
        setUp(engine);
        return engine.prepare();
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        // The save dialog opens in the documents folder: a home of our own.
        qputenv("HOME", m_home.path().toLocal8Bit());
        QVERIFY(QDir(m_home.path()).mkpath(QStringLiteral("Documents")));
        QList<ListDataSource::Row> rows;
        for (int day = 1; day <= 80; ++day)
            rows.append(
                {QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0')),
                 day % 7 == 0 ? QStringLiteral("Налоговая инспекция") : QStringLiteral("Администрация")});
        m_frd2.setRows(rows);
    }

    void captionAndSevenButtons() {
        ReportPreview preview(sampleReport());
        QCOMPARE(preview.windowTitle(), QStringLiteral("Путевой лист № 12 - Предварительный просмотр"));
        const QStringList names = {"zoomButton", "openButton", "saveButton", "printButton",
                                   "findButton", "helpButton", "closeButton"};
        QCOMPARE(preview.findChildren<QToolButton *>().size(), names.size());
        for (const QString &name : names)
            QVERIFY2(preview.findChild<QToolButton *>(name), qPrintable(name));
        QVERIFY(preview.findChild<QToolButton *>(QStringLiteral("zoomButton"))->menu());
    }

    void printDisabledWithoutPrinterWhileExportWorks() {
        ReportPreview preview(sampleReport());
        auto *print = preview.findChild<QToolButton *>(QStringLiteral("printButton"));
        QCOMPARE(print->isEnabled(), !QPrinterInfo::availablePrinters().isEmpty());
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("this machine has a printer");
        QTemporaryDir dir;
        for (const char *suffix : {"txt", "csv", "htm", "rtf", "pdf", "frp"}) {
            const QString path = dir.filePath(QStringLiteral("w.") + QLatin1String(suffix));
            preview.saveToFile(path, ReportExporter::formatForFileName(path));
            QVERIFY2(QFile(path).size() > 0, suffix);
        }
    }

    void zoomChangesScale() {
        ReportPreview preview(sampleReport());
        preview.resize(800, 600);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        const double start = preview.zoom();
        preview.zoomIn();
        QVERIFY(preview.zoom() > start);
        preview.zoomOut();
        preview.zoomOut();
        QVERIFY(preview.zoom() < start);
        preview.zoomToPage();
        const double page = preview.zoom();
        preview.zoomToWidth();
        QVERIFY(preview.zoom() > page);
    }

    void findWalksTheMatchesAndWraps() {
        ReportPreview preview(sampleReport());
        // Days 7, 14, ... 77: eleven matches over two pages, letter case
        // ignored; the twelfth find wraps round to the first.
        QList<QPair<int, qsizetype>> found;
        for (int i = 0; i < 12; ++i) {
            QVERIFY(preview.findNext(QStringLiteral("налоговая")));
            found.append({preview.foundPage(), preview.foundItem()});
        }
        const QSet<QPair<int, qsizetype>> distinct(found.begin(), found.end());
        QCOMPARE(distinct.size(), 11);
        QCOMPARE(found.last(), found.first());
        QCOMPARE(found.at(10).first, 1);
        QVERIFY(!preview.findNext(QStringLiteral("нет такого текста")));
        QCOMPARE(preview.foundItem(), qsizetype(-1));
        QVERIFY(preview.findNext(QStringLiteral("Ромашка")));
        QCOMPARE(preview.foundPage(), 0);
    }

    void openReplacesTheShownReport() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("other.frp"));
        PreparedReport other;
        other.setTitle(QStringLiteral("Другой отчёт"));
        other.pages().append(ReportPage());
        other.save(path);
        ReportPreview preview(sampleReport());
        preview.openFile(path);
        QVERIFY(preview.report() == other);
        QCOMPARE(preview.windowTitle(), QStringLiteral("Другой отчёт - Предварительный просмотр"));
        QVERIFY_THROWS_EXCEPTION(OrvetError, preview.openFile(dir.filePath(QStringLiteral("none.frp"))));
        QVERIFY(preview.report() == other);
    }

    // The first save opens on PDF in the documents folder, not among the
    // tables; later ones where the last file went.
    void saveOpensOnPdfInDocumentsThenTheLastFolder() {
        ScriptedDialogHost host;
        ReportPreview preview(sampleReport());
        QString folder, filter;
        host.expectDialog(SaveAs{QStringLiteral("путевой"), {}, &folder, &filter});
        preview.findChild<QToolButton *>(QStringLiteral("saveButton"))->click();
        QCOMPARE(folder, m_home.filePath(QStringLiteral("Documents")));
        QCOMPARE(filter, QStringLiteral("Документ PDF (*.pdf)"));
        QVERIFY(head(m_home.filePath(QStringLiteral("Documents/путевой.pdf"))).startsWith("%PDF-"));
        QVERIFY(QDir(m_home.path()).mkpath(QStringLiteral("Архив")));
        host.expectDialog(SaveAs{m_home.filePath(QStringLiteral("Архив/лист")), QString()});
        host.expectDialog(SaveAs{QStringLiteral("лист 2"), {}, &folder});
        preview.findChild<QToolButton *>(QStringLiteral("saveButton"))->click();
        preview.findChild<QToolButton *>(QStringLiteral("saveButton"))->click();
        QCOMPARE(folder, m_home.filePath(QStringLiteral("Архив")));
        QVERIFY(QFile::exists(m_home.filePath(QStringLiteral("Архив/лист 2.pdf"))));
        QVERIFY(host.errors.isEmpty());
    }

    // A name with an extension the program writes decides the format;
    // another name gets the extension of the type chosen in the list.
    void theNameDecidesTheFormat_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("starts");
        QTest::newRow("pdf named, own type chosen") << "путевой.pdf"
                                                    << "frp"
                                                    << "путевой.pdf" << QByteArray("%PDF-");
        QTest::newRow("txt named, pdf chosen") << "лист.txt"
                                               << "pdf"
                                               << "лист.txt" << QByteArray("Путевой");
        QTest::newRow("capitals") << "лист.HTML"
                                  << "rtf"
                                  << "лист.HTML" << QByteArray("<!DOCTYPE html>");
        QTest::newRow("no extension") << "лист"
                                      << "csv"
                                      << "лист.csv" << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("a date in the name") << "лист 12.2024"
                                            << "pdf"
                                            << "лист 12.2024.pdf" << QByteArray("%PDF-");
        QTest::newRow("own format") << "лист"
                                    << "frp"
                                    << "лист.frp" << QByteArray("{");
    }

    void theNameDecidesTheFormat() {
        QFETCH(QString, typed);
        QFETCH(QString, type);
        QFETCH(QString, written);
        QFETCH(QByteArray, starts);
        QTemporaryDir dir;
        ScriptedDialogHost host;
        ReportPreview preview(sampleReport());
        host.expectDialog(SaveAs{dir.filePath(typed), type});
        preview.findChild<QToolButton *>(QStringLiteral("saveButton"))->click();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
        QVERIFY2(head(dir.filePath(written)).startsWith(starts), head(dir.filePath(written)).constData());
    }

    // The "replace?" question is asked of the name as it will be written;
    // No leaves the file and the dialog open.
    void overwriteIsAskedOfTheCompletedName() {
        QTemporaryDir dir;
        QFile old(dir.filePath(QStringLiteral("путевой.pdf")));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        ScriptedDialogHost host;
        host.answerConfirm(false);
        host.answerConfirm(true);
        ReportPreview preview(sampleReport());
        int afterNo = -1;
        host.expectDialog([&](QDialog *d) {
            const SaveAs save{dir.filePath(QStringLiteral("путевой")), QString()};
            afterNo = save(d);
            return save(d);
        });
        preview.findChild<QToolButton *>(QStringLiteral("saveButton"))->click();
        QCOMPARE(afterNo, int(QDialog::Rejected));
        QCOMPARE(host.questions,
                 QStringList(2, QStringLiteral("Файл путевой.pdf уже существует. Заменить его?")));
        QVERIFY(head(old.fileName()).startsWith("%PDF-"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"путевой.pdf"});
    }

    void helpShowsAMessage() {
        ScriptedDialogHost host;
        ReportPreview preview(sampleReport());
        preview.findChild<QToolButton *>(QStringLiteral("helpButton"))->click();
        QCOMPARE(host.messages.size(), 1);
    }

    void showReportPreviewsModally() {
        ScriptedDialogHost host;
        ReportEngine engine;
        setUp(engine);
        QString progressCaption;
        engine.setVariableHandler([&](const QString &name, QVariant &value) {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *progress = qobject_cast<QProgressDialog *>(w); progress && progress->isVisible())
                    progressCaption = progress->windowTitle();
            }
            if (name == QLatin1String("Org"))
                value = QStringLiteral("ООО");
        });
        int pages = 0;
        host.expectDialog([&](QDialog *dialog) {
            auto *preview = qobject_cast<ReportPreview *>(dialog);
            pages = preview ? preview->report().pageCount() : -1;
            return int(QDialog::Accepted);
        });
        engine.showReport();
        QCOMPARE(host.dialogTitles, QStringList({"Путевой лист № 12 - Предварительный просмотр"}));
        QCOMPARE(pages, 2);
        QCOMPARE(progressCaption, QStringLiteral("Путевой лист № 12"));
        QVERIFY(host.errors.isEmpty());
    }

    void showReportFailureShowsErrorAndNoPreview() {
        ScriptedDialogHost host;
        ReportEngine engine;
        setUp(engine);
        engine.setVariableHandler([](const QString &name, QVariant &) {
            if (name == QLatin1String("Org"))
                throw OrvetError(QStringLiteral("Floating point division by zero"));
        });
        engine.showReport();
        QCOMPARE(host.dialogTitles, QStringList());
        QCOMPARE(host.errors, QStringList({"Ошибка в шаблоне, строка 3: не удалось вычислить \"Org\": "
                                           "Floating point division by zero."}));
    }
};

QTEST_MAIN(TestReportPreview)
#include "tst_report_preview.moc"
