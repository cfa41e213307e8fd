#include "Program.h"

#include "core/OrvetError.h"
#include "data/commands/ImportCommand.h"
#include "data/statement/CsvStatement.h"
#include "data/statement/StatementFile.h"
#include "data/statement/StatementLayout.h"
#include "data/statement/StatementReceipts.h"
#include "data/statement/XlsxStatement.h"
#include "controls/CalcEdit.h"
#include "forms/TChesk_Import_F.h"
#include "forms/TChesk_New_F.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QtEndian>

namespace {
QString dataFile(const QString &name) {
    return QFINDTESTDATA(QStringLiteral("data/statements/") + name);
}

// What the receipt table holds, as "date litres rubles" in ID order.
QStringList stored(TDM1 &dm) {
    Table &t = dm.Chesks();
    t.setFiltered(false);
    QStringList out;
    for (int r = 0; r < t.recordCount(); ++r)
        out << QStringLiteral("%1 %2 %3")
                   .arg(t.valueAt(r, Fields::DATE).toDate().toString(Qt::ISODate))
                   .arg(t.valueAt(r, Fields::LITRS).toDouble())
                   .arg(t.valueAt(r, Fields::SUMRUB).toDouble());
    return out;
}

quint32 crc32(const QByteArray &data) {
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : data) {
        crc ^= uchar(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

// A package of stored (not deflated) parts; a part may declare a size of
// its own that it does not have, as a crafted file would.
struct ZipPart {
    QByteArray name, data;
    quint32 declared; // 0: the data's own size
};
QByteArray zip(const QList<ZipPart> &parts) {
    const auto le = [](QByteArray &out, quint32 v, int bytes) {
        for (int k = 0; k < bytes; ++k)
            out.append(char((v >> (8 * k)) & 0xFF));
    };
    QByteArray body, directory;
    for (const ZipPart &p : parts) {
        const quint32 size = p.declared ? p.declared : quint32(p.data.size());
        const auto header = [&](QByteArray &out, bool central) {
            le(out, central ? 0x02014b50 : 0x04034b50, 4);
            if (central)
                le(out, 20, 2);
            le(out, 20, 2), le(out, 0, 2), le(out, 0, 2), le(out, 0, 4); // version, flags, stored, time
            le(out, crc32(p.data), 4), le(out, size, 4), le(out, size, 4);
            le(out, quint32(p.name.size()), 2), le(out, 0, 2);
            if (central)
                le(out, 0, 2), le(out, 0, 2), le(out, 0, 2), le(out, 0, 4), le(out, quint32(body.size()), 4);
            out += p.name;
        };
        header(directory, true);
        header(body, false);
        body += p.data;
    }
    QByteArray out = body + directory;
    le(out, 0x06054b50, 4), le(out, 0, 4), le(out, quint32(parts.size()), 2), le(out, quint32(parts.size()), 2);
    le(out, quint32(directory.size()), 4), le(out, quint32(body.size()), 4), le(out, 0, 2);
    return out;
}

struct Fixture : Program {
    // Runs the import of `file`; `dialog` fills the column dialog, which
    // is then confirmed with Ok.
    void import(const QString &file, std::function<void(TChesk_Import_F *)> dialog = {}, bool ok = true) {
        host.expectDialog([file](QDialog *d) {
            auto *chooser = qobject_cast<QFileDialog *>(d);
            if (!chooser)
                return int(QDialog::Rejected);
            chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(file);
            chooser->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))
                ->button(QDialogButtonBox::Open)
                ->click();
            return int(chooser->result());
        });
        host.expectDialog([dialog, ok](QDialog *d) {
            auto *f = qobject_cast<TChesk_Import_F *>(d);
            if (!f)
                return int(QDialog::Rejected);
            if (dialog)
                dialog(f);
            (ok ? f->BitBtn1 : f->BitBtn2)->click();
            return f->result();
        });
        dm.execute(Actions::Import_chesk);
    }
};
} // namespace

Q_DECLARE_METATYPE(ImportCommand::Outcome)

class tst_StatementImport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pinRussianLocale(); }

    // The statement as the clerk gets it: a title, the card number, quoted
    // addresses with the separator and line breaks, a car wash and a
    // coffee, a totals row.
    void utf8SemicolonStatementWithNonFuelRows() {
        Fixture p;
        p.import(dataFile(QStringLiteral("card-utf8-semicolon.csv")), [](TChesk_Import_F *f) {
            QCOMPARE(f->DateBox->currentText(), QStringLiteral("1: Дата операции"));
            QCOMPARE(f->LitresBox->currentText(), QStringLiteral("5: Количество, л"));
            QCOMPARE(f->RublesBox->currentText(), QStringLiteral("7: Сумма, руб."));
            QCOMPARE(f->ProductBox->currentText(), QStringLiteral("4: Товар"));
            QCOMPARE(f->Products->count(), 3); // АИ-92, the wash, the coffee
            QCOMPARE(f->leftOutProducts(),
                     (QSet<QString>{QStringLiteral("Мойка кузова"), QStringLiteral("Кофе \"Американо\"")}));
        });
        QCOMPARE(p.host.errors, QStringList());
        QCOMPARE(stored(p.dm),
                 (QStringList{"2025-01-09 40 2092", "2025-01-17 35.5 1856.65", "2025-01-28 42.1 2222.88"}));
        QCOMPARE(p.host.messages, QStringList{ImportCommand::summary({3, 0, 2, 0, 0, 1})});
    }

    // Windows-1251 with commas; a receipt typed by hand before is not
    // stored twice, while the same purchase twice in the statement is two
    // receipts. Loading the statement again adds nothing.
    void cp1251CommaStatementAndStoredReceipts() {
        Fixture p;
        p.addReceipt(QDate(2025, 2, 3), 30.5, 1601.25);
        p.import(dataFile(QStringLiteral("card-cp1251-comma.csv")), [](TChesk_Import_F *f) {
            QCOMPARE(f->DateBox->currentData().toInt(), 0);
            QCOMPARE(f->LitresBox->currentData().toInt(), 1);
            QCOMPARE(f->RublesBox->currentData().toInt(), 2);
            QCOMPARE(f->ProductBox->currentData().toInt(), 3);
        });
        QCOMPARE(p.host.errors, QStringList());
        QCOMPARE(stored(p.dm),
                 (QStringList{"2025-02-03 30.5 1601.25", "2025-02-14 25 1312.5", "2025-02-14 25 1312.5"}));
        QCOMPARE(p.host.messages.value(0), ImportCommand::summary({2, 1, 1}));
        p.import(dataFile(QStringLiteral("card-cp1251-comma.csv")));
        QCOMPARE(p.host.messages.value(1), ImportCommand::summary({0, 3, 1}));
        QCOMPARE(stored(p.dm).size(), 3);
    }

    // A workbook from the issuer's portal: a title row, dates as dates,
    // amounts as numbers; the user keeps the washer fluid after all.
    void xlsxStatement() {
        Fixture p;
        p.import(dataFile(QStringLiteral("card-statement.xlsx")), [](TChesk_Import_F *f) {
            QCOMPARE(f->ProductBox->currentText(), QStringLiteral("3: Продукт"));
            QCOMPARE(f->Preview->item(0, 0)->text(), QStringLiteral("04.03.2025")); // a date, not its serial
            QCOMPARE(f->leftOutProducts(), QSet<QString>{QStringLiteral("Омывающая жидкость")});
            f->ProductBox->setCurrentIndex(0); // no product column: every row goes in
            // Tab leaves the preview for the next control; it does not walk the cells.
            f->show();
            QApplication::setActiveWindow(f);
            QVERIFY(QTest::qWaitForWindowActive(f));
            f->Preview->setFocus();
            QTest::keyClick(f->Preview, Qt::Key_Tab);
            QVERIFY(QApplication::focusWidget() != f->Preview);
        });
        QCOMPARE(p.host.errors, QStringList());
        QCOMPARE(stored(p.dm), (QStringList{"2025-03-04 38.2 2139.2", "2025-03-11 41 2296",
                                            "2025-03-11 1 350", "2025-03-25 39.75 2226"}));
    }

    // Statements laid out as issuers' cabinets export them, each as UTF-8
    // and Windows-1251 text and as workbooks saved by openpyxl (.xlsx) and
    // LibreOffice (.xls): loaded in one pass with the columns found.
    void issuersStatements_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QStringList>("receipts");
        QTest::addColumn<ImportCommand::Outcome>("outcome");
        // Discounted sums, not the gross ones, and no car wash; the title
        // line's comma does not split the semicolon file.
        const QStringList discounted{"2026-11-01 40 2386.2", "2026-11-09 35.5 2117.86", "2026-11-20 42.1 2531.97"};
        // Петров's card unticked; «Возврат» with positive numbers is a refund.
        const QStringList blocks{"2026-11-03 45.5 2566.2", "2026-11-05 -5 -282", "2026-11-17 38 2143.2"};
        const QStringList negative{"2026-11-02 30 1569", "2026-11-14 44.2 2311.66", "2026-11-15 -10 -523"};
        const QStringList subtotals{"2026-05-12 40 2276", "2026-05-20 33.5 1906.15"};
        // 41,3 л × 57,20 = 2 362,36; 38,75 л × 57,40 = 2 224,25.
        const QStringList noSum{"2026-11-07 41.3 2362.36", "2026-11-21 38.75 2224.25"};
        for (const QString format : {"-utf8.csv", "-cp1251.csv", ".xlsx", ".xls"}) {
            const auto row = [&](const char *layout) -> QTestData & {
                return QTest::newRow(qPrintable(layout + format)) << QString(layout + format);
            };
            row("a-title-discount") << discounted << ImportCommand::Outcome{3, 0, 1, 0, 0, 0};
            row("b-card-blocks") << blocks << ImportCommand::Outcome{3, 0, 0, 1, 1, 2};
            row("c-summary-sheet") << negative << ImportCommand::Outcome{3, 0, 0, 1, 0, 1};
            row("d-day-nomenclature") << subtotals << ImportCommand::Outcome{2, 0, 0, 0, 0, 4};
            row("e-no-sum") << noSum << ImportCommand::Outcome{2, 0, 0, 0, 0, 0};
        }
    }
    void issuersStatements() {
        QFETCH(QString, layout);
        QFETCH(QStringList, receipts);
        QFETCH(ImportCommand::Outcome, outcome);
        Fixture p;
        p.import(dataFile(QStringLiteral("issuers/") + layout), [&](TChesk_Import_F *f) {
            QVERIFY(f->BitBtn1->isEnabled());
            if (layout.startsWith(QLatin1String("b-"))) {
                QCOMPARE(f->Cards->count(), 2);
                QCOMPARE(f->Cards->item(1)->text(), QStringLiteral("7826 0101 0012 9999"));
                f->Cards->item(1)->setCheckState(Qt::Unchecked);
                QCOMPARE(f->note(), QStringLiteral("Возвратов и отмен в выписке: 1. Они будут внесены со знаком минус."));
            }
            if (layout.startsWith(QLatin1String("c-")) && layout.endsWith(QLatin1String("xls")))
                QCOMPARE(f->SheetBox->currentText(), QStringLiteral("Транзакции")); // past the summary
            if (layout.startsWith(QLatin1String("e-")))
                QCOMPARE(f->note(), QStringLiteral("Сумма будет посчитана: литры × цена, с точностью до копейки."));
        });
        QCOMPARE(p.host.errors, QStringList());
        QCOMPARE(stored(p.dm), receipts);
        QCOMPARE(p.host.messages, QStringList{ImportCommand::summary(outcome)});
    }

    // The separator and the sheet can be chosen again in the dialog; the
    // columns are found anew for what is then shown.
    void separatorAndSheetChosenInTheDialog() {
        Fixture p;
        p.import(dataFile(QStringLiteral("issuers/a-title-discount-utf8.csv")), [](TChesk_Import_F *f) {
            QCOMPARE(f->separator(), QLatin1Char(';'));
            QVERIFY(!f->SheetBox->isEnabled());
            f->SeparatorBox->setCurrentIndex(f->SeparatorBox->findData(QStringLiteral(",")));
            emit f->SeparatorBox->activated(f->SeparatorBox->currentIndex());
            QVERIFY(!f->BitBtn1->isEnabled()); // split on commas nothing is found
            f->SeparatorBox->setCurrentIndex(f->SeparatorBox->findData(QStringLiteral(";")));
            emit f->SeparatorBox->activated(f->SeparatorBox->currentIndex());
            QCOMPARE(f->RublesBox->currentText(), QStringLiteral("8: Стоимость со скидкой"));
        });
        QCOMPARE(stored(p.dm).size(), 3);
        p.import(dataFile(QStringLiteral("issuers/c-summary-sheet.xlsx")), [](TChesk_Import_F *f) {
            QCOMPARE(f->SheetBox->count(), 2);
            QCOMPARE(f->separator(), QChar());
            f->SheetBox->setCurrentIndex(0);
            emit f->SheetBox->activated(0);
            QVERIFY(!f->BitBtn1->isEnabled()); // the summary has no receipts
            QCOMPARE(f->note(), QString());
        }, false);
        QCOMPARE(stored(p.dm).size(), 3);
    }

    // Without a sum or a price column the dialog says so and Ok stays grey.
    void missingSumIsSaid() {
        TChesk_Import_F f;
        f.setStatement(QStringLiteral("s.csv"), {QStringLiteral("Дата"), QStringLiteral("Литры")},
                       {{QStringLiteral("01.11.2026"), QStringLiteral("40")}}, {});
        f.setColumns(0, 1, -1, -1);
        QVERIFY(!f.BitBtn1->isEnabled());
        QVERIFY(f.note().startsWith(QStringLiteral("В выписке не найден столбец суммы")));
    }

    // Whatever is wrong, the message names the file (and the line), and
    // nothing is stored.
    void badInputStoresNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << "Файл «s.csv» пуст.";
        QTest::newRow("blank lines") << QByteArray(";;\r\n\r\n")
                                     << "Файл «s.csv» пуст: в нём нет ни одной строки.";
        QTest::newRow("UTF-16")
            << QByteArray("\xFF\xFE"
                          "D\0a\0t\0e\0",
                          10)
            << "Файл «s.csv»: не удалось определить кодировку. Выписка должна быть в кодировке UTF-8 или "
               "Windows-1251.";
        QTest::newRow("binary") << QByteArray("\x01\x02\x98\x00zz", 6)
                                << "Файл «s.csv»: не удалось определить кодировку. Выписка должна быть в "
                                   "кодировке UTF-8 или Windows-1251.";
        // UTF-8 with one line saved in Windows-1251, and UTF-8 cut off in
        // the middle of a letter: once decoded whole as Windows-1251.
        QTest::newRow("mixed encodings")
            << QByteArray("Дата;Литры;Сумма;Товар\n01.02.2025;40;2000;АИ-95\n") +
                   QByteArray("02.02.2025;40;2000;\xC0\xC8-92\n")
            << "Файл «s.csv», строка 3: текст не в кодировке UTF-8, хотя остальной файл в ней (файл испорчен "
               "или собран из частей в разных кодировках). Сохраните выписку заново целиком в UTF-8 или в "
               "Windows-1251.";
        QTest::newRow("broken UTF-8 with its mark")
            << QByteArray("\xEF\xBB\xBFДата;Литры\n01.02.2025;40\n\xD0\n")
            << "Файл «s.csv», строка 3: текст не в кодировке UTF-8, хотя остальной файл в ней (файл испорчен "
               "или собран из частей в разных кодировках). Сохраните выписку заново целиком в UTF-8 или в "
               "Windows-1251.";
        // Office's older container: a workbook with a password, an .xls renamed.
        const QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        QTest::newRow("encrypted workbook")
            << compound + QByteArray(504, '\0') + QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32)
            << "Файл «s.csv» — книга Excel, защищённая паролем: программа её не откроет. Снимите пароль в "
               "Excel и сохраните книгу как .xlsx или .csv.";
        // An .xls cut short, one whose allocation table runs in a ring, one
        // that declares a sheet of 65536 × 256 cells (the reader would set
        // aside 260 MB for it).
        QFile xls(dataFile(QStringLiteral("issuers/c-summary-sheet.xls")));
        QVERIFY(xls.open(QIODevice::ReadOnly));
        const QByteArray book = xls.readAll();
        const QString broken = "Файл «s.csv» не читается как книга Excel (XLS): файл испорчен или обрезан.";
        QTest::newRow("old workbook, no stream") << compound + QByteArray("W\0o\0r\0k\0b\0o\0o\0k\0", 16) << broken;
        QTest::newRow("old workbook cut short") << book.left(3000) << broken;
        QByteArray ring = book;
        const qint64 fat = 512 * (qFromLittleEndian<quint32>(book.constData() + 0x4C) + 1);
        for (quint32 k = 0; k < 128; ++k)
            qToLittleEndian<quint32>((k + 1) % 128, ring.data() + fat + 4 * k);
        QTest::newRow("old workbook, chain in a ring") << ring << broken;
        QByteArray huge = book;
        const qsizetype dimensions = huge.indexOf(QByteArray("\x00\x02\x0e\x00", 4));
        qToLittleEndian<quint32>(65536, huge.data() + dimensions + 8);
        qToLittleEndian<quint16>(256, huge.data() + dimensions + 14);
        QTest::newRow("old workbook of 16 million cells")
            << huge << "Файл «s.csv» не читается как книга Excel (XLS): книга объявляет больше 2000000 ячеек, это "
                       "не выписка по карте.";
        QTest::newRow("litres") << QByteArray("Дата;Литры;Сумма\n01.02.2025;40;2000\n02.02.2025;сорок;2000\n")
                                << "Файл «s.csv», строка 3: количество литров «сорок» не читается. Ничего не "
                                   "загружено.";
        QTest::newRow("rubles")
            << QByteArray("Дата;Литры;Сумма\n\"01.02.2025\";40;\"2 000 р\"\n")
            << "Файл «s.csv», строка 2: сумма «2 000 р» не читается. Ничего не загружено.";
        // Amounts and dates no receipt has: the first row would have been
        // stored as inf litres, the last ones as 2099 and 9999.
        QTest::newRow("infinite litres")
            << "Дата;Литры;Сумма\n01.02.2025;1" + QByteArray(400, '0') + ";2000\n"
            << "Файл «s.csv», строка 2: количество литров «1" + QString(39, u'0') +
                   "…» больше 10 000 л: такого чека не бывает. Ничего не загружено.";
        QTest::newRow("rubles past the bound")
            << QByteArray("Дата;Литры;Сумма\n01.02.2025;40;2000\n02.02.2025;40;10000000,01\n")
            << "Файл «s.csv», строка 3: сумма «10000000,01» больше 10 000 000 руб.: такого чека не бывает. "
               "Ничего не загружено.";
        const QString years = QStringLiteral("не из 2000–%1 годов. Ничего не загружено.")
                                  .arg(QDate::currentDate().year() + 1);
        QTest::newRow("year 99") << QByteArray("Дата;Литры;Сумма\n03.11.99;40;2000\n")
                                 << "Файл «s.csv», строка 2: дата «03.11.99» " + years;
        QTest::newRow("year 9999") << QByteArray("Дата;Литры;Сумма\n31.12.9999;40;2000\n")
                                   << "Файл «s.csv», строка 2: дата «31.12.9999» " + years;
        QTest::newRow("open quote") << QByteArray("Дата;Литры;Сумма\n01.02.2025;40;\"2000\n")
                                    << "Файл «s.csv», строка 2: кавычка, открытая в этой строке, не закрыта.";
        QTest::newRow("a line of separators")
            << QByteArray("Дата;Литры;Сумма\n") + QByteArray(10'000'001, ';')
            << "Файл «s.csv», строка 2: в файле больше 10000000 ячеек, это не "
               "выписка по карте.";
        QTest::newRow("a cell of 10001 characters")
            << "Дата;Литры;Сумма;Адрес\n01.02.2025;40;2000;\"" + QByteArray(10'001, 'x') + "\"\n"
            << "Файл «s.csv», строка 2: в ячейке больше 10000 знаков, это не выписка по карте.";
        // Parts that each keep under the part bound but not together: the
        // central directory says so before anything is unpacked.
        QTest::newRow("workbook parts too large together")
            << zip({{"xl/workbook.xml", "<workbook/>", 0},
                    {"xl/worksheets/sheet1.xml", "", 200'000'000},
                    {"xl/sharedStrings.xml", "", 200'000'000}})
            << "Файл «s.csv» не читается как книга Excel (XLSX): части книги вместе слишком велики.";
        QTest::newRow("not a workbook")
            << QByteArray("PK\x03\x04garbage", 11)
            << "Файл «s.csv» не читается как книга Excel (XLSX): это не ZIP-архив.";
    }
    void badInputStoresNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        Fixture p;
        const QString path = p.file(QStringLiteral("s.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        p.import(path);
        p.host.forgetScripts();
        QCOMPARE(p.host.errors, QStringList{message});
        QVERIFY(p.host.messages.isEmpty());
        QVERIFY(stored(p.dm).isEmpty());
    }

    void badDateNamesItsLine() {
        Fixture p;
        p.import(dataFile(QStringLiteral("bad-date.csv")));
        QCOMPARE(p.host.errors,
                 QStringList{
                     "Файл «bad-date.csv», строка 4: дата «31.02.2025» не читается. Ничего не загружено."});
        QVERIFY(stored(p.dm).isEmpty());
    }

    // Refused by its size: a sparse file of 100 MB and one byte is never read.
    void hugeFileRefusedBySize() {
        TestDir dir;
        QFile file(dir.file(QStringLiteral("big.csv")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(StatementFile::MaxSize + 1));
        file.close();
        try {
            StatementFile::read(file.fileName());
            QFAIL("read");
        } catch (const OrvetError &e) {
            QCOMPARE(e.message(),
                     QStringLiteral(
                         "Файл «big.csv» больше 100 МБ: выписку такого размера программа не загружает"));
        }
    }

    // Cancel in either dialog stores nothing and says nothing.
    void cancelStoresNothing() {
        Fixture p;
        p.host.expectDialog([](QDialog *) { return int(QDialog::Rejected); }); // the file chooser
        p.dm.execute(Actions::Import_chesk);
        p.import(dataFile(QStringLiteral("card-utf8-semicolon.csv")), {}, false);
        QCOMPARE(p.host.pendingDialogs(), 0);
        QVERIFY(stored(p.dm).isEmpty());
        QVERIFY(p.host.messages.isEmpty() && p.host.errors.isEmpty());
    }

    void separatorsAndQuotes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("cells"); // of the last row, joined by "|"
        QTest::newRow("tab") << "a\tb\tc\n1,5\t2;3\t4" << QStringList{"1,5", "2;3", "4"};
        QTest::newRow("semicolon beats decimal comma") << "a;b\n1,5;2,5" << QStringList{"1,5", "2,5"};
        QTest::newRow("comma, quoted comma") << "a,b\n\"1,5\",x" << QStringList{"1,5", "x"};
        QTest::newRow("quote doubled, line break")
            << "a;b\n\"say \"\"hi\"\"\nthere\";2" << QStringList{"say \"hi\"\nthere", "2"};
        QTest::newRow("separator in quoted title") << "\"a;b\",c\n1,2" << QStringList{"1", "2"};
    }
    void separatorsAndQuotes() {
        QFETCH(QString, text);
        QFETCH(QStringList, cells);
        const StatementTable t = CsvStatement::read(text.toUtf8(), QStringLiteral("x"));
        QStringList got;
        for (const QVariant &v : t.rows.constLast().cells)
            got << v.toString();
        QCOMPARE(got, cells);
    }

    void datesAndNumbers() {
        QCOMPARE(StatementReceipts::dateOf(QStringLiteral("31.01.2025 14:05")), QDate(2025, 1, 31));
        QCOMPARE(StatementReceipts::dateOf(QStringLiteral("2025-01-31T14:05:00")), QDate(2025, 1, 31));
        QCOMPARE(StatementReceipts::dateOf(QStringLiteral("1.2.25")), QDate(2025, 2, 1));
        // A two-digit year more than a year ahead is of the last century.
        QCOMPARE(StatementReceipts::dateOf(QStringLiteral("1.2.27"), QDate(2026, 1, 1)), QDate(2027, 2, 1));
        QCOMPARE(StatementReceipts::dateOf(QStringLiteral("1.2.28"), QDate(2026, 1, 1)), QDate(1928, 2, 1));
        QVERIFY(!StatementReceipts::plausible(QDate(1999, 12, 31), QDate(2026, 1, 1)));
        QVERIFY(StatementReceipts::plausible(QDate(2027, 12, 31), QDate(2026, 1, 1)));
        QVERIFY(!StatementReceipts::plausible(QDate(2028, 1, 1), QDate(2026, 1, 1)));
        QCOMPARE(StatementReceipts::dateOf(45658.75), QDate(2025, 1, 1)); // serial with a time of day
        QVERIFY(!StatementReceipts::dateOf(QStringLiteral("01/13/2025")).isValid());
        QVERIFY(!StatementReceipts::dateOf(QStringLiteral("")).isValid());
        QCOMPARE(StatementReceipts::numberOf(QStringLiteral("1\u00A0234,50 руб.")), 1234.5);
        QCOMPARE(StatementReceipts::numberOf(QStringLiteral("-12.5")), -12.5);
        QVERIFY(!StatementReceipts::numberOf(QStringLiteral("1,234.50")));
        QVERIFY(!StatementReceipts::numberOf(QStringLiteral("")));
    }

    // The parts of a workbook that openpyxl does not write: shared strings
    // with runs and phonetic hints, cells without a reference, a first
    // sheet that is not sheet1.
    void workbookParts() {
        const QStringList shared = XlsxStatement::sharedStrings(
            "<sst><si><t>Дата</t></si><si><r><t>Сум</t></r><r><t>ма</t></r><rPh><t>x</t></rPh></si></sst>");
        QCOMPARE(shared, (QStringList{"Дата", "Сумма"}));
        const QList<StatementRow> rows = XlsxStatement::sheetRows(
            "<worksheet><sheetData><row r=\"3\"><c r=\"B3\" t=\"s\"><v>1</v></c><c "
            "t=\"inlineStr\"><is><t>x</t></is>"
            "</c></row><row><c r=\"AA4\"><v>2.5</v></c></row></sheetData></worksheet>",
            shared);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].line, 3);
        QCOMPARE(rows[0].cells, (QList<QVariant>{QString(), QStringLiteral("Сумма"), QStringLiteral("x")}));
        QCOMPARE(rows[1].line, 4);
        QCOMPARE(rows[1].cells.size(), 27);
        QCOMPARE(rows[1].cells.last(), QVariant(2.5));
        // Styles 1 and 3 show dates (a built-in format, a format of the
        // file's own); 2 shows money with a bracketed currency and a quoted "д".
        const QSet<int> dates = XlsxStatement::dateStyles(
            "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy\\ hh:mm\"/>"
            "<numFmt numFmtId=\"165\" formatCode=\"#,##0.00&quot;д&quot;[$₽-419]\"/></numFmts>"
            "<cellStyleXfs><xf numFmtId=\"14\"/></cellStyleXfs><cellXfs><xf numFmtId=\"0\"/>"
            "<xf numFmtId=\"14\"/><xf numFmtId=\"165\"/><xf numFmtId=\"164\"/></cellXfs></styleSheet>");
        QCOMPARE(dates, (QSet<int>{1, 3}));
        const QList<StatementRow> styled = XlsxStatement::sheetRows(
            "<sheetData><row><c s=\"3\"><v>45658.5</v></c><c s=\"2\"><v>7</v></c></row></sheetData>", {},
            dates);
        QCOMPARE(styled.first().cells, (QList<QVariant>{QDate(2025, 1, 1), 7.0}));
        QCOMPARE(
            XlsxStatement::firstSheetPath(
                "<workbook xmlns:r=\"urn:r\"><sheets><sheet name=\"a\" r:id=\"rId7\"/></sheets></workbook>",
                "<Relationships><Relationship Id=\"rId7\" "
                "Target=\"worksheets/sheet3.xml\"/></Relationships>"),
            QStringLiteral("xl/worksheets/sheet3.xml"));
    }

    // The receipt dialog's litres and rubles take no minus, typed or
    // brought by the calculator; the date box is left as it is.
    void receiptBoxesTakeNoMinus() {
        TChesk_New_F f;
        for (CalcEdit *box : {f.CalcEdit1, f.CalcEdit2}) {
            box->clear();
            QTest::keyClicks(box, QStringLiteral("-12,5"));
            QCOMPARE(box->text(), QStringLiteral("12,5"));
            box->setValue(-3);
            try {
                box->checkTyped();
                QFAIL("a negative amount was kept");
            } catch (const OrvetError &e) {
                QCOMPARE(e.message(),
                         QStringLiteral("Поле «%1»: число не может быть меньше нуля").arg(box->accessibleName()));
            }
        }
    }

    void columnTitles() {
        QCOMPARE(StatementLayout::roleOf(QStringLiteral("Кол-во, л")), QStringLiteral("litres"));
        QCOMPARE(StatementLayout::roleOf(QStringLiteral(" ОБЪЁМ ")), QStringLiteral("litres"));
        QCOMPARE(StatementLayout::roleOf(QStringLiteral("Стоимость, руб.")), QStringLiteral("rubles"));
        QCOMPARE(StatementLayout::roleOf(QStringLiteral("Цена на АЗС")), QStringLiteral("price"));
        QCOMPARE(StatementLayout::roleOf(QStringLiteral("Тип операции")), QStringLiteral("operation"));
        QCOMPARE(StatementLayout::roleOf(QStringLiteral("Адрес")), QString());
        QVERIFY(StatementLayout::looksLikeFuel(QStringLiteral("Бензин Аи-95 ЭКТО")));
        QVERIFY(StatementLayout::looksLikeFuel(QStringLiteral("ДТ")));
        QVERIFY(!StatementLayout::looksLikeFuel(QStringLiteral("Стеклоомыватель")));
        // No titles at all: the columns are left to the user.
        const StatementTable t = CsvStatement::read("01.02.2025;40;2000\n", QStringLiteral("x"));
        QCOMPARE(StatementLayout::guess(t).headerRow, -1);
        QVERIFY(!StatementLayout::guess(t).complete());
    }
};

QTEST_MAIN(tst_StatementImport)
#include "tst_statement_import.moc"
