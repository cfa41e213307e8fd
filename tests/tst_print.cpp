#include "ExternalReader.h"
#include "ScriptedDialogHost.h"
#include "TestDir.h"

#include "core/OrvetError.h"
#include "data/commands/PrintCommand.h"
#include "data/TDM1.h"
#include "report/ReportPreview.h"

#include <QDir>
#include <QFile>
#include <QTest>

// The print command: the day-row filter, the template read at every print,
// the title, the ten variables the template may ask for, and the waybill's
// further details after them.
class TestPrint : public QObject {
    Q_OBJECT
private:
    struct Fixture {
        TestDir dir;
        QString oldCwd = QDir::currentPath();
        std::unique_ptr<TDM1> dm;
        Fixture() {
            QDir::setCurrent(dir.path()); // the template is looked for here
            dm = std::make_unique<TDM1>(dir.path(), dir.ini());
        }
        ~Fixture() {
            dm.reset();
            QDir::setCurrent(oldCwd);
        }
        qint64 waybill(const QDate &first, const QString &number, int days) {
            const qint64 id = dm->Orvet().insertRecord({{}, first, number, QString::number(first.year()),
                                                        QStringLiteral("Декабрь"), 1000.0, 1100.0, 500.0, 10.0});
            for (int d = 1; d <= days; ++d)
                dm->OrvetSost().insertRecord({{}, id, QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0')),
                                              QStringLiteral("Офис"), QStringLiteral("09:00"), QStringLiteral("18:00"),
                                              1000.0 + d, 1001.0 + d, 1.0, 0.1});
            return id;
        }
        QVariant ask(const QString &name) {
            QVariant v;
            dm->printCommand().FR1GetValue(name, v);
            return v;
        }
        void writeTemplate(const QByteArray &text) {
            QFile f(dir.file(PrintCommand::TemplateFile));
            f.open(QIODevice::WriteOnly | QIODevice::Truncate);
            f.write(text);
        }
        // Prints the selected waybill; the preview's page texts, and its
        // PDF export in `pdf` when a name is given.
        QStringList print(ScriptedDialogHost &host, const QString &pdf = QString()) {
            QStringList texts;
            host.expectDialog([&](QDialog *d) {
                auto *preview = qobject_cast<ReportPreview *>(d);
                for (const ReportPage &page : preview->report().pages())
                    for (const ReportItem &item : page.items)
                        texts.append(item.text);
                if (!pdf.isEmpty())
                    preview->saveToFile(pdf, ReportExporter::Format::Pdf);
                return 0;
            });
            dm->execute(QStringLiteral("Orvet_Print"));
            return texts;
        }
    };

    // A clerk's details as the settings dialog stores them.
    static inline const QStringList Details = {
        "1027700132195", "+7 (495) 123-45-67", "легковой автомобиль",
        "Vesta",         "77 01 123456",       "B, C",
        "Смирнова Е.В.", "Кузнецов А.Н.",      "перевозка для собственных нужд",
        "77 01",         "15.03.2021",         "междугородное"};
    static inline const QStringList DetailNames = {"OGRN",        "OrgTelefon", "TipAuto",
                                                   "ModelAuto",   "VodUdost",   "VodKategoriya",
                                                   "Medrabotnik", "Mehanik",    "VidPerevozki",
                                                   "VodUdostSeriya", "VodUdostData", "VidSoobsheniya"};

private slots:
    void initTestCase() { pinRussianLocale(); }

    void storedValueVariablesExactCaseOnly() {
        Fixture f;
        const QList<QPair<QString, int>> vars{{"Org", 0}, {"OrgAdress", 1}, {"MarkAuto", 2}, {"GosNumberAuto", 3},
                                              {"Voditel", 4}, {"Utverjdau", 5}, {"Buhgalter", 9}, {"Proveril", 10}};
        for (const auto &[name, index] : vars)
            f.dm->FS1().setValue(index, QStringLiteral("value %1").arg(index));
        for (const auto &[name, index] : vars) {
            QCOMPARE(f.ask(name).toString(), QStringLiteral("value %1").arg(index));
            QVERIFY2(!f.ask(name.toUpper()).isValid(), qPrintable(name));
            QVERIFY(!f.ask(QLatin1Char(' ') + name).isValid());
        }
        QVERIFY(!f.ask(QStringLiteral("StartoviyProbeg")).isValid());
        QVERIFY(!f.ask(QStringLiteral("PAGE#")).isValid());
    }

    // Each detail under its name, exact case only; the waybill is valid
    // from the first to the last day of its month.
    void detailVariablesAndValidity() {
        Fixture f;
        for (int i = 0; i < WaybillDetails::Count; ++i)
            f.dm->details().setText(i, Details.at(i));
        for (int i = 0; i < WaybillDetails::Count; ++i) {
            QCOMPARE(f.ask(DetailNames.at(i)).toString(), Details.at(i));
            QVERIFY(!f.ask(DetailNames.at(i).toLower()).isValid());
        }
        f.waybill(QDate(2024, 2, 1), QStringLiteral("2"), 0);
        QCOMPARE(f.ask(QStringLiteral("DateFrom")).toDate(), QDate(2024, 2, 1));
        QCOMPARE(f.ask(QStringLiteral("DateTo")).toDate(), QDate(2024, 2, 29));
        QVERIFY(!f.ask(QStringLiteral("dateto")).isValid());
    }

    // Printed to PDF through the preview's own export and read back by
    // pdftotext: one page for the shortest and the longest month, with
    // every label and every value of the details.
    void defaultFormCarriesEveryDetail_data() {
        QTest::addColumn<QDate>("month");
        QTest::newRow("28 days") << QDate(2023, 2, 1);
        QTest::newRow("31 days") << QDate(2024, 12, 1);
    }

    void defaultFormCarriesEveryDetail() {
        QFETCH(QDate, month);
        Fixture f;
        ScriptedDialogHost host;
        for (int i = 0; i < WaybillDetails::Count; ++i)
            f.dm->details().setText(i, Details.at(i));
        f.waybill(month, QStringLiteral("7"), month.daysInMonth());
        const QString pdf = f.dir.file(QStringLiteral("лист.pdf"));
        f.print(host, pdf);
        QVERIFY2(host.errors.isEmpty(), qPrintable(host.errors.join('\n')));
        const QString text = QString::fromUtf8(ExternalReader::run(QStringLiteral("pdftotext"), {pdf, "-"}));
        QCOMPARE(text.count(QLatin1Char('\f')), 1); // one page
        const QString words = text.simplified();
        QStringList expected = Details;
        expected << "ОГРН:" << "Телефон:" << "Тип транспортного средства" << "Модель транспортного средства"
                 << "Марка автомобиля" << "Государственный номер" << "Водительское удостоверение: серия, номер, дата выдачи" << "Вид сообщения"
                 << "Категория удостоверения" << "Вид перевозки"
                 << "Срок действия путевого листа: с " + month.toString("dd.MM.yyyy") + " по " +
                        month.addMonths(1).addDays(-1).toString("dd.MM.yyyy")
                 << "Предрейсовый" << "Послерейсовый" << "медосмотр" << "техконтроль" << "время" << "подпись";
        for (const QString &e : expected)
            QVERIFY2(words.contains(e), qPrintable(e + QStringLiteral(" not in:\n") + text));
        QCOMPARE(words.count(QStringLiteral("Смирнова Е.В.")), 2); // over both medical checks
        QCOMPARE(words.count(QStringLiteral("подпись")), 3 + 3); // three checks, three signature lines
    }

    // A template of the user's keeps printing what it printed: a name it
    // declares itself stays its own when the program comes to answer it.
    void userTemplateKeepsItsOwnNames() {
        Fixture f;
        ScriptedDialogHost host;
        for (int i = 0; i < WaybillDetails::Count; ++i)
            f.dm->details().setText(i, Details.at(i));
        f.waybill(QDate(2024, 12, 1), QStringLiteral("7"), 3);
        f.writeTemplate("orvet-report 1\nvar OGRN | 1-02-69\nvar mehanik | гараж\nband title height=10\n"
                        "text x=0 y=0 w=190 h=5 | [OGRN] [Mehanik] [DateTo]\n");
        QCOMPARE(f.print(host), QStringList{"1-02-69 гараж 31.12.2024"});
    }

    void litrNa100FollowsTheSettings() {
        Fixture f;
        f.dm->FS1().setValue(StoredValues::Rashodna100km, QStringLiteral("8,7"));
        f.dm->FS1().setValue(StoredValues::Winter, QStringLiteral("-1"));
        QCOMPARE(f.ask(QStringLiteral("LitrNa100")).toString(), QStringLiteral("9,57"));
        f.dm->FS1().setValue(StoredValues::Winter, false);
        QCOMPARE(f.ask(QStringLiteral("LitrNa100")).toString(), QStringLiteral("8,7"));
        f.dm->FS1().setValue(StoredValues::Rashodna100km, 10.0);
        f.dm->FS1().setValue(StoredValues::Winter, true);
        QCOMPARE(f.ask(QStringLiteral("LitrNa100")).toString(), QStringLiteral("11"));
        f.dm->FS1().setValue(StoredValues::Rashodna100km, QStringLiteral("много"));
        QVERIFY_THROWS_EXCEPTION(OrvetError, f.ask(QStringLiteral("LitrNa100")));
    }

    void dateAktIsTheLastDayOfTheMonth() {
        QCOMPARE(PrintCommand::dateAkt(QDate(2004, 2, 1)), QStringLiteral("29 февраля 2004 г."));
        QCOMPARE(PrintCommand::dateAkt(QDate(2005, 2, 1)), QStringLiteral("28 февраля 2005 г."));
        QCOMPARE(PrintCommand::dateAkt(QDate(2005, 12, 1)), QStringLiteral("31 декабря 2005 г."));
        Fixture f;
        f.waybill(QDate(2005, 12, 1), QStringLiteral("12"), 0);
        f.waybill(QDate(2004, 2, 1), QStringLiteral("02"), 0);
        f.dm->Orvet().first(); // the current waybill at the moment of asking
        QCOMPARE(f.ask(QStringLiteral("DateAKT")).toString(), QStringLiteral("31 декабря 2005 г."));
    }

    void emptyListPrintsNothingAndKeepsFilters() {
        Fixture f;
        ScriptedDialogHost host;
        f.dm->OrvetSost().setFilter(QStringLiteral("IDJOIN=77"));
        f.dm->execute(QStringLiteral("Orvet_Print"));
        QVERIFY(host.dialogTitles.isEmpty());
        QVERIFY(host.errors.isEmpty());
        QCOMPARE(f.dm->OrvetSost().filter(), QStringLiteral("IDJOIN=77"));
        QVERIFY(!f.dm->OrvetSost().filtered());
    }

    void printsTheSelectedWaybillWithItsDays() {
        Fixture f;
        ScriptedDialogHost host;
        QVERIFY(QFile::exists(f.dir.file(PrintCommand::TemplateFile))); // written at start-up
        f.waybill(QDate(2024, 11, 1), QStringLiteral("11"), 30);
        const qint64 id = f.waybill(QDate(2024, 12, 1), QStringLiteral("12/А"), 31);
        int rows = -1;
        host.expectDialog([&](QDialog *preview) {
            rows = f.dm->OrvetSost().recordCount();
            return int(preview->windowTitle().size());
        });
        f.dm->execute(QStringLiteral("Orvet_Print"));
        QVERIFY2(host.errors.isEmpty(), qPrintable(host.errors.join('\n')));
        QCOMPARE(host.dialogTitles, QStringList{"Путевой лист № 12/А - Предварительный просмотр"});
        QCOMPARE(rows, 31);
        QCOMPARE(f.dm->OrvetSost().filter(), QStringLiteral("IDJOIN=%1").arg(id)); // stays in force
        QVERIFY(f.dm->OrvetSost().filtered());
    }

    void waybillWithoutDaysPrints() {
        Fixture f;
        ScriptedDialogHost host;
        f.waybill(QDate(2024, 12, 1), QStringLiteral("1"), 0);
        host.expectDialog([](QDialog *) { return 0; });
        f.dm->execute(QStringLiteral("Orvet_Print"));
        QVERIFY2(host.errors.isEmpty(), qPrintable(host.errors.join('\n')));
        QCOMPARE(host.dialogTitles.size(), 1);
    }

    void templateIsReadAtEveryPrint() {
        Fixture f;
        ScriptedDialogHost host;
        f.waybill(QDate(2024, 12, 1), QStringLiteral("5"), 3);
        host.expectDialog([](QDialog *) { return 0; });
        f.dm->execute(QStringLiteral("Orvet_Print"));
        QCOMPARE(host.dialogTitles.size(), 1);
        QVERIFY(QFile::remove(f.dir.file(PrintCommand::TemplateFile)));
        f.dm->OrvetSost().setFiltered(false);
        f.dm->execute(QStringLiteral("Orvet_Print"));
        QCOMPARE(host.dialogTitles.size(), 1); // no second preview
        QCOMPARE(host.errors, QStringList{"Cannot open file Orvet_Main.frf."});
        QVERIFY(f.dm->OrvetSost().filtered()); // the filter was set before the load failed
    }

    void unknownNameStopsWithTheTemplateLine() {
        Fixture f;
        ScriptedDialogHost host;
        f.waybill(QDate(2024, 12, 1), QStringLiteral("5"), 3);
        QFile bundled(QStringLiteral(":/Orvet_Main.frf"));
        QVERIFY(bundled.open(QIODevice::ReadOnly));
        QByteArray text = bundled.readAll();
        QVERIFY(text.contains("[Org]"));
        const int line = int(text.left(text.indexOf("[Org]")).count('\n')) + 1;
        text.replace("[Org]", "[ORG]"); // another letter case: nobody answers it
        f.writeTemplate(text);
        f.dm->execute(QStringLiteral("Orvet_Print"));
        QVERIFY(host.dialogTitles.isEmpty());
        QCOMPARE(host.errors.size(), 1);
        QVERIFY2(host.errors[0].contains(QString::number(line)), qPrintable(host.errors[0]));
        QVERIFY(host.errors[0].contains(QStringLiteral("ORG")));
    }

    void existingTemplateIsNeverOverwritten() {
        TestDir dir;
        QFile f(dir.file(PrintCommand::TemplateFile));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("mine");
        f.close();
        PrintCommand::installDefaultTemplate(dir.path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("mine"));
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
