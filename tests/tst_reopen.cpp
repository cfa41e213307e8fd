#include "Program.h"
#include "TestDir.h"

#include "controls/CalcEdit.h"
#include "core/MemoryData.h"
#include "data/commands/ReopenCommands.h"
#include "data/TDM1.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using M = MemoryData;

// Reopening a stored waybill in the editor and replacing it on Ok, and
// deleting a waybill with its day rows.
class TestReopen : public QObject {
    Q_OBJECT
private:
    using Rows = QList<QVariantList>;

    struct Fixture : Program {

        Fixture() {
            dm.FS1().setValue(StoredValues::Rashodna100km, 10.0);
            dm.FS1().setValue(StoredValues::Winter, false);
            dm.random().seed(7);
        }
        ~Fixture() {
        }
        qint64 trip(const QString &name, double prob = 20) {
            return dm.LPoezd().insertRecord(
                {{}, name, QStringLiteral("09:00"), QStringLiteral("18:00"), prob});
        }
        void receipt(const QDate &date, double litres, double rubles) {
            dm.Chesks().insertRecord({{}, date, litres, rubles});
        }
        // A stored month: weekdays drive `name` for 20.5 km, weekends are days off.
        qint64 waybill(const QDate &first, const QString &name,
                       const QString &number = QStringLiteral("07")) {
            const qint64 id = dm.Orvet().insertRecord({{},
                                                        first,
                                                        number,
                                                        QString::number(first.year()),
                                                        TOrvet_New_F::monthNames().at(first.month() - 1),
                                                        1000.0,
                                                        1.0,
                                                        5.0,
                                                        6.0});
            double reading = 1000;
            for (int d = 1; d <= first.daysInMonth(); ++d) {
                const QString chislo = QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'));
                if (first.addDays(d - 1).dayOfWeek() >= 6) {
                    dm.OrvetSost().insertRecord(
                        {{}, id, chislo, QStringLiteral(""), QStringLiteral(""), QStringLiteral(""), 0.0, 0.0, 0.0, 0.0});
                    continue;
                }
                dm.OrvetSost().insertRecord({{},
                                              id,
                                              chislo,
                                              name,
                                              QStringLiteral("08:30"),
                                              QStringLiteral("17:15"),
                                              reading,
                                              reading + 20.5,
                                              20.5,
                                              2.05});
                reading += 20.5;
            }
            return id;
        }
        Rows headers() { return all(dm.Orvet()); }
        Rows days(qint64 id) {
            dm.OrvetSost().setFilter(QStringLiteral("IDJOIN=") + QString::number(id));
            dm.OrvetSost().setFiltered(true);
            return all(dm.OrvetSost());
        }
        static Rows all(Table &t) {
            Rows rows;
            for (int r = 0; r < t.recordCount(); ++r) {
                QVariantList row;
                for (const FieldDef &f : t.fields())
                    row.append(t.valueAt(r, f.name));
                rows.append(row);
            }
            return rows;
        }
        // Runs the reopening; `inside` sees the filled editor and presses a button.
        void reopen(const std::function<void(TOrvet_New_F *)> &inside) {
            host.expectDialog([inside](QDialog *d) {
                inside(static_cast<TOrvet_New_F *>(d));
                return int(d->result());
            });
            dm.execute(QStringLiteral("New_Orvet_Edit"));
            QCOMPARE(host.pendingDialogs(), 0);
        }
        QString schema(const QString &file) { return dm.database().schemaFor(file); }
    };

    // Day rows without their own ID and IDJOIN, for comparing the contents.
    static Rows contents(const Rows &rows) {
        Rows out;
        for (QVariantList r : rows) {
            r.removeFirst();
            r.removeFirst();
            out.append(r);
        }
        return out;
    }

private slots:
    void initTestCase() { pinRussianLocale(); }

    void emptyListDoesNothing() {
        Fixture f;
        f.dm.execute(QStringLiteral("New_Orvet_Edit"));
        f.dm.execute(QStringLiteral("New_Orvet_Del"));
        QVERIFY(f.host.dialogTitles.isEmpty());
        QVERIFY(f.host.questions.isEmpty());
        QVERIFY(f.host.errors.isEmpty());
    }

    void fillsTheEditorFromTheStoredWaybill() {
        Fixture f;
        const qint64 office = f.trip(QStringLiteral("Офис"));
        f.trip(QStringLiteral("Склад"));
        f.receipt(QDate(2023, 2, 3), 20.5, 1000);
        f.receipt(QDate(2023, 3, 1), 99, 9999); // another month
        f.waybill(QDate(2023, 2, 1), QStringLiteral("Офис"), QStringLiteral("12/А"));
        f.dm.editorState().tripTypeCount = 0;
        f.reopen([&](TOrvet_New_F *ed) {
            QCOMPARE(ed->windowTitle(), QStringLiteral("Редактирование Путевого листа "));
            QCOMPARE(ed->Edit1->text(), QStringLiteral("12/А"));
            QCOMPARE(ed->Edit2->currentText(), QStringLiteral("Февраль"));
            QCOMPARE(ed->Edit3->text(), QStringLiteral("2023"));
            const EditorState &s = f.dm.editorState();
            QCOMPARE(s.startReading, 1000.0);
            QCOMPARE(s.daysInMonth, 28);
            QCOMPARE(s.tripTypeCount, 2);
            QVERIFY(!s.confirmed);

            const MemoryData &rows = *ed->MemoryData1;
            QCOMPARE(rows.recordCount(), 28);
            // 1 February 2023 was a Wednesday; the 4th a Saturday.
            QCOMPARE(rows.rowAt(0)[M::ID].toInt(), int(office));
            QCOMPARE(rows.stringAt(0, M::Chislo), QStringLiteral("01"));
            QCOMPARE(rows.stringAt(0, M::Poezdka), QStringLiteral("Офис"));
            QCOMPARE(rows.stringAt(0, M::VROUT), QStringLiteral("08:30"));
            QCOMPARE(rows.stringAt(0, M::VRIN), QStringLiteral("17:15"));
            QCOMPARE(rows.floatAt(1, M::ProbOut), 1020.5);
            QCOMPARE(rows.floatAt(1, M::ProbIN), 1041.0);
            QCOMPARE(rows.floatAt(1, M::Prob), 20.5);
            QCOMPARE(rows.floatAt(1, M::Rashod), 2.05);
            QCOMPARE(rows.integerAt(3, M::ID), -1);
            QCOMPARE(rows.stringAt(3, M::Chislo), QStringLiteral("04"));
            QVERIFY(rows.valueAt(3, M::Poezdka).toString().isEmpty());
            QVERIFY(rows.valueAt(3, M::Prob).isNull());
            for (int r = 0; r < rows.recordCount(); ++r)
                QVERIFY(rows.valueAt(r, M::Change).isNull());

            // 20 working days of 20.5 km; the end box follows the days, not the stored PROBE.
            QCOMPARE(ed->CalcEdit3->value(), 410.0);
            QCOMPARE(ed->CalcEdit4->value(), 41.0);
            QCOMPARE(ed->Label9->text(), QStringLiteral("20,5"));
            QCOMPARE(ed->CalcEdit1->value(), 1000.0);
            QCOMPARE(ed->CalcEdit2->value(), 1410.0);
            ed->BitBtn2->click();
        });
    }

    void cancelKeepsTheStoredWaybill() {
        Fixture f;
        f.trip(QStringLiteral("Офис"));
        f.waybill(QDate(2023, 1, 1), QStringLiteral("Офис"));
        const qint64 id = f.waybill(QDate(2023, 2, 1), QStringLiteral("Офис"));
        f.dm.Orvet().last();
        const Rows headers = f.headers();
        const Rows days = f.days(id);
        f.reopen([](TOrvet_New_F *ed) {
            ed->Edit1->setText(QStringLiteral("99"));
            ed->BitBtn2->click();
        });
        QCOMPARE(f.headers(), headers);
        QCOMPARE(f.days(id), days);
        QVERIFY(f.host.errors.isEmpty());
    }

    void okReplacesWithNewerWaybill() {
        Fixture f;
        f.trip(QStringLiteral("Офис"));
        const QDate feb(2023, 2, 1);
        f.receipt(feb.addDays(2), 20, 1000);
        const qint64 oldId = f.waybill(feb, QStringLiteral("Офис"));
        const qint64 later = f.waybill(QDate(2023, 3, 1), QStringLiteral("Офис"));
        const Rows oldDays = f.days(oldId);
        // The rubles are summed when the waybill is stored again, not taken from the old header.
        f.receipt(feb.addDays(20), 5, 250.5);
        f.dm.Orvet().first();

        f.reopen([](TOrvet_New_F *ed) { ed->BitBtn1->click(); });
        QVERIFY2(f.host.errors.isEmpty(), qPrintable(f.host.errors.join(' ')));

        const Rows headers = f.headers();
        QCOMPARE(headers.size(), 2);
        QCOMPARE(headers[0][0].toLongLong(), later);
        const QVariantList h = headers[1];
        const qint64 newId = h[0].toLongLong();
        QVERIFY(newId > later);
        QCOMPARE(f.dm.Orvet().currentRow(), 1); // the list stands on the new waybill
        QCOMPARE(h[1].toDate(), feb);
        QCOMPARE(h[2].toString(), QStringLiteral("07"));
        QCOMPARE(h[3].toString(), QStringLiteral("2023"));
        QCOMPARE(h[4].toString(), QStringLiteral("Февраль"));
        QCOMPARE(h[5].toDouble(), 1000.0);
        QCOMPARE(h[6].toDouble(), 1410.0);
        QCOMPARE(h[7].toDouble(), 1250.5);
        QCOMPARE(h[8].toDouble(), 41.0);
        QVERIFY(f.days(oldId).isEmpty());
        QCOMPARE(contents(f.days(newId)), contents(oldDays));
        QCOMPARE(f.days(newId).first().at(1).toLongLong(), newId);
    }

    void unknownTripsSurviveReopening() {
        Fixture f;
        f.trip(QStringLiteral("Офис"));
        const qint64 store = f.trip(QStringLiteral("Склад"));
        const qint64 id = f.waybill(QDate(2023, 2, 1), QStringLiteral("Склад"));
        // Day 2: a trip typed freely; day 3: a name that differs in case only.
        f.dm.database().write(QStringLiteral("UPDATE \"%1\".OrvetSost SET CEL = ? WHERE CHISLO = '02'")
                                  .arg(f.schema(QStringLiteral("OrvetSost.db"))),
                              {QStringLiteral("В банк и обратно")});
        f.dm.database().write(QStringLiteral("UPDATE \"%1\".OrvetSost SET CEL = ? WHERE CHISLO = '03'")
                                  .arg(f.schema(QStringLiteral("OrvetSost.db"))),
                              {QStringLiteral("офис")});
        // A stored day with a distance but no trip is no day off either.
        f.dm.database().write(QStringLiteral("UPDATE \"%1\".OrvetSost SET CEL = '' WHERE CHISLO = '06'")
                                  .arg(f.schema(QStringLiteral("OrvetSost.db"))));
        f.dm.OrvetSost().invalidate();
        f.dm.LPoezd().locate(QStringLiteral("ID"), store);
        f.dm.LPoezd().deleteCurrent();
        const Rows before = f.days(id);

        f.reopen([&](TOrvet_New_F *ed) {
            const MemoryData &rows = *ed->MemoryData1;
            for (int r : {0, 1, 2, 5}) {
                QCOMPARE(rows.integerAt(r, M::ID), 0);
                QCOMPARE(rows.floatAt(r, M::Prob), 20.5);
                QCOMPARE(rows.floatAt(r, M::Rashod), 2.05);
                QCOMPARE(rows.stringAt(r, M::VROUT), QStringLiteral("08:30"));
            }
            QCOMPARE(rows.stringAt(1, M::Poezdka), QStringLiteral("В банк и обратно"));
            QCOMPARE(rows.stringAt(2, M::Poezdka), QStringLiteral("офис"));
            QCOMPARE(rows.stringAt(5, M::Poezdka), QString());
            QCOMPARE(rows.integerAt(3, M::ID), -1);
            QCOMPARE(ed->CalcEdit3->value(), 410.0);

            // The chain counts such a day, the fitting leaves it alone.
            f.dm.execute(QStringLiteral("New_Orvet_Recalk_List"));
            QCOMPARE(rows.floatAt(1, M::ProbOut), 1020.5);
            QCOMPARE(rows.floatAt(2, M::ProbOut), 1041.0);
            QCOMPARE(rows.stringAt(1, M::Poezdka), QStringLiteral("В банк и обратно"));
            QCOMPARE(rows.floatAt(1, M::Prob), 20.5);
            QCOMPARE(ed->CalcEdit3->value(), 410.0);

            // The day editor opens on it.
            QString shownDay;
            f.host.expectDialog([&shownDay](QDialog *d) {
                shownDay = static_cast<TOrvet_New_Day_N_F *>(d)->Edit1->text();
                return int(QDialog::Rejected);
            });
            ed->MemoryData1->setCurrentRow(1);
            f.dm.execute(QStringLiteral("New_Orvet_Day_Edit"));
            QCOMPARE(shownDay, QStringLiteral("02"));
            ed->BitBtn1->click();
        });
        QVERIFY(f.host.errors.isEmpty());
        const Rows headers = f.headers();
        QCOMPARE(contents(f.days(headers.last()[0].toLongLong())), contents(before));
    }

    // A reading, distance or fuel another program wrote as text is no 0:
    // the reopening stops with the engine's message, the days stay stored.
    void unreadableDayValuesStopTheReopening_data() {
        QTest::addColumn<QString>("column");
        for (const char *c : {"SPROBS", "SPROBE", "PROB", "RASHOD"})
            QTest::newRow(c) << QString::fromLatin1(c);
    }
    void unreadableDayValuesStopTheReopening() {
        QFETCH(QString, column);
        Fixture f;
        const qint64 id = f.waybill(QDate(2023, 2, 1), QStringLiteral("Офис"));
        f.dm.database().write(QStringLiteral("UPDATE \"%1\".OrvetSost SET %2 = '12,5' WHERE CHISLO = '02'")
                                 .arg(f.schema(QStringLiteral("OrvetSost.db")), column));
        f.dm.OrvetSost().invalidate();
        const Rows before = f.days(id);
        f.host.expectDialog([](QDialog *) { return int(QDialog::Rejected); });
        f.dm.execute(QStringLiteral("New_Orvet_Edit"));
        f.host.forgetScripts();
        QCOMPARE(f.host.errors.size(), 1);
        QVERIFY2(f.host.errors.first().startsWith(
                     QStringLiteral("OrvetSost: '12,5' is not a valid floating point value")),
                 qPrintable(f.host.errors.first()));
        QCOMPARE(f.days(id), before);
    }

    void withoutTripTypesEveryDayKeepsItsValues() {
        Fixture f;
        const qint64 id = f.waybill(QDate(2023, 2, 1), QStringLiteral("Офис"));
        const Rows before = f.days(id);
        f.reopen([](TOrvet_New_F *ed) {
            QCOMPARE(ed->MemoryData1->integerAt(0, M::ID), 0);
            QCOMPARE(ed->MemoryData1->integerAt(3, M::ID), -1);
            ed->BitBtn1->click();
        });
        QCOMPARE(f.dm.editorState().tripTypeCount, 0);
        QCOMPARE(contents(f.days(f.headers().last()[0].toLongLong())), contents(before));
    }

    void failedWritingLeavesTheOldWaybill() {
        Fixture f;
        f.trip(QStringLiteral("Офис"));
        const qint64 id = f.waybill(QDate(2023, 2, 1), QStringLiteral("Офис"));
        const Rows headers = f.headers();
        const Rows days = f.days(id);
        // The day rows refuse to be written, after the old ones were deleted
        // and the new header was written in the same transaction.
        f.dm.database().exec(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE INSERT ON \"%1\".OrvetSost "
                                             "BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                                  .arg(f.schema(QStringLiteral("OrvetSost.db"))));
        f.reopen([](TOrvet_New_F *ed) { ed->BitBtn1->click(); });
        QCOMPARE(f.host.errors.size(), 1);
        QVERIFY(f.host.errors.first().contains(QStringLiteral("disk full")));
        QVERIFY(!f.dm.database().inTransaction());
        QCOMPARE(f.headers(), headers);
        QCOMPARE(f.days(id), days);
    }

    void deleteAsksFirst() {
        Fixture f;
        const qint64 id = f.waybill(QDate(2023, 2, 1), QStringLiteral("Офис"));
        const Rows days = f.days(id);
        f.host.answerConfirm(false);
        f.dm.execute(QStringLiteral("New_Orvet_Del"));
        QCOMPARE(f.host.questions,
                 QStringList{QStringLiteral("Вы действительно отите удалить путевой лист?")});
        QCOMPARE(f.headers().size(), 1);
        QCOMPARE(f.days(id), days);
    }

    void deleteRemovesRowsThenHeader() {
        Fixture f;
        const qint64 first = f.waybill(QDate(2023, 1, 1), QStringLiteral("Офис"));
        const qint64 second = f.waybill(QDate(2023, 2, 1), QStringLiteral("Офис"));
        const qint64 third = f.waybill(QDate(2023, 3, 1), QStringLiteral("Офис"));
        Database &db = f.dm.database();
        db.exec(QStringLiteral("CREATE TEMP TABLE deleted (what TEXT)"));
        db.exec(QStringLiteral("CREATE TEMP TRIGGER dayGone AFTER DELETE ON \"%1\".OrvetSost "
                               "BEGIN INSERT INTO deleted VALUES ('day'); END")
                    .arg(f.schema(QStringLiteral("OrvetSost.db"))));
        db.exec(QStringLiteral("CREATE TEMP TRIGGER headerGone AFTER DELETE ON \"%1\".Orvet "
                               "BEGIN INSERT INTO deleted VALUES ('header'); END")
                    .arg(f.schema(QStringLiteral("Orvet.db"))));

        f.dm.Orvet().setCurrentRow(1);
        f.host.answerConfirm(true);
        f.dm.execute(QStringLiteral("New_Orvet_Del"));
        QSqlQuery q = db.exec(QStringLiteral("SELECT what FROM temp.deleted ORDER BY rowid"));
        QStringList order;
        while (q.next())
            order.append(q.value(0).toString());
        QCOMPARE(order, QStringList(28, QStringLiteral("day")) + QStringList{QStringLiteral("header")});
        QVERIFY(f.days(second).isEmpty());
        QCOMPARE(f.days(first).size(), 31);
        // The selection moves on to the next waybill, and from the last one back.
        QCOMPARE(f.dm.Orvet().value(QStringLiteral("ID")).toLongLong(), third);
        f.host.answerConfirm(true);
        f.dm.execute(QStringLiteral("New_Orvet_Del"));
        QCOMPARE(f.dm.Orvet().value(QStringLiteral("ID")).toLongLong(), first);
        QCOMPARE(f.headers().size(), 1);
    }

    void failedDeletionKeepsTheRows() {
        Fixture f;
        const qint64 id = f.waybill(QDate(2023, 2, 1), QStringLiteral("Офис"));
        const Rows days = f.days(id);
        f.dm.database().exec(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE DELETE ON \"%1\".Orvet "
                                             "BEGIN SELECT RAISE(ABORT, 'locked'); END")
                                  .arg(f.schema(QStringLiteral("Orvet.db"))));
        f.host.answerConfirm(true);
        f.dm.execute(QStringLiteral("New_Orvet_Del"));
        QCOMPARE(f.host.errors.size(), 1);
        QCOMPARE(f.headers().size(), 1);
        QCOMPARE(f.days(id), days);
    }
};

QTEST_MAIN(TestReopen)
#include "tst_reopen.moc"
