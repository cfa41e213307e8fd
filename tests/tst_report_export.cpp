#include "ExternalReader.h"
#include "SampleWaybill.h"
#include "core/OrvetError.h"
#include "forms/TOptions_F.h"
#include "report/ListDataSource.h"
#include "report/ReportEngine.h"
#include "report/ReportExporter.h"
#include "report/ReportRenderer.h"
#include "settings/WaybillDetails.h"

#include <QDate>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {
// The sample with what the tests change on it.
struct TestWaybill : SampleWaybill {
    // Every text field of the settings filled up to its limit, in capitals:
    // the widest text a clerk can get onto the form.
    void useLongestSettings() {
        const QList<QPair<QString, int>> fields = {{"Org", 0},           {"OrgAdress", 1}, {"MarkAuto", 2},
                                                   {"GosNumberAuto", 3}, {"Voditel", 4},   {"Utverjdau", 5},
                                                   {"Buhgalter", 9},     {"Proveril", 10}};
        const QString words = QStringLiteral("МЕЖРАЙОННОЕ ОБЪЕДИНЕНИЕ «ЖИЛИЩНО-КОММУНАЛЬНОЕ ХОЗЯЙСТВО» ");
        const QString details[] = {"OGRN",          "OrgTelefon",  "TipAuto", "ModelAuto",   "VodUdost",
                                   "VodKategoriya", "Medrabotnik", "Mehanik", "VidPerevozki",
                                   "VodUdostSeriya", "VodUdostData", "VidSoobsheniya"};
        const auto longest = [&words](int length) {
            QString text;
            while (text.size() < length)
                text += words;
            return text.left(length).trimmed();
        };
        for (const auto &[name, index] : fields)
            values[name] = longest(TOptions_F::maxLength(index));
        for (int i = 0; i < WaybillDetails::Count; ++i)
            values[details[i]] = i == WaybillDetails::OGRN ? QString(15, QLatin1Char('8'))
                                                           : longest(TOptions_F::detailMaxLength(i));
    }

    // By default the template of the first version: a user's copy of it
    // keeps printing exactly as the reviewed files show.
    PreparedReport prepare(const QString &templateFile = QFINDTESTDATA("data/report/waybill-before.frf")) {
        ReportEngine engine;
        bind(engine, templateFile);
        return engine.prepare();
    }
};

QByteArray expected(const QString &name) {
    QFile file(QFINDTESTDATA(QStringLiteral("data/report/") + name));
    if (!file.open(QIODevice::ReadOnly))
        qWarning("missing expected file %s", qPrintable(name));
    return file.readAll();
}

// The report written into a file of that name in a folder that lives as
// long as the test run.
QString exported(const PreparedReport &report, const QString &name) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    ReportExporter::exportFile(report, path, ReportExporter::formatForFileName(path));
    return path;
}

QList<QStringList> readCsv(const QString &path, char separator) {
    const QJsonObject csv =
        ExternalReader::python(QStringLiteral("csv"), path, {QString(QLatin1Char(separator))});
    if (!csv.value(QStringLiteral("bom")).toBool())
        QTest::qFail("no byte order mark: a spreadsheet would not know the text is UTF-8", __FILE__,
                     __LINE__);
    QList<QStringList> rows;
    for (const QJsonValue &row : csv.value(QStringLiteral("rows")).toArray())
        rows.append(row.toVariant().toStringList());
    return rows;
}

PreparedReport oneText(const QString &text) {
    PreparedReport report;
    report.setTitle(text);
    ReportItem item;
    item.rect = QRectF(10, 10, 100, 5);
    item.text = text;
    item.band = 0;
    report.pages().append(ReportPage{{item}});
    return report;
}
} // namespace

class TestReportExport : public QObject {
    Q_OBJECT

private:
    PreparedReport m_report;

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        TestWaybill sample;
        m_report = sample.prepare();
    }

    void defaultTemplateFitsOnePageWithEveryDay() {
        const PreparedReport report = TestWaybill().prepare(QStringLiteral(":/Orvet_Main.frf"));
        QCOMPARE(report.pageCount(), 1);
        QStringList days;
        for (const ReportItem &item : report.pages().first().items) {
            // The day column: 8 mm wide at the left margin, 4.6 mm rows.
            if (item.kind == ReportItem::Kind::Text &&
                item.rect == QRectF(item.rect.x(), item.rect.y(), 8, 4.6) && item.rect.x() == 12.0)
                days.append(item.text);
            QVERIFY(item.rect.bottom() <= 297.0 - 8.0 + 1e-9);
            QVERIFY(item.rect.right() <= 210.0 - 8.0 + 1e-9);
        }
        QCOMPARE(days.size(), 31);
        for (int d = 1; d <= 31; ++d)
            QCOMPARE(days.at(d - 1), QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0')));
    }

    // The expected files were reviewed by eye: every day row, ru_RU commas.
    void exportsMatchReviewedFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("txt") << "waybill.txt";
        QTest::newRow("htm") << "waybill.htm";
        QTest::newRow("rtf") << "waybill.rtf";
    }

    void exportsMatchReviewedFiles() {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        ReportExporter::exportFile(m_report, path, ReportExporter::formatForFileName(path));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray actual = written.readAll();
        // ORVET_WRITE_EXPECTED=<folder> writes the files anew for a review.
        if (qEnvironmentVariableIsSet("ORVET_WRITE_EXPECTED")) {
            QFile out(QString::fromLocal8Bit(qgetenv("ORVET_WRITE_EXPECTED")) + QLatin1Char('/') + file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(actual);
        }
        QCOMPARE(QString::fromUtf8(actual), QString::fromUtf8(expected(file)));
    }

    // Read back by Python's csv as a spreadsheet would: one header row over
    // the eight day columns, every row as wide, totals under their columns.
    void csvIsTheDayTable() {
        const QList<QStringList> rows = readCsv(exported(m_report, QStringLiteral("w.csv")), ';');
        QCOMPARE(rows, readCsv(QFINDTESTDATA("data/report/waybill.csv"), ';'));
        for (const QStringList &row : rows)
            QCOMPARE(row.size(), 8);
        const qsizetype header =
            std::find_if(rows.cbegin(), rows.cend(),
                         [](const QStringList &r) { return r.first() == QStringLiteral("Число"); }) -
            rows.cbegin();
        QCOMPARE(rows.value(header), QStringList({"Число", "Маршрут (цель поездки)", "Время выезда",
                                                  "Время возвращения", "Показания спидометра, км: при выезде",
                                                  "Показания спидометра, км: при возвращении", "Пробег, км",
                                                  "Расход топлива, л"}));
        QCOMPARE(rows.value(header + 4), QStringList({"04", "Банк, отделение № 8603", "09:00", "18:00",
                                                      "45270,5", "45297,8", "27,3", "2,61"}));
        QCOMPARE(rows.value(header + 7), QStringList({"07", "", "", "", "45375,3", "45375,3", "", ""}));
        QCOMPARE(rows.value(header + 32),
                 QStringList({"Итого за месяц:", "", "", "", "", "", "674,5", "64,54"}));
        QVERIFY(
            rows.contains(QStringList({"Организация:", "ООО «Ромашка»", "", "", "", "УТВЕРЖДАЮ", "", ""})));
    }

    // Read back by openpyxl: the day rows a table under the column header,
    // numbers as numbers in the template's formats, the totals under the
    // distance and fuel columns as sums of the days.
    void xlsxIsTheDayTable() {
        const QJsonObject book =
            ExternalReader::python(QStringLiteral("xlsx"), exported(m_report, QStringLiteral("w.xlsx")));
        QCOMPARE(book.value(QStringLiteral("sheets")).toArray().first().toString(),
                 QStringLiteral("Путевой лист № 12"));
        const QJsonObject cells = book.value(QStringLiteral("cells")).toObject();
        const int header = book.value(QStringLiteral("at"))
                               .toObject()
                               .value(QStringLiteral("Число"))
                               .toString()
                               .mid(1)
                               .toInt();
        QVERIFY(header > 0);
        const auto cell = [&cells](char column, int row) {
            return cells.value(QStringLiteral("%1%2").arg(QLatin1Char(column)).arg(row)).toObject();
        };
        const auto is = [&](char column, int row, const char *kind, const QVariant &value,
                            const char *format) {
            const QJsonObject c = cell(column, row);
            QCOMPARE(c.value(QStringLiteral("kind")).toString(), QString::fromLatin1(kind));
            QCOMPARE(c.value(QStringLiteral("value")).toVariant(), value);
            QCOMPARE(c.value(QStringLiteral("format")).toString(), QString::fromLatin1(format));
        };
        is('A', header + 4, "text", QStringLiteral("04"), "General");  // a day's number keeps its zero
        is('A', header + 10, "text", QStringLiteral("10"), "General"); // and the column is of one type
        is('B', header + 4, "text", QStringLiteral("Банк, отделение № 8603"), "General");
        is('E', header + 4, "number", 45270.5, "General;-General;");
        is('G', header + 4, "number", 27.3, "General;-General;");
        is('H', header + 4, "number", 2.61, "0.00;-0.00;");
        is('G', header + 7, "number", 0, "General;-General;"); // a day off: zero, shown empty
        is('G', header + 32, "formula", QStringLiteral("=SUM(G%1:G%2)").arg(header + 1).arg(header + 31),
           "General");
        is('H', header + 32, "formula", QStringLiteral("=SUM(H%1:H%2)").arg(header + 1).arg(header + 31),
           "0.00");
        QCOMPARE(cell('G', header + 32).value(QStringLiteral("cached")).toDouble(), 674.5);
        QCOMPARE(cell('H', header + 32).value(QStringLiteral("cached")).toDouble(), 64.54);
        QVERIFY(cell('H', header + 32).value(QStringLiteral("bold")).toBool());
        const QJsonObject tables = book.value(QStringLiteral("tables")).toObject();
        QCOMPARE(tables.size(), 1);
        QCOMPARE(tables.begin().value().toString(), QStringLiteral("A%1:H%2").arg(header).arg(header + 31));
        // The header details above: the starting reading a number, the car a text.
        bool reading = false, car = false;
        for (const QJsonValue &v : cells) {
            const QJsonObject c = v.toObject();
            reading = reading || (c.value(QStringLiteral("kind")) == QStringLiteral("number") &&
                                  c.value(QStringLiteral("value")).toDouble() == 45210 && header > 0);
            car = car || c.value(QStringLiteral("value")) == QStringLiteral("ВАЗ-21074");
        }
        QVERIFY(reading && car);
        // An identifier (the default form's OGRN) is text, or a spreadsheet shows 1,0269E+12.
        const QJsonObject form = ExternalReader::python(
            QStringLiteral("xlsx"),
            exported(TestWaybill().prepare(QStringLiteral(":/Orvet_Main.frf")), QStringLiteral("form.xlsx")));
        QVERIFY(form.value(QStringLiteral("at")).toObject().contains(QStringLiteral("1026900512345")));
        // It prints as the PDF does: A4 portrait, one page wide; the day
        // column as narrow as on the form, not as wide as the title above it.
        const QJsonObject page = book.value(QStringLiteral("page")).toObject();
        QCOMPARE(page.value(QStringLiteral("paper")).toString(), QStringLiteral("9"));
        QCOMPARE(page.value(QStringLiteral("orientation")).toString(), QStringLiteral("portrait"));
        QVERIFY(page.value(QStringLiteral("fitToPage")).toBool());
        QCOMPARE(page.value(QStringLiteral("fitWidth")).toInt(), 1);
        QCOMPARE(page.value(QStringLiteral("fitHeight")).toInt(), 0);
        QVERIFY2(book.value(QStringLiteral("widths")).toObject().value(QStringLiteral("A")).toDouble() < 10,
                 "column A is as wide as a title");
    }

    // The workbook as LibreOffice Calc shows it, in the session's locale:
    // every figure of the day table and its totals as the PDF prints it.
    void xlsxReadsInCalcAsPrinted() {
        const QString pdf = exported(m_report, QStringLiteral("calc.pdf"));
        const QString printed =
            QString::fromUtf8(ExternalReader::run(QStringLiteral("pdftotext"), {pdf, "-"}));
        const QJsonArray calcRows =
            ExternalReader::python(QStringLiteral("calc"), exported(m_report, QStringLiteral("calc.xlsx")))
                .value(QStringLiteral("rows"))
                .toArray();
        QVERIFY(!calcRows.isEmpty());
        static const QRegularExpression figure(QStringLiteral("^-?\\d[\\d\\x{00A0} ]*(,\\d+)?$"));
        int days = 0, figures = 0;
        bool total = false;
        for (const QJsonValue &v : calcRows) {
            const QStringList row = v.toVariant().toStringList();
            const bool day = QRegularExpression(QStringLiteral("^\\d\\d$")).match(row.value(0)).hasMatch();
            const bool sum = row.value(0) == QStringLiteral("Итого за месяц:");
            if (!day && !sum)
                continue;
            days += day ? 1 : 0;
            total = total || (sum && row.value(6) == QStringLiteral("674,5") &&
                              row.value(7) == QStringLiteral("64,54"));
            for (int c = 4; c < row.size(); ++c) {
                if (!figure.match(row.at(c)).hasMatch())
                    continue;
                ++figures;
                QVERIFY2(printed.contains(row.at(c)), qPrintable(row.join(QLatin1Char('|'))));
            }
        }
        QCOMPARE(days, 31);
        QVERIFY(figures > 60);
        QVERIFY2(total, "the totals row reads otherwise in Calc");
    }

    // Dates of a data source are dates; a template's own format reads the
    // same in the spreadsheet; a saved and reopened report keeps them.
    void xlsxDatesAndFormats() {
        ListDataSource rows(QStringLiteral("L"), {QStringLiteral("D"), QStringLiteral("N")});
        rows.appendRow({QDate(2025, 1, 31), 1234.5});
        rows.appendRow({QDate(2025, 2, 28), 10.0});
        ReportEngine engine;
        engine.loadFromData("orvet-report 1\nband data source=L height=5\n"
                            "text x=0 y=0 w=30 h=5 | [L.D]\ntext x=30 y=0 w=40 h=5 | [L.N:#,##0.00 руб.]\n"
                            "band summary height=5\ntext x=30 y=0 w=40 h=5 | [SUM(L.N):0.0]\n");
        engine.registerDataSource(&rows);
        QTemporaryDir dir;
        engine.prepare().save(dir.filePath(QStringLiteral("r.frp")));
        const QJsonObject cells =
            ExternalReader::python(QStringLiteral("xlsx"),
                                   exported(PreparedReport::load(dir.filePath(QStringLiteral("r.frp"))),
                                            QStringLiteral("d.xlsx")))
                .value(QStringLiteral("cells"))
                .toObject();
        const auto at = [&cells](const char *ref, const char *key) {
            return cells.value(QLatin1String(ref)).toObject().value(QLatin1String(key)).toVariant();
        };
        QCOMPARE(at("A1", "kind").toString(), QStringLiteral("date"));
        QCOMPARE(at("A1", "value").toString(), QStringLiteral("2025-01-31"));
        QCOMPARE(at("A1", "format").toString(), QStringLiteral("dd.mm.yyyy"));
        QCOMPARE(at("B1", "value").toDouble(), 1234.5);
        QCOMPARE(at("B1", "format").toString(), QStringLiteral("#,##0.00\" руб.\""));
        QCOMPARE(at("B3", "value").toString(), QStringLiteral("=SUM(B1:B2)"));
        QCOMPARE(at("B3", "format").toString(), QStringLiteral("0.0"));
    }

    // Days running onto a second page: the header printed on both is one row.
    void csvHeaderRowOnceOverPages() {
        TestWaybill sample;
        for (int day = 32; day <= 50; ++day)
            sample.frd2.appendRow({day, 1, QString::number(day), {}, {}, {}, 0.0, 0.0, 0.0, 0.0});
        const PreparedReport report = sample.prepare();
        QCOMPARE(report.pageCount(), 2);
        const QList<QStringList> rows = readCsv(exported(report, QStringLiteral("two.csv")), ';');
        qsizetype headers = 0, days = 0;
        for (const QStringList &row : rows) {
            QCOMPARE(row.size(), 8);
            headers += row.first() == QStringLiteral("Число") ? 1 : 0;
            days += QRegularExpression(QStringLiteral("^\\d\\d$")).match(row.first()).hasMatch() ? 1 : 0;
        }
        QCOMPARE(headers, 1);
        QCOMPARE(days, 50);
    }

    // Where numbers have a decimal point the separator is a comma, and a
    // field holding one is quoted; quotes are doubled.
    void csvSeparatorFollowsTheLocale() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TestWaybill sample;
        PreparedReport report = sample.prepare();
        report.pages().first().items.first().text = QStringLiteral("Организация: \"Ромашка\"");
        const QString path = exported(report, QStringLiteral("en.csv"));
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        const QList<QStringList> rows = readCsv(path, ',');
        QVERIFY(rows.contains(QStringList(
            {"04", "Банк, отделение № 8603", "09:00", "18:00", "45270.5", "45297.8", "27.3", "2.61"})));
        QCOMPARE(rows.first().first(), QStringLiteral("Организация: \"Ромашка\""));
    }

    // A text a spreadsheet would evaluate ("=…", "+…", "-…", "@…") is
    // written with an apostrophe in front, which LibreOffice and Excel show
    // as text; numbers, negative ones too, stay numbers.
    void csvFormulasStayText() {
        const QStringList cells = {"=1+2",     "+7 912 000", "-5,5",    "-12",
                                   "@SUM(A1)", "-Склад",     "1 234,5", "Офис"};
        PreparedReport report;
        ReportPage page;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            ReportItem item;
            item.rect = QRectF(10 + 20 * i, 10, 20, 5);
            item.text = cells.at(i);
            page.items.append(item);
        }
        report.pages().append(page);
        const QStringList written = {"'=1+2",     "'+7 912 000", "-5,5",    "-12",
                                     "'@SUM(A1)", "'-Склад",     "1 234,5", "Офис"};
        QCOMPARE(readCsv(exported(report, QStringLiteral("f.csv")), ';'), QList<QStringList>{written});
    }

    // "%1" in a text is only text: the page keeps its size, the title its number.
    void rtfKeepsPercentTexts() {
        PreparedReport report = oneText(QStringLiteral("Поездка %1 %2 %9"));
        report.setTitle(QStringLiteral("№ 7%1"));
        const QByteArray rtf = ReportExporter::toRtf(report);
        QVERIFY(rtf.contains("{\\title \\u8470\\'b9 7%1}"));
        QVERIFY(rtf.contains("\\paperw11906\\paperh16838"));
        const QString text = ExternalReader::python(QStringLiteral("rtf"), exported(report, "p.rtf"))
                                 .value(QStringLiteral("text"))
                                 .toString();
        QVERIFY2(text.contains(QStringLiteral("Поездка %1 %2 %9")), qPrintable(text));
    }

    // unrtf, which gives up on a \uN with a literal fallback, reads every
    // letter; the file stays 7-bit.
    void rtfReadsWholeInOtherReaders() {
        const QByteArray rtf = ReportExporter::toRtf(m_report);
        QVERIFY(rtf.startsWith("{\\rtf1"));
        for (const char c : rtf)
            QVERIFY(uchar(c) < 0x80);
        QVERIFY(rtf.contains("\\u1048\\'c8\\u1090\\'f2\\u1086\\'ee\\u1075\\'e3\\u1086\\'ee")); // "Итого"
        QVERIFY(ReportExporter::toRtf(oneText(QStringLiteral("{x}\\"))).contains("\\{x\\}\\\\"));
        const QString text = ExternalReader::python(QStringLiteral("rtf"), exported(m_report, "w.rtf"))
                                 .value(QStringLiteral("text"))
                                 .toString();
        for (const char *expected : {"А123ВС 69", "ВАЗ-21074", "Банк, отделение № 8603", "Итого за месяц:",
                                     "«____» ________________ 2024 г.", "31 декабря 2024 г."})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    }

    // html5lib's view of the page with the longest settings: every text
    // whole in its element, nothing that hides an overflow, no text below
    // 6 pt, and an A4 portrait sheet for a browser's print.
    void htmlShowsEveryTextWholeOnA4() {
        TestWaybill sample;
        sample.useLongestSettings();
        const PreparedReport report = sample.prepare(QStringLiteral(":/Orvet_Main.frf"));
        const QJsonObject html = ExternalReader::python(QStringLiteral("html"), exported(report, "w.htm"));
        const QString css = html.value(QStringLiteral("css")).toString();
        QVERIFY2(css.contains(QStringLiteral("@page{size:A4 portrait")), qPrintable(css));
        QVERIFY(!css.contains(QStringLiteral("overflow")));
        QHash<QString, QString> styles;
        for (const QJsonValue &t : html.value(QStringLiteral("texts")).toArray())
            styles.insert(t[QStringLiteral("text")].toString(), t[QStringLiteral("style")].toString());
        static const QRegularExpression size(QStringLiteral("font-size:([0-9.]+)pt"));
        for (const ReportItem &item : report.pages().first().items) {
            if (item.kind != ReportItem::Kind::Text || item.text.isEmpty())
                continue;
            QVERIFY2(styles.contains(item.text), qPrintable(item.text));
            const QString style = styles.value(item.text);
            QVERIFY2(size.match(style).captured(1).toDouble() >= 6.0, qPrintable(style));
            QVERIFY(!style.contains(QStringLiteral("overflow:")));
        }
        QVERIFY(styles.value(sample.values.value("Org")).contains(QStringLiteral("white-space:pre-wrap")));
    }

    void htmlEscapesEveryText() {
        const QString html =
            QString::fromUtf8(ReportExporter::toHtml(oneText(QStringLiteral("<b>\"ООО\"</b> & 'x'"))));
        QVERIFY(html.contains(QStringLiteral("&lt;b&gt;&quot;ООО&quot;&lt;/b&gt; &amp; &#39;x&#39;")));
        QVERIFY(!html.contains(QStringLiteral("<b>")));
        // Nothing outside the file is referenced.
        QVERIFY(!html.contains(QStringLiteral("src=")));
        QVERIFY(!html.contains(QStringLiteral("href=")));
        QVERIFY(!html.contains(QStringLiteral("url(")));
    }

    // Read back by pdftotext: every word at least 6 pt and inside the box of
    // the text it belongs to (a word across a box edge is cut on paper),
    // with the longest values the settings dialog takes.
    void pdfTextIsLegibleAndInsideItsBoxes() {
        TestWaybill sample;
        sample.useLongestSettings();
        const PreparedReport report = sample.prepare(QStringLiteral(":/Orvet_Main.frf"));
        QCOMPARE(report.pageCount(), 1);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("w.pdf"));
        ReportExporter::exportFile(report, path, ReportExporter::Format::Pdf);
        const QByteArray xhtml = ExternalReader::run(QStringLiteral("pdftotext"), {"-bbox", path, "-"});
        QXmlStreamReader xml(xhtml);
        const double ptPerMm = 72.0 / 25.4;
        QHash<const ReportItem *, QStringList> found;
        int words = 0;
        while (xml.readNextStartElement() || !xml.atEnd()) {
            if (!xml.isStartElement() || xml.name() != QLatin1String("word"))
                continue;
            const auto a = xml.attributes();
            const QRectF box(QPointF(a.value("xMin").toDouble(), a.value("yMin").toDouble()),
                             QPointF(a.value("xMax").toDouble(), a.value("yMax").toDouble()));
            const QString word = xml.readElementText();
            ++words;
            // DejaVu Sans: a line is 1.164 times the font size.
            QVERIFY2(box.height() / 1.164 >= 5.95, qPrintable(word));
            const ReportItem *owner = nullptr;
            for (const ReportItem &item : report.pages().first().items) {
                const QRectF r(item.rect.topLeft() * ptPerMm, item.rect.size() * ptPerMm);
                if (item.kind == ReportItem::Kind::Text && item.text.contains(word) &&
                    r.adjusted(-0.3, -0.3, 0.3, 0.3).contains(box))
                    owner = &item;
            }
            QVERIFY2(owner, qPrintable(word));
            found[owner].append(word);
        }
        QVERIFY(words > 300);
        // Whole, in order; a line may break after a hyphen.
        for (const ReportItem &item : report.pages().first().items)
            QCOMPARE(found.value(&item).join(QString()), item.text.simplified().remove(' '));
    }

    void pdfIsOneA4Page() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("w.pdf"));
        ReportExporter::exportFile(m_report, path, ReportExporter::Format::Pdf);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 1);
        QVERIFY(pdf.contains("/MediaBox [0 0 595"));
    }

    void exportToUnwritablePlaceFails() {
        QVERIFY_THROWS_EXCEPTION(
            OrvetError, ReportExporter::exportFile(m_report, QStringLiteral("/nonexistent/dir/w.txt"),
                                                   ReportExporter::Format::Text));
        QVERIFY_THROWS_EXCEPTION(
            OrvetError, ReportExporter::exportFile(m_report, QStringLiteral("/nonexistent/dir/w.pdf"),
                                                   ReportExporter::Format::Pdf));
    }

    void ownFormatRoundTrip() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("w.frp"));
        m_report.save(path);
        const PreparedReport loaded = PreparedReport::load(path);
        QCOMPARE(loaded.pageCount(), 1);
        QCOMPARE(loaded.title(), QStringLiteral("Путевой лист № 12"));
        QVERIFY(loaded == m_report);
        QCOMPARE(ReportExporter::toText(loaded), ReportExporter::toText(m_report));
    }

    void openingOtherFilesFailsCleanly() {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(OrvetError, PreparedReport::load(dir.filePath(QStringLiteral("none.frp"))));
        const QByteArray bad[] = {
            "not json", "{}", "{\"format\":\"orvet-prepared-report\",\"version\":1}",
            "{\"format\":\"orvet-prepared-report\",\"version\":1,\"title\":\"t\",\"pageWidth\":210,"
            "\"pageHeight\":297,\"pages\":[{\"items\":[{\"kind\":\"text\",\"x\":1e308}]}]}"};
        for (const QByteArray &data : bad) {
            try {
                PreparedReport::fromJson(data);
                QFAIL(data.constData());
            } catch (const OrvetError &e) {
                QVERIFY(e.message().contains(QStringLiteral("не является подготовленным отчётом")));
            }
        }
    }

    // What the preview shows comes from the same painter code as the PDF:
    // a day's trip must leave ink where its cell is.
    void rendererDrawsTheCells() {
        QImage image(QSize(420, 594), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            ReportRenderer::renderPage(painter, m_report.pages().first(), m_report.pageSize(), image.rect());
        }
        int ink = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                ink += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
        QVERIFY(ink > 5000);
    }
};

QTEST_MAIN(TestReportExport)
#include "tst_report_export.moc"
