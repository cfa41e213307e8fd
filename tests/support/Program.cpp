#include "Program.h"

#include "core/MemoryData.h"
#include "core/Names.h"
#include "data/commands/BackupCommands.h"
#include "data/table/Table.h"
#include "FileFaults.h"
#include "forms/TOrvet_New_F.h"

#include <QCoreApplication>

Program::Program(const QString &folder, const std::function<void(const QString &)> &prepare)
    : m_folder(folder.isEmpty() ? m_own.path() : folder), m_prepared(((prepare ? prepare(m_folder) : void()), true)),
      dm(m_folder, ini()), m_forms(dm, &mainForm) {
    if (!dailyBackups)
        dm.backupCommands().skipDaily();
    mainForm.setDataModule(&dm);
    m_forms.make();
}

Program::~Program() { mainForm.hide(); }

void Program::show() {
    mainForm.show();
    QCoreApplication::processEvents();
}

TOrvet_New_F &Program::editor() { return *dm.Orvet_New_F(); }
TOrvet_New_Day_N_F &Program::day() { return *dm.Orvet_New_Day_N_F(); }
TOptions_F &Program::options() { return *dm.Options_F(); }
TChesk_New_F &Program::receipt() { return *dm.Chesk_New_F(); }
TPoezd_New_F &Program::tripType() { return *dm.Poezd_New_F(); }
MemoryData &Program::rows() { return *editor().MemoryData1; }

qint64 Program::addTrip(const QString &name, double prob, const QString &out, const QString &in) {
    return dm.LPoezd().insertRecord({QVariant(), name, out, in, prob});
}

void Program::addReceipt(const QDate &date, double litres, double rubles) {
    dm.Chesks().insertRecord({QVariant(), date, litres, rubles});
}

void Program::setNorm(double norm, bool winter) {
    dm.FS1().setValue(StoredValues::Rashodna100km, norm);
    dm.FS1().setValue(StoredValues::Winter, winter);
}

void Program::setPeriod(int year, int month) {
    const QDate from(year, month, 1);
    dm.setPeriod(from, from.addMonths(1).addDays(-1));
}

namespace {
void confirmEditor(ScriptedDialogHost &host, const std::function<void(TOrvet_New_F &)> &edit = {}) {
    host.expectDialog([edit](QDialog *d) {
        if (edit)
            edit(*static_cast<TOrvet_New_F *>(d));
        static_cast<TOrvet_New_F *>(d)->BitBtn1Click();
        return int(QDialog::Accepted);
    });
}

QString takeErrors(ScriptedDialogHost &host) {
    const QString e = host.errors.join(QLatin1Char(' '));
    host.errors.clear();
    host.forgetScripts(); // what a command that failed early left unused
    return e;
}
} // namespace

QString Program::storeNew(int year, int month) {
    setPeriod(year, month);
    confirmEditor(host);
    dm.execute(Actions::New_Orvet);
    return takeErrors(host);
}

QString Program::storeNew(int year, int month, const std::function<void(TOrvet_New_F &)> &edit) {
    setPeriod(year, month);
    confirmEditor(host, edit);
    dm.execute(Actions::New_Orvet);
    return takeErrors(host);
}

QString Program::replaceLast() {
    dm.Orvet().last();
    confirmEditor(host);
    dm.execute(Actions::New_Orvet_Edit);
    return takeErrors(host);
}

QString Program::deleteLast() {
    dm.Orvet().last();
    host.answerConfirm(true);
    dm.execute(Actions::New_Orvet_Del);
    return takeErrors(host);
}

QStringList Program::snapshot() const {
    OtherConnection other(file(TableFiles::Orvet));
    other.exec(QStringLiteral("ATTACH DATABASE '%1' AS s").arg(file(TableFiles::OrvetSost)));
    return other.rows(QStringLiteral("SELECT * FROM \"Orvet\" ORDER BY \"ID\"")) +
           other.rows(QStringLiteral("SELECT * FROM s.\"OrvetSost\" ORDER BY \"ID\""));
}

int *Program::count(const QString &action) {
    auto counter = std::make_shared<int>(0);
    dm.actions().setHandler(action, [counter] { ++*counter; });
    m_counters.append(counter);
    return counter.get();
}

QString readEveryRow(TDM1 &dm) {
    for (Table *t : dm.tables()) {
        if (!t->isOpen())
            return QStringLiteral("table %1 is not open").arg(t->fileName());
        t->setFiltered(false);
        for (int r = 0; r < t->recordCount(); ++r)
            for (const FieldDef &f : t->fields())
                t->valueAt(r, f.name);
    }
    return QString();
}
