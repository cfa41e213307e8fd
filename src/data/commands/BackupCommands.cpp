#include "data/commands/BackupCommands.h"

#include "core/DialogHost.h"
#include "core/Names.h"
#include "core/OrvetError.h"
#include "data/TDM1.h"
#include "data/backup/BackupFolder.h"
#include "data/backup/BackupWriter.h"
#include "data/backup/CopyCheck.h"
#include "data/backup/TableRestore.h"
#include "data/commands/PrintCommand.h"
#include "forms/TRestore_F.h"
#include "settings/BackupSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {
bool allOpen(const QList<Table *> &tables) {
    for (const Table *t : tables)
        if (!t->isOpen())
            return false;
    return true;
}

QString shownName(const QString &name) {
    const QDate day = BackupFolder::dayOf(name);
    QString text = day.toString(QStringLiteral("dd.MM.yyyy"));
    if (name.size() > 10)
        text += QLatin1Char(' ') + name.mid(11).replace(QLatin1Char('-'), QLatin1Char(':')) +
                QStringLiteral(" (перед восстановлением)");
    return text;
}
} // namespace

BackupCommands::BackupCommands(TDM1 &dm) : m_dm(dm) {
    m_dm.actions().setHandler(Actions::Backup_Daily, [this] { Backup_DailyExecute(); });
    m_dm.actions().setHandler(Actions::Restore_Backup, [this] { Restore_BackupExecute(); });
}

BackupCommands::~BackupCommands() = default;

QString BackupCommands::folder() const {
    return BackupSettings::resolve(m_dm.database().directory(), BackupSettings(&m_dm.iniFile()).folder());
}

QStringList BackupCommands::otherFiles() const {
    return {m_dm.iniFile().path(),
            QDir(m_dm.database().directory()).absoluteFilePath(PrintCommand::TemplateFile)};
}

// The four tables and the tank levels beside them: a copy restored without
// the levels would give its waybills those of the present file.
QList<Table *> BackupCommands::copiedTables() const {
    return m_dm.tables() << &m_dm.OrvetBak();
}

QStringList BackupCommands::tableFiles(const QList<Table *> &tables) const {
    QStringList files;
    for (const Table *t : tables)
        files.append(t->fileName());
    return files;
}

void BackupCommands::Backup_DailyExecute() {
    if (m_dailyDone)
        return;
    m_dailyDone = true;
    // A table refused as damaged is not copied: the copy would push a good
    // one out of those kept.
    if (!BackupSettings(&m_dm.iniFile()).enabled() || !allOpen(copiedTables()))
        return;
    makeDaily(QDate::currentDate());
}

void BackupCommands::makeDaily(const QDate &today) {
    const BackupFolder copies(folder());
    try {
        // Set by hand in the settings file: the dialog refuses it.
        if (const QString refused =
                BackupSettings::refusal(m_dm.database().directory(), BackupSettings(&m_dm.iniFile()).folder());
            !refused.isEmpty())
            throw OrvetError(refused);
        // What a copy cut short by a kill left goes at the next start, be a
        // copy due or not (the one made before a restore is not a daily one).
        copies.removeLeftovers();
        if (copies.hasDaily(today))
            return;
        const QString name = BackupFolder::dailyName(today);
        BackupWriter::write(m_dm.database(), copiedTables(), otherFiles(), copies.path(), name);
        copies.prune(today, name);
    } catch (const OrvetError &e) {
        DialogHost::instance().showError(
            QStringLiteral("Не удалось сделать резервную копию таблиц в папке %1: %2\n"
                           "Таблицы не затронуты, работу можно продолжать. Папку резервных копий можно "
                           "выбрать в настройках")
                .arg(QDir::toNativeSeparators(copies.path()), e.message()));
    }
}

void BackupCommands::Restore_BackupExecute() {
    const BackupFolder copies(folder());
    QStringList names = copies.list();
    std::reverse(names.begin(), names.end());
    if (names.isEmpty()) {
        DialogHost::instance().showMessage(
            QStringLiteral("В папке %1 нет резервных копий.").arg(QDir::toNativeSeparators(copies.path())));
        return;
    }
    const CopyCheck::TableSpec waybills = CopyCheck::specsOf({&m_dm.Orvet()}).constFirst();
    QList<TRestore_F::Row> rows;
    for (const QString &name : std::as_const(names)) {
        TRestore_F::Row row{shownName(name), QString(), QString()};
        try {
            const CopyCheck::Summary s = CopyCheck::summary(copies.pathOf(name), waybills);
            row.waybills = QString::number(s.waybills);
            if (s.waybills > 0)
                row.last = QStringLiteral("%1 %2, № %3").arg(s.lastMonth, s.lastYear, s.lastNumber);
        } catch (const OrvetError &) {
            row.waybills = QStringLiteral("—");
            row.last = QStringLiteral("копия повреждена");
        }
        rows.append(row);
    }
    if (!m_form)
        m_form = std::make_unique<TRestore_F>();
    m_form->setRows(rows);
    if (DialogHost::instance().execDialog(m_form.get()) != QDialog::Accepted || m_form->chosen() < 0)
        return;
    const int chosen = m_form->chosen();
    restoreFrom(names.at(chosen), rows.at(chosen).date);
}

void BackupCommands::restoreFrom(const QString &name, const QString &shown) {
    const BackupFolder copies(folder());
    // A copy made before the tank levels were kept restores the four
    // tables alone; the levels' file stays as it is.
    QList<Table *> restored = m_dm.tables();
    if (QFileInfo::exists(QDir(copies.pathOf(name)).filePath(m_dm.OrvetBak().fileName())))
        restored << &m_dm.OrvetBak();
    const QList<CopyCheck::TableSpec> specs = CopyCheck::specsOf(restored);
    try {
        CopyCheck::check(copies.pathOf(name), specs);
    } catch (const OrvetError &e) {
        throw OrvetError(QStringLiteral("Резервную копию %1 нельзя восстановить: %2. Таблицы не изменены")
                             .arg(name, e.message()));
    }
    if (!DialogHost::instance().ask(
            QStringLiteral("Нынешние таблицы будут сохранены в отдельной резервной копии. Заменить все "
                           "таблицы резервной копией от %1?")
                .arg(shown)))
        return;

    // The present tables first, so that the restore itself can be undone.
    QDateTime now = QDateTime::currentDateTime();
    while (QFileInfo::exists(copies.pathOf(BackupFolder::timedName(now))))
        now = now.addSecs(1);
    try {
        BackupWriter::write(m_dm.database(), copiedTables(), otherFiles(), copies.path(),
                            BackupFolder::timedName(now), allOpen(copiedTables()));
    } catch (const OrvetError &e) {
        throw OrvetError(QStringLiteral("Не удалось сохранить нынешние таблицы в резервной копии: %1. "
                                        "Восстановление отменено, таблицы не изменены")
                             .arg(e.message()));
    }

    const TableRestore restore(m_dm.database().directory());
    const QStringList files = tableFiles(restored);
    try {
        restore.stage(copies.pathOf(name), files);
        CopyCheck::check(restore.stagePath(), specs); // what was copied, not only what was read
    } catch (const OrvetError &e) {
        restore.discard();
        throw OrvetError(QStringLiteral("Резервную копию %1 не удалось подготовить: %2. Таблицы не изменены")
                             .arg(name, e.message()));
    }
    m_dm.closeTables();
    try {
        restore.commit(files);
    } catch (const OrvetError &e) {
        if (QFileInfo::exists(restore.markerPath()))
            throw OrvetError(e.message() + QStringLiteral(". Перезапустите программу"));
        m_dm.reopenTables();
        throw OrvetError(e.message() + QStringLiteral(". Таблицы не изменены"));
    }
    m_dm.reopenTables();
    DialogHost::instance().showMessage(
        QStringLiteral("Таблицы восстановлены из резервной копии от %1.").arg(shown));
}
