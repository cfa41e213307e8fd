#include "data/statement/StatementReceipts.h"

#include "core/OrvetError.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace {
// Amounts as a key: stored values went through a double, so they are
// compared to a thousandth, finer than any litre or kopeck.
QString keyOf(const StatementReceipts::Receipt &r) {
    return QStringLiteral("%1|%2|%3")
        .arg(r.date.toJulianDay())
        .arg(std::llround(r.litres * 1000))
        .arg(std::llround(r.rubles * 1000));
}

// A total, a subtotal or the statement's last line: its label may sit in
// any column ("Итог:" under the amounts of a shifted last row).
bool isTotal(const StatementRow &row) {
    static const QRegularExpression label(QStringLiteral("^(итого|итоги|итог|всего)(\\W|$)"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::UseUnicodePropertiesOption);
    for (qsizetype c = 0; c < row.cells.size(); ++c) {
        if (row.cells.at(c).typeId() != QMetaType::QString)
            continue;
        // Most cells are ruled out by their first letter, without the pattern.
        const QString text = row.text(c);
        const QChar first = text.isEmpty() ? QChar() : text.at(0).toLower();
        if ((first == QChar(u'и') || first == QChar(u'в')) && label.match(text).hasMatch())
            return true;
    }
    return false;
}

// The number of a line that opens a card's block ("Карта № 7826 0101 0012
// 3456 — Иванов И. И."); null for any other row.
QString cardLine(const StatementRow &row) {
    static const QRegularExpression opening(
        QStringLiteral("^(?:по )?карт[аеы]\\s*(?:№|N|#|No\\.?)?\\s*([0-9*xх][0-9*xх \\x{00A0}-]*[0-9*xх])"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    for (qsizetype c = 0; c < row.cells.size(); ++c) {
        const QString text = row.text(c);
        if (text.isEmpty())
            continue;
        const QChar first = text.at(0).toLower();
        if (first != QChar(u'к') && first != QChar(u'п')) // most rows, without the pattern
            return {};
        const auto m = opening.match(text);
        return m.hasMatch() ? m.captured(1).simplified() : QString();
    }
    return {};
}

// Cards compared by their digits and masks: "7826 0101" is "78260101".
QString cardKey(const QString &card) {
    static const QRegularExpression apart(QStringLiteral("[\\s\\p{Zs}-]"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    QString key = card;
    key.remove(apart);
    return key.toUpper();
}

bool repeatsHeader(const StatementRow &row, const StatementRow &header) {
    if (row.cells.size() != header.cells.size())
        return false;
    for (qsizetype c = 0; c < row.cells.size(); ++c)
        if (row.text(c) != header.text(c))
            return false;
    return true;
}

// A cell quoted in a message: a short part of a long one.
QString quoted(const QString &text) {
    return text.size() > 40 ? text.left(40) + QStringLiteral("…") : text;
}

[[noreturn]] void unreadable(const StatementTable &table, const StatementRow &row, const QString &what,
                             const QString &text) {
    throw OrvetError(QStringLiteral("Файл «%1», строка %2: %3 «%4» не читается. Ничего не загружено")
                         .arg(table.fileName)
                         .arg(row.line)
                         .arg(what, quoted(text)));
}

[[noreturn]] void implausible(const StatementTable &table, const StatementRow &row, const QString &what,
                              const QString &text, const QString &why) {
    throw OrvetError(QStringLiteral("Файл «%1», строка %2: %3 «%4» %5. Ничего не загружено")
                         .arg(table.fileName)
                         .arg(row.line)
                         .arg(what, quoted(text), why));
}

// An amount a receipt can hold: finite, not past `limit` either way.
double amountOf(const StatementTable &table, const StatementRow &row, int column, const QString &what,
                double limit, const QString &limitText) {
    const auto number = StatementReceipts::numberOf(row.cells.value(column));
    if (!number)
        unreadable(table, row, what, row.text(column));
    if (!std::isfinite(*number) || std::abs(*number) > limit)
        implausible(table, row, what, row.text(column),
                    QStringLiteral("больше %1: такого чека не бывает").arg(limitText));
    return *number;
}
} // namespace

bool StatementReceipts::plausible(const QDate &date, const QDate &today) {
    return date.isValid() && date.year() >= 2000 && date.year() <= today.year() + 1;
}

QDate StatementReceipts::dateOf(const QVariant &cell, const QDate &today) {
    if (cell.typeId() == QMetaType::QDate)
        return cell.toDate();
    if (cell.typeId() == QMetaType::Double) {
        const double serial = cell.toDouble();
        // Serial 1 is 1 January 1900; the day counts from 30 December 1899
        // because of the leap day 1900 never had.
        if (serial < 61 || serial > 2958465)
            return {};
        return QDate(1899, 12, 30).addDays(qint64(std::floor(serial)));
    }
    const QString text = cell.toString().trimmed();
    static const QRegularExpression dayFirst(QStringLiteral(
        "^(\\d{1,2})[./](\\d{1,2})[./](\\d{2}|\\d{4})(?:[ T,]+\\d{1,2}:\\d{2}(?::\\d{2})?)?$"));
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?:[ T]\\d{2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?Z?)?$"));
    if (const auto m = dayFirst.match(text); m.hasMatch()) {
        int year = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            year += 2000 + year > today.year() + 1 ? 1900 : 2000; // "99" is 1999, not 2099
        return QDate(year, m.captured(2).toInt(), m.captured(1).toInt());
    }
    if (const auto m = iso.match(text); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return {};
}

std::optional<double> StatementReceipts::numberOf(const QVariant &cell) {
    if (cell.typeId() == QMetaType::Double)
        return cell.toDouble();
    QString text = cell.toString().trimmed();
    static const QRegularExpression unit(QStringLiteral("\\s*(руб\\.?|р\\.|₽|rub|л\\.?|l)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    text.remove(unit);
    // Thousands come apart by a space of any kind: plain, no-break, thin,
    // narrow no-break.
    static const QRegularExpression blanks(QStringLiteral("[\\s\\p{Zs}]"),
                                           QRegularExpression::UseUnicodePropertiesOption);
    text.remove(blanks);
    text.replace(QChar(u'−'), QLatin1Char('-'));
    if (text.count(QLatin1Char(',')) == 1 && !text.contains(QLatin1Char('.')))
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression plain(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    if (!plain.match(text).hasMatch())
        return std::nullopt;
    return text.toDouble();
}

bool StatementReceipts::isRefund(const QString &operation) {
    const QString t = operation.toLower();
    return t.contains(QStringLiteral("возврат")) || t.contains(QStringLiteral("отмен")) ||
           t.contains(QStringLiteral("сторно"));
}

QStringList StatementReceipts::cardsOf(const StatementTable &table, const StatementLayout &layout) {
    QStringList cards;
    QSet<QString> seen;
    const auto add = [&](const QString &card) {
        if (!card.isEmpty() && !seen.contains(cardKey(card))) {
            seen.insert(cardKey(card));
            cards.append(card);
        }
    };
    for (qsizetype r = layout.headerRow + 1; r < table.rows.size(); ++r) {
        const StatementRow &row = table.rows.at(r);
        if (const QString opening = cardLine(row); !opening.isEmpty())
            add(opening);
        else if (layout.card >= 0 && !isTotal(row) && !row.text(layout.date).isEmpty())
            add(row.text(layout.card).simplified());
    }
    return cards;
}

StatementReceipts::Result StatementReceipts::read(const StatementTable &table, const StatementLayout &layout,
                                                  const Choice &choice) {
    if (!layout.complete())
        throw OrvetError(QStringLiteral("Не выбраны столбцы даты, литров и суммы"));
    QSet<QString> leftOutCards;
    for (const QString &card : choice.leftOutCards)
        leftOutCards.insert(cardKey(card));
    const StatementRow *header = layout.headerRow >= 0 ? &table.rows.at(layout.headerRow) : nullptr;
    // Once: asking the clock reads the time zone file every time.
    const QDate today = QDate::currentDate();
    Result result;
    QString blockCard;
    for (qsizetype r = layout.headerRow + 1; r < table.rows.size(); ++r) {
        const StatementRow &row = table.rows.at(r);
        if (header && repeatsHeader(row, *header))
            continue;
        if (const QString opening = cardLine(row); !opening.isEmpty()) {
            blockCard = opening;
            continue;
        }
        if (isTotal(row) || row.text(layout.date).isEmpty()) {
            ++result.totals;
            continue;
        }
        QString card = layout.card >= 0 ? row.text(layout.card).simplified() : QString();
        if (card.isEmpty())
            card = blockCard;
        if (!leftOutCards.isEmpty() && leftOutCards.contains(cardKey(card))) {
            ++result.otherCards;
            continue;
        }
        if (layout.product >= 0 && choice.leftOutProducts.contains(row.text(layout.product))) {
            ++result.leftOut;
            continue;
        }
        const QDate date = dateOf(row.cells.value(layout.date), today);
        if (!date.isValid())
            unreadable(table, row, QStringLiteral("дата"), row.text(layout.date));
        if (!plausible(date, today))
            implausible(table, row, QStringLiteral("дата"), row.text(layout.date),
                        QStringLiteral("не из %1–%2 годов").arg(2000).arg(today.year() + 1));
        double litres = amountOf(table, row, layout.litres, QStringLiteral("количество литров"), MaxLitres,
                                 QStringLiteral("10 000 л"));
        double rubles = 0;
        if (layout.rubles >= 0 && (layout.price < 0 || !row.text(layout.rubles).isEmpty())) {
            rubles = amountOf(table, row, layout.rubles, QStringLiteral("сумма"), MaxRubles,
                              QStringLiteral("10 000 000 руб."));
        } else {
            const double price = amountOf(table, row, layout.price, QStringLiteral("цена"), MaxRubles,
                                          QStringLiteral("10 000 000 руб."));
            rubles = std::round(litres * price * 100) / 100;
            if (std::abs(rubles) > MaxRubles)
                implausible(table, row, QStringLiteral("сумма"), QString::number(rubles, 'f', 2),
                            QStringLiteral("больше 10 000 000 руб.: такого чека не бывает"));
        }
        const bool refund = layout.operation >= 0 && isRefund(row.text(layout.operation));
        if (refund) {
            litres = -std::abs(litres);
            rubles = -std::abs(rubles);
        }
        result.receipts.append({date, litres, rubles, row.line, refund || litres < 0 || rubles < 0});
    }
    return result;
}

QList<StatementReceipts::Receipt> StatementReceipts::notStored(const QList<Receipt> &fresh,
                                                               const QList<Receipt> &stored, int *skipped) {
    QHash<QString, int> left;
    for (const Receipt &r : stored)
        ++left[keyOf(r)];
    QList<Receipt> out;
    int count = 0;
    for (const Receipt &r : fresh) {
        int &n = left[keyOf(r)];
        if (n > 0) {
            --n;
            ++count;
        } else {
            out.append(r);
        }
    }
    if (skipped)
        *skipped = count;
    return out;
}
