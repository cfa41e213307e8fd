#include "data/waybill/ProductionCalendar.h"

#include "core/OrvetError.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

ProductionCalendar ProductionCalendar::load(const QString &directory) {
    ProductionCalendar calendar;
    QFile builtIn(QStringLiteral(":/production-calendar.txt"));
    if (!builtIn.open(QIODevice::ReadOnly))
        throw OrvetError(QStringLiteral("Не найден встроенный производственный календарь"));
    calendar.read(QString::fromUtf8(builtIn.readAll()), builtIn.fileName());
    QFile own(QDir(directory).filePath(FileName));
    if (own.exists()) {
        // A calendar is a few hundred lines; anything far larger is not one.
        if (own.size() > 1024 * 1024 || !own.open(QIODevice::ReadOnly))
            throw OrvetError(QStringLiteral("Не удаётся прочитать файл календаря %1")
                                 .arg(QDir::toNativeSeparators(own.fileName())));
        calendar.read(QString::fromUtf8(own.readAll()), QDir::toNativeSeparators(own.fileName()));
    }
    return calendar;
}

void ProductionCalendar::read(const QString &text, const QString &source) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(blanks);
        const QDate date = QDate::fromString(parts.value(0), QStringLiteral("dd.MM.yyyy"));
        const QString kind = parts.value(1).toLower();
        const bool working = kind == QStringLiteral("рабочий");
        if (parts.size() != 2 || !date.isValid() || (!working && kind != QStringLiteral("выходной")))
            throw OrvetError(QStringLiteral("Календарь %1, строка %2: «%3» - ожидается дата и слово "
                                            "«выходной» или «рабочий», например «01.01.2028 выходной»")
                                 .arg(source)
                                 .arg(i + 1)
                                 .arg(line.left(60)));
        m_days.insert(date, working);
        m_years.insert(date.year());
    }
}

bool ProductionCalendar::isWorkingDay(const QDate &date) const {
    const auto listed = m_days.constFind(date);
    if (listed != m_days.cend())
        return *listed;
    return date.dayOfWeek() <= 5;
}
