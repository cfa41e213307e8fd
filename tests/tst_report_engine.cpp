#include "core/OrvetError.h"
#include "report/ListDataSource.h"
#include "report/ReportEngine.h"
#include "report/ReportFormatter.h"
#include "report/ReportTemplateParser.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray tmpl(const QByteArray &body) {
    return "orvet-report 1\n" + body;
}

// Every text of a prepared report, page by page, in placement order.
QStringList texts(const PreparedReport &report, int page = -1) {
    QStringList out;
    for (int p = 0; p < report.pageCount(); ++p) {
        if (page >= 0 && p != page)
            continue;
        for (const ReportItem &item : report.pages().at(p).items) {
            if (item.kind == ReportItem::Kind::Text)
                out.append(item.text);
        }
    }
    return out;
}

QString errorOf(const std::function<void()> &f) {
    try {
        f();
    } catch (const OrvetError &e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}
} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT

private:
    ListDataSource m_frd1{QStringLiteral("FRD1"), {QStringLiteral("ID"), QStringLiteral("NUMBL")}};
    ListDataSource m_frd2{QStringLiteral("FRD2"), {QStringLiteral("CHISLO"), QStringLiteral("PROB")}};

    ReportEngine engine(const QByteArray &body) {
        ReportEngine e;
        e.loadFromData(tmpl(body));
        e.registerDataSource(&m_frd1);
        e.registerDataSource(&m_frd2);
        return e;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void init() {
        m_frd1.setRows({{1, QStringLiteral("07")}, {2, QStringLiteral("08")}});
        m_frd1.setPosition(1); // the selected waybill is the second row
        m_frd2.setRows(
            {{QStringLiteral("01"), 12.5}, {QStringLiteral("02"), 0.0}, {QStringLiteral("03"), 30.25}});
    }

    void handlerIsAskedFirstForEveryName() {
        ReportEngine e = engine("band title height=10\n"
                                "text x=0 y=0 w=50 h=5 | [Org] [FRD1.NUMBL] [PAGE#] [SUM(FRD2.PROB)]\n"
                                "band data source=FRD2 height=5\n"
                                "text x=0 y=0 w=50 h=5 | [frd2.chislo]\n");
        QStringList asked;
        e.setVariableHandler([&](const QString &name, QVariant &value) {
            QVERIFY(!value.isValid());
            asked.append(name);
            if (name == QLatin1String("Org"))
                value = QStringLiteral("ООО «Ромашка»");
            if (name == QLatin1String("FRD1.NUMBL"))
                value = QStringLiteral("от программы");
        });
        const PreparedReport report = e.prepare();
        QCOMPARE(asked, QStringList({"Org", "FRD1.NUMBL", "PAGE#", "SUM(FRD2.PROB)", "frd2.chislo",
                                     "frd2.chislo", "frd2.chislo"}));
        // The handler's answer wins over the field; the rest the engine finds itself.
        QCOMPARE(texts(report), QStringList({"ООО «Ромашка» от программы 1 42,75", "01", "02", "03"}));
    }

    void engineResolvesWhatTheHandlerLeaves() {
        ReportEngine e = engine("var Total | всего [COUNT(FRD2)] дн.\n"
                                "band title height=10\n"
                                "text x=0 y=0 w=50 h=5 | [FRD1.NUMBL]|[Total]|[SUM(FRD2.PROB):0.00]\n"
                                "band data source=FRD2 height=5\n"
                                "text x=0 y=0 w=50 h=5 | [LINE#]:[FRD2.PROB:#0.##]\n");
        e.setVariableHandler([](const QString &, QVariant &) {});
        QCOMPARE(texts(e.prepare()), QStringList({"08|всего 3 дн.|42,75", "1:12,5", "2:0", "3:30,25"}));
        // Walking FRD2 for its totals must not move FRD1, the caller's current row.
        QCOMPARE(m_frd1.value(QStringLiteral("ID")).toInt(), 2);
    }

    void unknownNameFailsWithItsLine() {
        ReportEngine e = engine("band title height=10\n"
                                "text x=0 y=0 w=50 h=5 | [Org]\n"
                                "\n"
                                "text x=0 y=5 w=50 h=5 | [ORG]\n");
        // Names are the program's business: only the exact "Org" is answered.
        e.setVariableHandler([](const QString &name, QVariant &value) {
            if (name == QLatin1String("Org"))
                value = QStringLiteral("x");
        });
        QCOMPARE(errorOf([&] { e.prepare(); }),
                 QStringLiteral("Ошибка в шаблоне, строка 5: неизвестное имя \"ORG\""));
    }

    void unknownFieldAndSourceFail() {
        QVERIFY(errorOf([&] {
                    engine("band title height=5\ntext x=0 y=0 w=5 h=5 | [FRD2.NOPE]\n").prepare();
                }).contains(QStringLiteral("строка 3: у источника \"FRD2\" нет поля \"NOPE\"")));
        QVERIFY(errorOf([&] {
                    engine("band data source=FRD9 height=5\n").prepare();
                }).contains(QStringLiteral("строка 2: неизвестный источник данных \"FRD9\"")));
        // A total over a source no band walks would have to move its cursor.
        QVERIFY(errorOf([&] {
                    engine("band title height=5\ntext x=0 y=0 w=5 h=5 | [SUM(FRD1.ID)]\n").prepare();
                }).contains(QStringLiteral("строка 3")));
    }

    void handlerErrorStopsPreparation() {
        ReportEngine e = engine("band data source=FRD2 height=5\n"
                                "text x=0 y=0 w=50 h=5 | [FRD2.CHISLO]\n"
                                "text x=0 y=0 w=50 h=5 | [LitrNa100]\n");
        int calls = 0;
        e.setVariableHandler([&](const QString &name, QVariant &) {
            if (name == QLatin1String("LitrNa100")) {
                ++calls;
                throw OrvetError(QStringLiteral("\"abc\" is not a valid floating point value"));
            }
        });
        QCOMPARE(errorOf([&] { e.prepare(); }),
                 QStringLiteral("Ошибка в шаблоне, строка 4: не удалось вычислить \"LitrNa100\": "
                                "\"abc\" is not a valid floating point value"));
        QCOMPARE(calls, 1);
    }

    void emptySourcePrintsEmptyBand() {
        m_frd2.setRows({});
        ReportEngine e =
            engine("band columnheader height=5\n"
                   "text x=0 y=0 w=50 h=5 | Число\n"
                   "band data source=FRD2 height=5\n"
                   "text x=0 y=0 w=50 h=5 | [FRD2.CHISLO]\n"
                   "band summary height=5\n"
                   "text x=0 y=0 w=50 h=5 | [SUM(FRD2.PROB):0.00] / [COUNT(FRD2)] / [FRD2.CHISLO]\n");
        const PreparedReport report = e.prepare();
        QCOMPARE(report.pageCount(), 1);
        QCOMPARE(texts(report), QStringList({"Число", "0,00 / 0 / "}));
    }

    void pagesBreakWithHeadersFootersAndTotals() {
        QList<ListDataSource::Row> rows;
        for (int i = 1; i <= 100; ++i)
            rows.append({QString::number(i), 1.0});
        m_frd2.setRows(rows);
        // 297 - 20 margins - 10 header - 10 footer = 257 mm: one 10 mm column
        // header and 49 rows of 5 mm per page.
        ReportEngine e = engine("page margins=10\n"
                                "band pageheader height=10\n"
                                "text x=0 y=0 w=50 h=5 | Шапка\n"
                                "band columnheader height=10\n"
                                "text x=0 y=0 w=50 h=5 | Колонки\n"
                                "band data source=FRD2 height=5\n"
                                "text x=0 y=0 w=50 h=5 | [FRD2.CHISLO]\n"
                                "band pagefooter height=10\n"
                                "text x=0 y=0 w=50 h=5 | Стр. [PAGE#] из [TOTALPAGES]\n");
        const PreparedReport report = e.prepare();
        QCOMPARE(report.pageCount(), 3);
        QStringList all;
        for (int p = 0; p < 3; ++p) {
            const QStringList page = texts(report, p);
            QCOMPARE(page.first(), QStringLiteral("Шапка"));
            QCOMPARE(page.at(1), QStringLiteral("Колонки"));
            QCOMPARE(page.last(), QStringLiteral("Стр. %1 из 3").arg(p + 1));
            all += page.mid(2, page.size() - 3);
            const ReportItem &footer = report.pages().at(p).items.last();
            QCOMPARE(footer.rect.top(), 277.0);
            for (const ReportItem &item : report.pages().at(p).items)
                QVERIFY(item.rect.bottom() <= 287.0);
        }
        QCOMPARE(texts(report, 0).size(), 2 + 49 + 1);
        QCOMPARE(all.size(), 100);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(all.at(i), QString::number(i + 1));
    }

    void bandTallerThanPageStillEnds() {
        ReportEngine e = engine("band title height=900\n"
                                "text x=0 y=0 w=50 h=5 | T\n"
                                "band data source=FRD2 height=600\n"
                                "text x=0 y=0 w=50 h=5 | [FRD2.CHISLO]\n");
        QCOMPARE(e.prepare().pageCount(), 4);
    }

    void selfReferringVariableFails() {
        ReportEngine e =
            engine("var A | [B]\nvar B | x[A]\nband title height=5\ntext x=0 y=0 w=5 h=5 | [A]\n");
        QVERIFY(errorOf([&] { e.prepare(); }).contains(QStringLiteral("ссылается сама на себя")));
    }

    // A template that grows without end is refused, with its line, well
    // before memory runs out; each bound is far above a real waybill (one
    // page, some 300 texts and lines).
    void growingTemplatesAreRefused_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("error");
        // Ten variables, each the next one nine times over: 9^10 copies.
        const auto nested = [](const QByteArray &last) {
            QByteArray body;
            for (int i = 0; i < 10; ++i)
                body += "var V" + QByteArray::number(i) + " | " +
                        QByteArray("[V" + QByteArray::number(i + 1) + "]").repeated(9) + "\n";
            return body + "var V10 | " + last + "\nband title height=5\ntext x=0 y=0 w=5 h=5 | [V0]\n";
        };
        QTest::newRow("text") << nested("x") << 0 << "строка 7: текст длиннее 10000 знаков";
        QTest::newRow("names filled in") << nested("") << 0
                                         << "строка 11: в отчёте больше 1000000 подстановок";
        QTest::newRow("pages") << QByteArray("band data source=FRD2 height=600\ntext x=0 y=0 w=5 h=5 | x\n")
                               << 1001 << "строка 2: в отчёте больше 1000 страниц";
        QByteArray texts = "band data source=FRD2 height=0\n";
        for (int i = 0; i < 100; ++i)
            texts += "text x=0 y=0 w=5 h=5 | [FRD2.CHISLO]\n";
        QTest::newRow("texts") << texts << 1001 << "строка 3: в отчёте больше 100000 элементов";
        // The 889th text of 9000 characters is one too many: the 89th of the band.
        QTest::newRow("all text") << "var A | " + QByteArray(9000, 'x') + "\n" + texts << 1000
                                  << "строка 92: в текстах отчёта больше 8000000 знаков";
    }
    void growingTemplatesAreRefused() {
        QFETCH(QByteArray, body);
        QFETCH(int, days);
        QFETCH(QString, error);
        QList<QVariantList> rows;
        for (int day = 0; day < days; ++day)
            rows.append({QStringLiteral("%1").arg(day), 0.0});
        m_frd2.setRows(rows);
        ReportEngine e = engine(body.replace("[FRD2.CHISLO]", body.startsWith("var") ? "[A]" : "[FRD2.CHISLO]"));
        QCOMPARE(errorOf([&] { e.prepare(); }), QStringLiteral("Ошибка в шаблоне, ") + error);
    }

    // A value too long by itself is the data's fault: the field is named,
    // not the template's line.
    void tooLongValueNamesItsField_data() {
        QTest::addColumn<QString>("title"); // of FRD2
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        const QString tail = QStringLiteral(": текст длиннее 10000 знаков (в нём 12000). Шаблон тут ни при чём: "
                                            "сократите этот текст в данных");
        QTest::newRow("a day's field") << "путевого листа" << QByteArray("[frd2.chislo]")
                                       << "Поле CHISLO путевого листа" + tail;
        QTest::newRow("a source without a title") << "" << QByteArray("Цель: [FRD2.CHISLO]")
                                                  << "Поле FRD2.CHISLO" + tail;
        QTest::newRow("a value the program gives") << "" << QByteArray("[Org]") << "Поле Org" + tail;
    }
    void tooLongValueNamesItsField() {
        QFETCH(QString, title);
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        m_frd2.setRows({{QString(12000, u'ц'), 0.0}});
        m_frd2.setTitle(title);
        ReportEngine e = engine("band data source=FRD2 height=5\ntext x=0 y=0 w=50 h=5 | " + text + "\n");
        e.setVariableHandler([](const QString &name, QVariant &value) {
            if (name == QLatin1String("Org"))
                value = QString(12000, u'о');
        });
        QCOMPARE(errorOf([&] { e.prepare(); }), error);
        m_frd2.setTitle(QString());
    }

    void numberFormats_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("optional decimals") << 12.5 << "#0.##"
                                           << "12,5";
        QTest::newRow("rounded") << 2.3456 << "0.00"
                                 << "2,35";
        QTest::newRow("whole") << 45210.0 << "0.##"
                               << "45210";
        QTest::newRow("zero") << 0.0 << "0.00"
                              << "0,00";
        QTest::newRow("all optional zero") << 0.0 << "#.##"
                                           << "";
        QTest::newRow("grouping") << 1234567.891 << "#,##0.00"
                                  << "1\u00A0234\u00A0567,89";
        QTest::newRow("padding") << 7.0 << "000"
                                 << "007";
        QTest::newRow("negative") << -3.14159 << "0.0"
                                  << "-3,1";
        QTest::newRow("negative rounds to zero") << -0.001 << "0.00"
                                                 << "0,00";
        QTest::newRow("literals") << 5634.5 << "Итого: 0.00 руб."
                                  << "Итого: 5634,50 руб.";
        QTest::newRow("zero section blank") << 0.0 << "0.00;-0.00;" << "";
        QTest::newRow("zero section text") << 0.0 << "0.00;-0.00;нет" << "нет";
        QTest::newRow("positive section") << 0.5 << "0.00;-0.00;" << "0,50";
        QTest::newRow("negative section") << -2.5 << "0.0;(0.0);" << "(2,5)";
    }

    void numberFormats() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(ReportFormatter::formatNumber(value, pattern), expected);
    }

    void defaultValueTexts() {
        QCOMPARE(ReportFormatter::format(9.57), QStringLiteral("9,57"));
        QCOMPARE(ReportFormatter::format(123456.0), QStringLiteral("123456"));
        QCOMPARE(ReportFormatter::format(QDate(2005, 12, 31)), QStringLiteral("31.12.2005"));
        QCOMPARE(ReportFormatter::format(QDate(2005, 12, 31), QStringLiteral("d MMMM yyyy")),
                 QStringLiteral("31 декабря 2005"));
        QCOMPARE(ReportFormatter::format(QStringLiteral("12.5"), QStringLiteral("0.00")),
                 QStringLiteral("12,50"));
        QCOMPARE(ReportFormatter::format(QStringLiteral("текст"), QStringLiteral("0.00")),
                 QStringLiteral("текст"));
        QCOMPARE(ReportFormatter::format(QVariant()), QString());
    }

    void missingTemplateNamesTheFileAsPassed() {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        ReportEngine e;
        QCOMPARE(errorOf([&] { e.loadFromFile(QStringLiteral("Orvet_Main.frf")); }),
                 QStringLiteral("Cannot open file Orvet_Main.frf"));
        QCOMPARE(errorOf([&] { e.loadFromFile(dir.path()); }),
                 QStringLiteral("Cannot open file ") + dir.path());
        // A bare name is found in the working directory.
        QFile file(dir.filePath(QStringLiteral("Orvet_Main.frf")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(tmpl("band title height=5\ntext x=0 y=0 w=5 h=5 | Привет\n"));
        file.close();
        e.loadFromFile(QStringLiteral("Orvet_Main.frf"));
        QCOMPARE(texts(e.prepare()), QStringList({"Привет"}));
        // Removing it between two prints fails the second; the old template is not used.
        QVERIFY(file.remove());
        QCOMPARE(errorOf([&] { e.loadFromFile(QStringLiteral("Orvet_Main.frf")); }),
                 QStringLiteral("Cannot open file Orvet_Main.frf"));
        QVERIFY(!e.hasTemplate());
        QVERIFY(errorOf([&] { e.prepare(); }).contains(QStringLiteral("не загружен")));
        QDir::setCurrent(previous);
    }

    void brokenTemplatesNameTheLine_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QByteArray() << "строка 1: файл не является шаблоном";
        QTest::newRow("other format")
            << QByteArray("\x00\x01TPF0", 6) << "строка 1: файл не является шаблоном";
        QTest::newRow("version") << QByteArray("orvet-report 2\n") << "строка 1: неподдерживаемая версия";
        QTest::newRow("command") << tmpl("band title height=5\n\nfoo x=1\n")
                                 << "строка 4: неизвестная команда \"foo\"";
        QTest::newRow("number") << tmpl("band title height=5\ntext x=1 y=abc w=1 h=1\n")
                                << "строка 3: y: \"abc\"";
        QTest::newRow("range") << tmpl("band title height=5\ntext x=1 y=1 w=1 h=1 size=0\n")
                               << "строка 3: size";
        QTest::newRow("missing size")
            << tmpl("band title height=5\ntext x=1 y=1 w=1\n") << "строка 3: у \"text\"";
        QTest::newRow("bracket") << tmpl("band title height=5\ntext x=0 y=0 w=1 h=1 | [Org\n")
                                 << "строка 3: нет закрывающей";
        QTest::newRow("empty expr") << tmpl("band title height=5\ntext x=0 y=0 w=1 h=1 | []\n")
                                    << "строка 3: пустое";
        QTest::newRow("outside band")
            << tmpl("text x=0 y=0 w=1 h=1\n") << "строка 2: \"text\" стоит вне полосы";
        QTest::newRow("header alone") << tmpl("band columnheader height=5\nband summary height=5\n")
                                      << "строка 3: за заголовком колонок";
        QTest::newRow("two titles") << tmpl("band title height=5\nband title height=5\n")
                                    << "строка 3: полоса";
        QTest::newRow("data without source") << tmpl("band data height=5\n") << "строка 2: у полосы данных";
        QTest::newRow("utf8") << tmpl("band title height=5\n# ok\ntext x=0 y=0 w=1 h=1 | \xff\xfe\n")
                              << "строка 4: недопустимые символы";
        QTest::newRow("no bands") << tmpl("# nothing\n") << "в шаблоне нет ни одной полосы";
        QTest::newRow("landscape") << tmpl("page orientation=landscape\n")
                                   << "строка 2: поддерживается только книжная";
    }

    void brokenTemplatesNameTheLine() {
        QFETCH(QByteArray, data);
        QFETCH(QString, expected);
        const QString error = errorOf([&] { ReportTemplateParser::parse(data); });
        QVERIFY2(error.startsWith(QStringLiteral("Ошибка в шаблоне")), qPrintable(error));
        QVERIFY2(error.contains(expected), qPrintable(error));
    }

    // The parser meets files from anywhere: mangled templates must end in a
    // template or a clean error, and a parsed one must prepare in bounded time.
    void mangledTemplatesNeverCrash() {
        QFile file(QStringLiteral(":/Orvet_Main.frf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray original = file.readAll();
        QRandomGenerator random(20241231);
        const QByteArray alphabet("[]|=.,:#()\n 0123456789-abcxyz\xd0\xff");
        int parsed = 0;
        for (int round = 0; round < 400; ++round) {
            QByteArray data = original;
            const int edits = 1 + int(random.bounded(8));
            for (int k = 0; k < edits && !data.isEmpty(); ++k) {
                const int at = int(random.bounded(int(data.size())));
                switch (random.bounded(3)) {
                case 0:
                    data[at] = alphabet.at(int(random.bounded(int(alphabet.size()))));
                    break;
                case 1:
                    data.remove(at, 1 + int(random.bounded(40)));
                    break;
                default:
                    data.insert(at, data.mid(int(random.bounded(int(data.size()))), 30));
                }
            }
            ReportEngine e;
            try {
                e.loadFromData(data);
            } catch (const OrvetError &) {
                continue;
            }
            ++parsed;
            e.registerDataSource(&m_frd1);
            e.registerDataSource(&m_frd2);
            e.setVariableHandler([](const QString &, QVariant &value) { value = QStringLiteral("v"); });
            try {
                QVERIFY(e.prepare().pageCount() < 100);
            } catch (const OrvetError &) {
            }
        }
        QVERIFY(parsed > 0);
    }
};

QTEST_GUILESS_MAIN(TestReportEngine)
#include "tst_report_engine.moc"
