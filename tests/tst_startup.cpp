#include "ScriptedDialogHost.h"
#include "TestDir.h"
#include "core/ErrorBoundary.h"

#include "data/TDM1.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

// The data module's start: tables created when missing, opened, stored
// values read; a failure is shown and start-up goes on.
class TestStartup : public QObject {
    Q_OBJECT
private:
    static const QStringList &files() {
        static const QStringList f{QStringLiteral("Orvet.db"), QStringLiteral("OrvetSost.db"),
                                   QStringLiteral("Chesks.db"), QStringLiteral("LPoezd.db")};
        return f;
    }
    static QStringList columnsOf(const QString &file, const QString &table) {
        QStringList cols;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
            db.setDatabaseName(file);
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
            while (q.next())
                cols << q.value(1).toString();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("peek"));
        return cols;
    }

private slots:
    void initTestCase() { pinRussianLocale(); }

    void emptyFolderGetsFourTablesAndDefaults() {
        TestDir d;
        ScriptedDialogHost host;
        TDM1 dm(d.path(), d.ini());
        QVERIFY(host.errors.isEmpty());
        for (const QString &f : files())
            QVERIFY2(QFile::exists(d.file(f)), qPrintable(f));
        QCOMPARE(
            columnsOf(d.file(QStringLiteral("Orvet.db")), QStringLiteral("Orvet")),
            (QStringList{"ID", "DATE", "NUMBL", "YEAR", "MOUNTH", "PROBB", "PROBE", "SUMRUB", "SUMLITR"}));
        QCOMPARE(columnsOf(d.file(QStringLiteral("OrvetSost.db")), QStringLiteral("OrvetSost")),
                 (QStringList{"ID", "IDJOIN", "CHISLO", "CEL", "VROUT", "VRIN", "SPROBS", "SPROBE", "PROB",
                              "RASHOD"}));
        QCOMPARE(columnsOf(d.file(QStringLiteral("Chesks.db")), QStringLiteral("Chesks")),
                 (QStringList{"ID", "DATE", "LITRS", "SUMRUB"}));
        QCOMPARE(columnsOf(d.file(QStringLiteral("LPoezd.db")), QStringLiteral("LPoezd")),
                 (QStringList{"ID", "NAME", "TOUT", "TIN", "PROB"}));
        for (Table *t : dm.tables()) {
            QVERIFY(t->isOpen());
            QVERIFY(t->isEmpty());
        }
        QCOMPARE(dm.FS1().text(StoredValues::Proveril), QStringLiteral("Главный бухгалтер"));
        QVERIFY(!QFile::exists(d.ini())); // reading creates no settings file
    }

    void existingTablesAreKept() {
        TestDir d;
        {
            TDM1 first(d.path(), d.ini());
            first.LPoezd().insertRecord(
                {{}, QStringLiteral("Офис"), QStringLiteral("09:00"), QStringLiteral("18:00"), 12});
        }
        QVERIFY(QFile::remove(d.file(QStringLiteral("Chesks.db"))));
        const QByteArray before = [&] {
            QFile f(d.file(QStringLiteral("LPoezd.db")));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        ScriptedDialogHost host;
        TDM1 dm(d.path(), d.ini());
        QVERIFY(host.errors.isEmpty());
        QVERIFY(QFile::exists(d.file(QStringLiteral("Chesks.db"))));
        QCOMPARE(dm.LPoezd().recordCount(), 1);
        QCOMPARE(dm.LPoezd().asString(QStringLiteral("NAME")), QStringLiteral("Офис"));
        QFile f(d.file(QStringLiteral("LPoezd.db")));
        f.open(QIODevice::ReadOnly);
        QCOMPARE(f.readAll(), before); // opened, not altered
    }

    void anotherFolderSharesTheSettingsFile() {
        TestDir a, b, cfg;
        {
            TDM1 dm(a.path(), cfg.ini());
            dm.FS1().setValue(StoredValues::Voditel, QStringLiteral("Сидоров"));
            dm.FS1().writeAll();
            dm.LPoezd().insertRecord({{}, QStringLiteral("x"), QString(), QString(), 1});
        }
        TDM1 dm(b.path(), cfg.ini());
        QCOMPARE(dm.FS1().text(StoredValues::Voditel), QStringLiteral("Сидоров"));
        QVERIFY(dm.LPoezd().isEmpty()); // a new set of tables there
    }

    void defaultSettingsPathFollowsXdg() {
        QVERIFY(IniFile::defaultPath().endsWith(QStringLiteral("/Orvet.ini")));
        QVERIFY(IniFile::defaultPath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    }

    void badTableFileIsShownAndStartGoesOn() {
        TestDir d;
        {
            QFile junk(d.file(QStringLiteral("Chesks.db")));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write("this is not a database, just some text that fills a page " + QByteArray(2000, '.'));
        }
        ScriptedDialogHost host;
        TDM1 dm(d.path(), d.ini());
        QCOMPARE(host.errors.size(), 1);
        // Said as the user guide says it, not in the engine's words alone.
        QVERIFY2(host.errors[0].startsWith(QStringLiteral("Файл Chesks.db не является таблицей")),
                 qPrintable(host.errors[0]));
        QVERIFY(dm.Orvet().isOpen());
        QVERIFY(dm.OrvetSost().isOpen());
        QVERIFY(!dm.Chesks().isOpen());
        QVERIFY(!dm.LPoezd().isOpen()); // after the failing one: closed
        QCOMPARE(QFileInfo(d.file(QStringLiteral("Chesks.db"))).size(), qint64(57 + 2000)); // untouched
        // Its list shows nothing; reading and writing it are errors.
        QCOMPARE(dm.Chesks().rowCount(), 0);
        QVERIFY(!ErrorBoundary::guarded([&] { dm.Chesks().isEmpty(); }));
        QVERIFY(!ErrorBoundary::guarded([&] { dm.Chesks().insertRecord({{}, QDate(2024, 1, 1), 1, 1}); }));
        QVERIFY(host.errors.last().contains(QStringLiteral("closed dataset")));
    }

    void tableMissingAColumn() {
        TestDir d;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
            db.setDatabaseName(d.file(QStringLiteral("Orvet.db")));
            db.open();
            QSqlQuery(db).exec(
                QStringLiteral("CREATE TABLE Orvet (ID INTEGER PRIMARY KEY, DATE DATE, NUMBL VARCHAR(32))"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("make"));
        ScriptedDialogHost host;
        TDM1 dm(d.path(), d.ini());
        QCOMPARE(host.errors.size(), 1);
        QVERIFY2(host.errors[0].contains(QStringLiteral("YEAR")), qPrintable(host.errors[0]));
        QVERIFY(host.errors[0].contains(QStringLiteral("Orvet.db")));
    }

    void folderThatCannotBeWritten() {
        // Even root cannot create files under /proc.
        ScriptedDialogHost host;
        TDM1 dm(QStringLiteral("/proc/self/fdinfo"), QString());
        QCOMPARE(host.errors.size(), 1);
        QVERIFY2(host.errors[0].contains(QStringLiteral("Orvet.db")), qPrintable(host.errors[0]));
        for (Table *t : dm.tables())
            QVERIFY(!t->isOpen());
        QCOMPARE(dm.FS1().number(StoredValues::Rashodna100km), 0.0); // defaults stand
    }

    void errorDisplayAddsFullStop() {
        QCOMPARE(DialogHost::errorText(QStringLiteral("Floating point division by zero")),
                 QStringLiteral("Floating point division by zero."));
        QCOMPARE(DialogHost::errorText(QStringLiteral("Готово.")), QStringLiteral("Готово."));
        QCOMPARE(DialogHost::errorText(QStringLiteral("Внимание!")), QStringLiteral("Внимание!"));
        QCOMPARE(DialogHost::errorText(QStringLiteral("Ошибка в файле")), QStringLiteral("Ошибка в файле."));
    }

    void everyCommandIsRegistered() {
        TestDir d;
        TDM1 dm(d.path(), d.ini());
        const QList<std::tuple<const char *, const char *, const char *, int>> expected{
            {"New_Orvet", "Orvet", "Новый путевой лист", 3},
            {"New_Orvet_Edit", "Orvet", "Редактировать путевой лист", 9},
            {"New_Orvet_Del", "Orvet", "Удалить путевой лист", 0},
            {"Orvet_Print", "Orvet", "Печать", 10},
            {"New_Orvet_Mark_HDay", "Orvet", "Пометить - как выходной", 6},
            {"New_Orvet_Mark_RDay", "Orvet", "Рабочий день", 7},
            {"New_Orvet_Recalk_List", "Orvet", "Пересчитать", 4},
            {"New_Orvet_Day_Edit", "Orvet", "Редактировать", 2},
            {"Enter_chesk", "Chesks", "Ввести чек", 1},
            {"Delete_chesk", "Chesks", "Удалить чек", 0},
            {"NamePoezd_new", "Poezdki", "Новый тип поездки", 2},
            {"NamePoezd_Del", "Poezdki", "Удалить поездку", 0},
            {"Options_Main", "Options", "Настройки", 5}};
        for (const auto &[name, category, caption, image] : expected) {
            QAction *a = dm.action(QString::fromLatin1(name));
            QCOMPARE(a->property("category").toString(), QString::fromLatin1(category));
            QCOMPARE(a->text(), QString::fromUtf8(caption));
            QCOMPARE(a->property("imageIndex").toInt(), image);
            QVERIFY(!a->icon().isNull());
        }
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
