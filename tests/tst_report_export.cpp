#include "data/OrvetError.h"
#include "report/ListDataSource.h"
#include "report/ReportEngine.h"
#include "report/ReportExporter.h"
#include "report/ReportRenderer.h"

#include <QDate>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QStringList Frd1Fields = {"ID",    "DATE",  "NUMBL",  "YEAR",   "MOUNTH",
                                "PROBB", "PROBE", "SUMRUB", "SUMLITR"};
const QStringList Frd2Fields = {"ID",   "IDJOIN", "CHISLO", "CEL",  "VROUT",
                                "VRIN", "SPROBS", "SPROBE", "PROB", "RASHOD"};

// December 2024 as the program composes it: trips on working days, nothing
// on weekends, the odometer chained, fuel at 9.57 l per 100 km.
struct SampleWaybill {
    ListDataSource frd1{QStringLiteral("FRD1"), Frd1Fields};
    ListDataSource frd2{QStringLiteral("FRD2"), Frd2Fields};

    SampleWaybill() {
        const QStringList trips = {"Администрация района", "Налоговая инспекция", "Банк, отделение № 8603",
                                   "Поставщик ООО «Стройкомплект»"};
        const double km[] = {42.5, 18, 27.3, 35};
        double odometer = 45210, litres = 0;
        int working = 0;
        for (int day = 1; day <= 31; ++day) {
            const bool off = QDate(2024, 12, day).dayOfWeek() >= 6;
            const double distance = off ? 0 : km[working % 4];
            const double fuel = qRound(distance * 9.57) / 100.0;
            frd2.appendRow({day, 1, QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0')),
                            off ? QString() : trips[working % 4], off ? QString() : QStringLiteral("09:00"),
                            off ? QString() : QStringLiteral("18:00"), odometer, odometer + distance,
                            distance, fuel});
            working += off ? 0 : 1;
            odometer += distance;
            litres += fuel;
        }
        frd1.appendRow({1, QDate(2024, 12, 1), "12", "2024", "Декабрь", 45210.0, odometer, 5634.5, litres});
    }

    static void answer(const QString &name, QVariant &value) {
        static const QHash<QString, QString> values = {
            {"Org", "ООО «Ромашка»"},          {"OrgAdress", "г. Тверь, ул. Советская, д. 1"},
            {"MarkAuto", "ВАЗ-21074"},         {"GosNumberAuto", "А123ВС 69"},
            {"Voditel", "Петров П.П."},        {"Buhgalter", "Сидорова А.В."},
            {"Utverjdau", "Иванов И.И."},      {"LitrNa100", "9,57"},
            {"DateAKT", "31 декабря 2024 г."}, {"Proveril", "Главный бухгалтер"}};
        if (values.contains(name))
            value = values.value(name);
    }

    PreparedReport prepare() {
        ReportEngine engine;
        engine.loadFromFile(QStringLiteral(":/Orvet_Main.frf"));
        engine.setTitle(QStringLiteral("Путевой лист № 12"));
        engine.registerDataSource(&frd1);
        engine.registerDataSource(&frd2);
        engine.setVariableHandler(&SampleWaybill::answer);
        return engine.prepare();
    }
};

QByteArray expected(const QString &name) {
    QFile file(QFINDTESTDATA(QStringLiteral("data/report/") + name));
    if (!file.open(QIODevice::ReadOnly))
        qWarning("missing expected file %s", qPrintable(name));
    return file.readAll();
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
        SampleWaybill sample;
        m_report = sample.prepare();
    }

    void defaultTemplateFitsOnePageWithEveryDay() {
        QCOMPARE(m_report.pageCount(), 1);
        QStringList days;
        for (const ReportItem &item : m_report.pages().first().items) {
            // The day column: 12 mm wide at the left margin, 5 mm rows.
            if (item.kind == ReportItem::Kind::Text &&
                item.rect == QRectF(item.rect.x(), item.rect.y(), 12, 5) && item.rect.x() == 12.0)
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
        QTest::newRow("csv") << "waybill.csv";
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

    void csvRowsAreOnePerLineAndQuoted() {
        const QStringList lines = QString::fromUtf8(ReportExporter::toCsv(m_report)).split(QLatin1Char('\n'));
        QVERIFY(
            lines.contains(QStringLiteral("04,\"Банк, отделение № 8603\",09:00,18:00,\"45270,5\",\"45297,8\","
                                          "\"27,3\",\"2,61\"")));
        QVERIFY(lines.contains(QStringLiteral("07,,,,\"45375,3\",\"45375,3\",,"))); // a day off: blank distance and fuel
        const QString quoted =
            QString::fromUtf8(ReportExporter::toCsv(oneText(QStringLiteral("a \"b\"\nc"))));
        QCOMPARE(quoted, QStringLiteral("\"a \"\"b\"\" c\"\n"));
    }

    void rtfIsAsciiWithUnicodeEscapes() {
        const QByteArray rtf = ReportExporter::toRtf(m_report);
        QVERIFY(rtf.startsWith("{\\rtf1"));
        for (const char c : rtf)
            QVERIFY(uchar(c) < 0x80);
        // "Итого" and a brace that must not close a group.
        QVERIFY(rtf.contains("\\u1048?\\u1090?\\u1086?\\u1075?\\u1086?"));
        QVERIFY(ReportExporter::toRtf(oneText(QStringLiteral("{x}\\"))).contains("\\{x\\}\\\\"));
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
