#include "core/DateText.h"

#include "core/Names.h"

#include <QLocale>
#include <QRegularExpression>

QString DateText::format() {
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    return f;
}

QString DateText::toText(const QDate &date) { return QLocale().toString(date, format()); }

QDate DateText::fromText(const QString &text) {
    QDate d = QLocale().toDate(text.trimmed(), format());
    if (!d.isValid()) // accept the short forms that drop leading zeros
        d = QLocale().toDate(text.trimmed(), QString(format()).replace(QLatin1String("dd"), QLatin1String("d"))
                                                 .replace(QLatin1String("MM"), QLatin1String("M")));
    return d;
}

QString DateText::periodFilter(const QDate &from, const QDate &to) {
    return Fields::DATE + QStringLiteral(">='") + toText(from) + QStringLiteral("' and ") + Fields::DATE +
           QStringLiteral("<='") + toText(to) + QStringLiteral("'");
}
