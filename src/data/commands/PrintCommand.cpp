#include "data/commands/PrintCommand.h"

#include "core/Names.h"
#include "core/NumberText.h"
#include "core/SaveLeftovers.h"
#include "data/waybill/TankTable.h"
#include "data/waybill/WaybillStore.h"
#include "data/TDM1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>

PrintCommand::PrintCommand(TDM1 &dm)
    : m_dm(dm), m_frd1(QStringLiteral("FRD1"), dm.Orvet()), m_frd2(QStringLiteral("FRD2"), dm.OrvetSost()) {
    m_frd1.setTitle(QStringLiteral("путевого листа"));
    m_frd2.setTitle(QStringLiteral("путевого листа"));
    m_fr1.registerDataSource(&m_frd1);
    m_fr1.registerDataSource(&m_frd2);
    m_fr1.setVariableHandler([this](const QString &name, QVariant &value) { FR1GetValue(name, value); });
    dm.actions().setHandler(Actions::Orvet_Print, [this] { Orvet_PrintExecute(); });
}

void PrintCommand::Orvet_PrintExecute() {
    Table &orvet = m_dm.Orvet();
    if (orvet.isEmpty())
        return;
    Table &days = m_dm.OrvetSost();
    days.setFilter(WaybillStore::dayRowsFilter(orvet.value(Fields::ID).toLongLong()));
    days.setFiltered(true);
    days.first();
    m_fr1.loadFromFile(TemplateFile);
    // Pages are laid out portrait; the preview sets the printer to portrait
    // before it prints. No printer on the system is no reason not to preview.
    m_fr1.setTitle(QStringLiteral("Путевой лист № ") + orvet.asString(Fields::NUMBL));
    m_fr1.showReport();
}

void PrintCommand::FR1GetValue(const QString &name, QVariant &value) const {
    static const QList<QPair<QString, int>> stored{
        {QStringLiteral("Org"), StoredValues::Organizaciya},   {QStringLiteral("OrgAdress"), StoredValues::Adress},
        {QStringLiteral("MarkAuto"), StoredValues::MarkaAvto}, {QStringLiteral("GosNumberAuto"), StoredValues::GosNomer},
        {QStringLiteral("Voditel"), StoredValues::Voditel},    {QStringLiteral("Buhgalter"), StoredValues::GlavBuh},
        {QStringLiteral("Utverjdau"), StoredValues::Utvejdaushiy}, {QStringLiteral("Proveril"), StoredValues::Proveril}};
    for (const auto &[var, index] : stored)
        if (name == var) {
            value = m_dm.FS1().value(index);
            return;
        }
    if (name == QLatin1String("LitrNa100")) {
        const StoredValues &v = m_dm.FS1();
        value = NumberText::general(v.norm() * v.winterFactor());
    } else if (name == QLatin1String("DateAKT")) {
        value = dateAkt(m_dm.Orvet().asDate(Fields::DATE));
    } else {
        detailValue(name, value);
    }
    if (!value.isValid())
        fuelValue(name, value);
}

// Like the details: a template that declares one of these names itself
// keeps printing its own.
void PrintCommand::fuelValue(const QString &name, QVariant &value) const {
    const bool departure = name == QLatin1String("BakVyezd"), basis = name == QLatin1String("NormaOsnovanie");
    if (!(departure || basis || name == QLatin1String("BakVozvrat")) || m_fr1.definesVariable(name))
        return;
    if (basis) {
        const StoredValues &v = m_dm.FS1();
        const QDate date = m_dm.Orvet().asDate(Fields::DATE);
        value = m_dm.surcharges().basis(v.norm(), date.year(), date.month(), v.flag(StoredValues::Winter));
        return;
    }
    const TankLevels tank = TankTable::read(m_dm.OrvetBak(), m_dm.Orvet().value(Fields::ID).toLongLong());
    value = NumberText::general(departure ? tank.departure : tank.arrival);
}

// A template written before these names were answered may declare a
// variable of the same name itself; it keeps printing its own.
void PrintCommand::detailValue(const QString &name, QVariant &value) const {
    static const QList<QPair<QString, int>> details{
        {QStringLiteral("OGRN"), WaybillDetails::OGRN},
        {QStringLiteral("OrgTelefon"), WaybillDetails::Telefon},
        {QStringLiteral("TipAuto"), WaybillDetails::TipTS},
        {QStringLiteral("ModelAuto"), WaybillDetails::ModelTS},
        {QStringLiteral("VodUdost"), WaybillDetails::Udostoverenie},
        {QStringLiteral("VodKategoriya"), WaybillDetails::Kategoriya},
        {QStringLiteral("Medrabotnik"), WaybillDetails::Medrabotnik},
        {QStringLiteral("Mehanik"), WaybillDetails::Mehanik},
        {QStringLiteral("VidPerevozki"), WaybillDetails::VidPerevozki},
        {QStringLiteral("VodUdostSeriya"), WaybillDetails::UdostoverenieSeriya},
        {QStringLiteral("VodUdostData"), WaybillDetails::UdostoverenieData},
        {QStringLiteral("VidSoobsheniya"), WaybillDetails::VidSoobsheniya}};
    const bool dateFrom = name == QLatin1String("DateFrom");
    const bool known =
        dateFrom || name == QLatin1String("DateTo") ||
        std::any_of(details.cbegin(), details.cend(), [&name](const auto &d) { return d.first == name; });
    if (!known || m_fr1.definesVariable(name))
        return;
    for (const auto &[var, index] : details)
        if (name == var) {
            value = m_dm.details().text(index);
            return;
        }
    // Valid for the month of the waybill: from its first day to its last.
    const QDate date = m_dm.Orvet().asDate(Fields::DATE);
    const QDate first(date.year(), date.month(), 1);
    value = dateFrom ? first : first.addMonths(1).addDays(-1);
}

QString PrintCommand::dateAkt(const QDate &firstDay) {
    const QDate last = firstDay.addMonths(1).addDays(-1);
    return QStringLiteral("%1 %2 %3 г.")
        .arg(last.day())
        .arg(QLocale().monthName(last.month(), QLocale::LongFormat))
        .arg(last.year());
}

void PrintCommand::installDefaultTemplate(const QString &directory, const QString &fileName) {
    const QString path = QDir(directory).absoluteFilePath(fileName);
    SaveLeftovers::remove(path); // an install killed in the last run
    // A link, even one pointing nowhere, is the user's: writing through it
    // would put a file wherever it points.
    if (QFile::exists(path) || QFileInfo(path).isSymLink())
        return;
    QFile bundled(QStringLiteral(":/") + fileName);
    if (bundled.open(QIODevice::ReadOnly)) {
        // Whole or not at all: a torn template would count as the user's
        // from then on and never be written again.
        const QByteArray bytes = bundled.readAll();
        QSaveFile out(path);
        if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.flush())
            out.commit();
    }
}
