#include "Program.h"
#include "TestDir.h"

#include "core/OrvetError.h"
#include "settings/IniFile.h"
#include "settings/StoredValues.h"
#include "settings/WaybillDetails.h"
#include "settings/WindowPlacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QStringDecoder>
#include <QTest>
#include <QWidget>

// The settings file and the stored values kept in it.
class TestSettings : public QObject {
    Q_OBJECT
private:
    static QByteArray bytes(const QString &path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    static void writeBytes(const QString &path, const QByteArray &b) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(b);
    }
    static QString text(const QString &path) { return QStringDecoder("windows-1251").decode(bytes(path)); }

private slots:
    void initTestCase() { pinRussianLocale(); }

    void roundTripsInWindows1251() {
        TestDir d;
        IniFile ini(d.ini());
        ini.writeString(QStringLiteral("DataM"), QStringLiteral("Voditel"), QStringLiteral("Иванов И.И."));
        QVERIFY(bytes(d.ini()).contains("Voditel=\xc8\xe2\xe0\xed\xee\xe2")); // cp1251 bytes of "Иванов"
        QCOMPARE(ini.readString(QStringLiteral("datam"), QStringLiteral("VODITEL"), QString()),
                 QStringLiteral("Иванов И.И."));
    }

    void missingFileSectionOrKeyGivesDefault() {
        TestDir d;
        IniFile ini(d.ini());
        QCOMPARE(ini.readString(QStringLiteral("DataM"), QStringLiteral("X"), QStringLiteral("def")), QStringLiteral("def"));
        ini.writeString(QStringLiteral("Other"), QStringLiteral("X"), QStringLiteral("1"));
        QCOMPARE(ini.readString(QStringLiteral("DataM"), QStringLiteral("X"), QStringLiteral("def")), QStringLiteral("def"));
        QCOMPARE(ini.readInteger(QStringLiteral("Other"), QStringLiteral("Y"), 7), 7);
    }

    void quotationRule_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << QStringLiteral("ООО Ромашка") << QStringLiteral("ООО Ромашка");
        QTest::newRow("double quoted") << QStringLiteral("\"Утверждаю\"") << QStringLiteral("\"\"Утверждаю\"\"");
        QTest::newRow("single quoted") << QStringLiteral("'x'") << QStringLiteral("\"'x'\"");
        QTest::newRow("one quote") << QStringLiteral("\"x") << QStringLiteral("\"x");
        QTest::newRow("mixed") << QStringLiteral("\"x'") << QStringLiteral("\"x'");
        QTest::newRow("empty") << QString() << QString();
    }

    void quotationRule() {
        QFETCH(QString, value);
        QFETCH(QString, written);
        TestDir d;
        IniFile ini(d.ini());
        ini.writeString(QStringLiteral("DataM"), QStringLiteral("K"), value);
        QVERIFY2(text(d.ini()).contains(QStringLiteral("K=") + written + QStringLiteral("\r\n")), qPrintable(text(d.ini())));
        QCOMPARE(ini.readString(QStringLiteral("DataM"), QStringLiteral("K"), QStringLiteral("?")), value);
    }

    void readingTrimsUnquotesAndCaps() {
        TestDir d;
        writeBytes(d.ini(), "[DataM]\r\n  Adress =  'Main st'  \r\nLong=" + QByteArray(3000, 'a') + "\r\n");
        IniFile ini(d.ini());
        QCOMPARE(ini.readString(QStringLiteral("DATAM"), QStringLiteral("adress"), QString()), QStringLiteral("Main st"));
        QCOMPARE(ini.readString(QStringLiteral("DataM"), QStringLiteral("Long"), QString()).size(), 2047);
    }

    void hexAndBadIntegers() {
        TestDir d;
        writeBytes(d.ini(), "[MainF]\nA=0x1F\nB=0X10\nC=12\nD=abc\nE=0x\n");
        IniFile ini(d.ini());
        QCOMPARE(ini.readInteger(QStringLiteral("MainF"), QStringLiteral("A"), 0), 31);
        QCOMPARE(ini.readInteger(QStringLiteral("MainF"), QStringLiteral("B"), 0), 16);
        QCOMPARE(ini.readInteger(QStringLiteral("MainF"), QStringLiteral("C"), 0), 12);
        QCOMPARE(ini.readInteger(QStringLiteral("MainF"), QStringLiteral("D"), 5), 5);
        QCOMPARE(ini.readInteger(QStringLiteral("MainF"), QStringLiteral("E"), 5), 5);
    }

    void writingKeepsOtherSectionsAndReplacesKeys() {
        TestDir d;
        writeBytes(d.ini(), "; a comment\r\n[MainF]\r\nShowCmd=1\r\n\r\n[DataM]\r\nwinter=0\r\n");
        IniFile ini(d.ini());
        ini.writeStrings(QStringLiteral("DATAM"), {{QStringLiteral("Winter"), QStringLiteral("-1")},
                                                   {QStringLiteral("Voditel"), QStringLiteral("Петров")}});
        const QString t = text(d.ini());
        QVERIFY(t.startsWith(QStringLiteral("; a comment\r\n[MainF]\r\nShowCmd=1\r\n")));
        QCOMPARE(t.count(QStringLiteral("inter=")), 1);
        QCOMPARE(ini.readString(QStringLiteral("DataM"), QStringLiteral("WINTER"), QString()), QStringLiteral("-1"));
        QCOMPARE(ini.readString(QStringLiteral("MainF"), QStringLiteral("ShowCmd"), QString()), QStringLiteral("1"));
    }

    void garbageAndInvalidBytesAreSurvived() {
        TestDir d;
        QByteArray junk;
        for (int i = 0; i < 5000; ++i)
            junk.append(char((i * 131) % 256));
        writeBytes(d.ini(), junk + "\n[DataM]\nRashodna100km=7,5\n" + QByteArray(100000, 'z'));
        IniFile ini(d.ini());
        StoredValues v(&ini);
        v.readAll();
        QCOMPARE(v.number(StoredValues::Rashodna100km), 7.5);
        v.writeAll(); // writing over it works and keeps the value
        QCOMPARE(ini.readString(QStringLiteral("DataM"), QStringLiteral("Rashodna100km"), QString()), QStringLiteral("7,5"));
    }

    void failedWriteLeavesTheFileWhole() {
        TestDir d;
        IniFile ok(d.ini());
        ok.writeString(QStringLiteral("DataM"), QStringLiteral("A"), QStringLiteral("1"));
        // A path whose folder is a file cannot be written.
        IniFile bad(d.file(QStringLiteral("Orvet.ini/inner.ini")));
        try {
            bad.writeString(QStringLiteral("DataM"), QStringLiteral("A"), QStringLiteral("2"));
            QFAIL("written");
        } catch (const OrvetError &e) {
            QVERIFY(e.message().startsWith(QStringLiteral("Unable to write to ")));
        }
        QCOMPARE(ok.readString(QStringLiteral("DataM"), QStringLiteral("A"), QString()), QStringLiteral("1"));
    }

    void storedValueDefaults() {
        TestDir d;
        IniFile ini(d.ini());
        StoredValues v(&ini);
        v.readAll();
        for (int i : {0, 1, 2, 3, 4, 5, 9})
            QCOMPARE(v.text(i), QString());
        QCOMPARE(v.number(StoredValues::Rashodna100km), 0.0);
        QCOMPARE(v.number(StoredValues::StartoviyProbeg), 0.0);
        QCOMPARE(v.flag(StoredValues::Winter), false);
        QCOMPARE(v.text(StoredValues::Proveril), QStringLiteral("Главный бухгалтер"));
        QCOMPARE(StoredValues::name(6), QStringLiteral("Rashodna100km"));
    }

    void storedValuesWrittenInLocaleForm() {
        TestDir d;
        IniFile ini(d.ini());
        StoredValues v(&ini);
        v.setValue(StoredValues::Rashodna100km, 8.5);
        v.setValue(StoredValues::Winter, true);
        v.setValue(StoredValues::StartoviyProbeg, 12000.0);
        v.setValue(StoredValues::Utvejdaushiy, QStringLiteral("\"Директор\""));
        v.writeAll();
        const QString t = text(d.ini());
        QVERIFY(t.contains(QStringLiteral("Rashodna100km=8,5\r\n")));
        QVERIFY(t.contains(QStringLiteral("Winter=-1\r\n")));
        QVERIFY(t.contains(QStringLiteral("StartoviyProbeg=12000\r\n")));
        QVERIFY(t.contains(QStringLiteral("Utvejdaushiy=\"\"Директор\"\"\r\n")));
        // All eleven, in index order.
        int last = -1;
        for (int i = 0; i < StoredValues::Count; ++i) {
            const int at = int(t.indexOf(StoredValues::name(i) + QLatin1Char('=')));
            QVERIFY(at > last);
            last = at;
        }
        StoredValues back(&ini);
        back.readAll();
        QCOMPARE(back.number(StoredValues::Rashodna100km), 8.5);
        QVERIFY(back.flag(StoredValues::Winter));
        QCOMPARE(back.text(StoredValues::Utvejdaushiy), QStringLiteral("\"Директор\""));
    }

    // The waybill's details go after "DataM", which keeps every byte, into
    // a section of their own in the same code page, and read back whole.
    void waybillDetailsInASectionOfTheirOwn() {
        TestDir d;
        IniFile ini(d.ini());
        StoredValues v(&ini);
        v.setValue(StoredValues::Voditel, QStringLiteral("Петров П.П."));
        v.writeAll();
        const QByteArray dataM = bytes(d.ini());
        WaybillDetails details(&ini);
        for (int i = 0; i < WaybillDetails::Count; ++i)
            details.setText(i, QStringLiteral("значение %1").arg(i));
        details.setText(WaybillDetails::VidPerevozki, QStringLiteral("\"для собственных нужд\""));
        details.writeAll();
        const QByteArray written = bytes(d.ini());
        QVERIFY(written.startsWith(dataM + "\r\n[Rekvizity]\r\nOGRN=\xe7\xed\xe0\xf7")); // "знач" in cp1251
        int last = -1;
        for (int i = 0; i < WaybillDetails::Count; ++i) {
            const int at = int(text(d.ini()).indexOf(WaybillDetails::name(i) + QLatin1Char('=')));
            QVERIFY(at > last);
            last = at;
        }
        WaybillDetails back(&ini);
        back.readAll();
        for (int i = 0; i < WaybillDetails::Count; ++i)
            QCOMPARE(back.text(i), details.text(i));
        StoredValues again(&ini);
        again.readAll();
        QCOMPARE(again.text(StoredValues::Voditel), QStringLiteral("Петров П.П."));
    }

    // Text, and numbers that are not finite, hold as read and fail where
    // they are used as numbers.
    void badNumbersFailWhereConverted_data() {
        QTest::addColumn<QByteArray>("value");
        for (const char *v : {"abc", "inf", "-inf", "nan", "Infinity", "1e999"})
            QTest::newRow(v) << QByteArray(v);
    }
    void badNumbersFailWhereConverted() {
        QFETCH(QByteArray, value);
        TestDir d;
        writeBytes(d.ini(), "[DataM]\nRashodna100km=" + value + "\nStartoviyProbeg=" + value + "\nWinter=maybe\n");
        IniFile ini(d.ini());
        StoredValues v(&ini);
        v.readAll(); // reading holds text and does not fail
        QCOMPARE(v.text(StoredValues::Rashodna100km), QString::fromLatin1(value));
        for (const int index : {StoredValues::Rashodna100km, StoredValues::StartoviyProbeg}) {
            try {
                v.number(index);
                QFAIL("converted");
            } catch (const OrvetError &e) {
                QCOMPARE(e.message(), QStringLiteral("Invalid variant type conversion"));
            }
        }
        QVERIFY_THROWS_EXCEPTION(OrvetError, v.flag(StoredValues::Winter));
        v.setValue(StoredValues::Rashodna100km, qInf());
        QVERIFY_THROWS_EXCEPTION(OrvetError, v.norm());
    }

    // A write killed half-way leaves QSaveFile's temporary file (the file
    // name, a dot, six letters QTemporaryFile draws) beside the settings
    // file or the template; the next start removes those, and nothing else.
    void leftoverTemporaryFilesGo_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("settings") << "Orvet.ini";
        QTest::newRow("template") << "Orvet_Main.frf";
    }
    void leftoverTemporaryFilesGo() {
        QFETCH(QString, name);
        TestDir d;
        const QByteArray users =
            name.endsWith(QLatin1String(".ini")) ? "[DataM]\nVoditel=x\n" : "the user's own form\n";
        writeBytes(d.file(name), users);
        // Names as Qt draws them (QSaveFile's own may be unnamed until its commit).
        QStringList drawn;
        for (int i = 0; i < 8; ++i) {
            QTemporaryFile killed(d.file(name));
            killed.setAutoRemove(false);
            QVERIFY(killed.open());
            drawn.append(QFileInfo(killed.fileName()).fileName());
            QVERIFY2(QRegularExpression(QStringLiteral("^%1\\.[A-Za-z]{6}$").arg(QRegularExpression::escape(name)))
                         .match(drawn.last())
                         .hasMatch(),
                     qPrintable(drawn.last()));
        }
        const auto named = [&name](const QStringList &endings) {
            QStringList n;
            for (const QString &e : endings)
                n.append(name + e);
            return n;
        };
        const QStringList own = named({".qWeRtY", ".AbCdEf"});
        const QStringList others = named({".backup", ".BACKUP", ".AbCdE", ".AbCdEfG", ".AbC1Ef", ""}) +
                                   QStringList{"Other.ini.AbCdEf"};
        for (const QString &n : own + others)
            if (!QFile::exists(d.file(n)))
                writeBytes(d.file(n), "x");
        QDir(d.path()).mkdir(name + QStringLiteral(".FoLder"));
        QFile::link(d.file(name + QStringLiteral(".backup")), d.file(name + QStringLiteral(".LiNked")));
        { const Program start(d.path()); }
        for (const QString &n : own)
            QVERIFY2(!QFile::exists(d.file(n)), qPrintable(n));
        // A draw of one case only (one in 32) is left as a user's name would be.
        for (const QString &n : drawn)
            QCOMPARE(QFile::exists(d.file(n)),
                     n.right(6).toLower() == n.right(6) || n.right(6).toUpper() == n.right(6));
        for (const QString &n : others + named({".FoLder", ".LiNked"}))
            QVERIFY2(QFileInfo::exists(d.file(n)), qPrintable(n));
        QCOMPARE(bytes(d.file(name)), users);
    }

    // What the program writes under one locale reads under any other, and
    // an emptied number or flag is no number or flag.
    void storedNumbersInAnyLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("ru_RU") << QLocale(QLocale::Russian, QLocale::Russia);
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("C") << QLocale::c();
    }

    void storedNumbersInAnyLocale() {
        QFETCH(QLocale, locale);
        TestDir d;
        writeBytes(d.ini(), "[DataM]\nRashodna100km=8,5\nStartoviyProbeg=12345.6\nWinter=-1\n");
        QLocale::setDefault(locale);
        IniFile ini(d.ini());
        StoredValues v(&ini);
        v.readAll();
        QCOMPARE(v.number(StoredValues::Rashodna100km), 8.5);
        QCOMPARE(v.number(StoredValues::StartoviyProbeg), 12345.6);
        QVERIFY(v.flag(StoredValues::Winter));
        v.setValue(StoredValues::Rashodna100km, QStringLiteral("8,500")); // never a thousands separator
        QCOMPARE(v.number(StoredValues::Rashodna100km), 8.5);
        for (int i : {int(StoredValues::Rashodna100km), int(StoredValues::Winter)}) {
            v.setValue(i, QStringLiteral(" "));
            QVERIFY_THROWS_EXCEPTION(OrvetError, i == StoredValues::Winter ? v.flag(i) : v.number(i));
        }
        pinRussianLocale();
    }

    // A file saved by an editor that marks its UTF-8 reads as UTF-8, and
    // the mark does not hide the section after it.
    void utf8MarkDoesNotHideTheFirstSection() {
        TestDir d;
        writeBytes(d.ini(), "\xEF\xBB\xBF[DataM]\r\nVoditel=" + QStringLiteral("Иванов").toUtf8() + "\r\n");
        IniFile ini(d.ini());
        QCOMPARE(ini.readString(QStringLiteral("DataM"), QStringLiteral("Voditel"), QString()), QStringLiteral("Иванов"));
        ini.writeString(QStringLiteral("DataM"), QStringLiteral("GlavBuh"), QStringLiteral("Сидорова"));
        QCOMPARE(text(d.ini()), QStringLiteral("[DataM]\r\nVoditel=Иванов\r\nGlavBuh=Сидорова\r\n"));
    }

    void charactersTheCodePageCannotHold() {
        QCOMPARE(IniFile::unwritable(QStringLiteral("ООО «Ромашка» №5 — ёлка €")), QString());
        QCOMPARE(IniFile::unwritable(QStringLiteral("ООО 😀 漢")), QStringLiteral("😀"));
        QCOMPARE(IniFile::unwritable(QStringLiteral("Ω")), QStringLiteral("Ω"));
        TestDir d;
        IniFile ini(d.ini());
        QVERIFY_THROWS_EXCEPTION(OrvetError, ini.writeString(QStringLiteral("DataM"), QStringLiteral("A"),
                                                             QStringLiteral("漢")));
        QVERIFY(!QFile::exists(d.ini()));
    }

    // A file that is there but cannot be read (here: every read of it
    // fails) is reported once, read as empty after that, and never replaced.
    void unreadableFileIsReportedOnceAndNeverWritten() {
        TestDir d;
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), d.ini()));
        IniFile ini(d.ini());
        try {
            ini.readString(QStringLiteral("DataM"), QStringLiteral("A"), QString());
            QFAIL("read");
        } catch (const OrvetError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Не удалось прочитать файл настроек ")), qPrintable(e.message()));
        }
        QVERIFY(ini.unreadable());
        QCOMPARE(ini.readString(QStringLiteral("DataM"), QStringLiteral("A"), QStringLiteral("d")), QStringLiteral("d"));
        QVERIFY_THROWS_EXCEPTION(OrvetError, ini.writeString(QStringLiteral("DataM"), QStringLiteral("A"), QStringLiteral("1")));
        QWidget w;
        WindowPlacement p(&w, QStringLiteral("MainF"));
        p.setIniFile(&ini);
        p.restore();
        p.save(); // reported already: silently nothing
        QVERIFY(QFileInfo(d.ini()).isSymLink());
    }

    void placementRoundTrip() {
        TestDir d;
        IniFile ini(d.ini());
        int pane = 240;
        {
            QWidget w;
            WindowPlacement p(&w, QStringLiteral("MainF"), true);
            p.setIniFile(&ini);
            p.addProperty(QStringLiteral("Panel1_Width"), [&] { return pane; }, [&](int v) { pane = v; });
            p.save(); // never restored: writes nothing
            QVERIFY(!QFile::exists(d.ini()));
            p.restore();
            w.move(100, 50);
            w.resize(700, 400);
            pane = 300;
            p.save();
        }
        const QString t = text(d.ini());
        const QString suffix = WindowPlacement::resolutionSuffix();
        const QStringList keys{QStringLiteral("FormVersion=0"), QStringLiteral("Flags=0"), QStringLiteral("ShowCmd=1"),
                               QStringLiteral("PixelsPerInch="), QStringLiteral("MinMaxPos") + suffix + QStringLiteral("=-1,-1,-1,-1"),
                               QStringLiteral("MinMaxPos=-1,-1,-1,-1"), QStringLiteral("NormPos") + suffix + QStringLiteral("=100,50,800,450"),
                               QStringLiteral("NormPos=100,50,800,450"), QStringLiteral("Visible=0"), QStringLiteral("Panel1_Width=300")};
        int last = -1;
        for (const QString &k : keys) {
            const int at = int(t.indexOf(k));
            QVERIFY2(at > last, qPrintable(k));
            last = at;
        }
        pane = 0;
        QWidget again;
        WindowPlacement p(&again, QStringLiteral("MainF"), true);
        p.setIniFile(&ini);
        p.addProperty(QStringLiteral("Panel1_Width"), [&] { return pane; }, [&](int v) { pane = v; });
        p.restore();
        QCOMPARE(again.pos(), QPoint(100, 50));
        QCOMPARE(again.size(), QSize(700, 400));
        QCOMPARE(pane, 300);
    }

    void placementAtOtherDpiRestoresOnlyStateAndPanes() {
        TestDir d;
        writeBytes(d.ini(), "[MainF]\nPixelsPerInch=1\nNormPos=10,10,500,500\nShowCmd=1\nPanel1_Width=abc\n"
                            "GroupBox1_Height=0x12C\n");
        IniFile ini(d.ini());
        int pane = 240, group = 209;
        QWidget w;
        w.move(5, 5);
        w.resize(300, 200);
        WindowPlacement p(&w, QStringLiteral("MainF"), true);
        p.setIniFile(&ini);
        p.addProperty(QStringLiteral("Panel1_Width"), [&] { return pane; }, [&](int v) { pane = v; });
        p.addProperty(QStringLiteral("GroupBox1_Height"), [&] { return group; }, [&](int v) { group = v; });
        p.restore();
        QCOMPARE(w.size(), QSize(300, 200));
        QCOMPARE(pane, 0); // not an integer
        QCOMPARE(group, 300);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
