#include "data/statement/StatementLayout.h"

#include <QRegularExpression>
#include <iterator>
#include <utility>

namespace {
constexpr int HeaderSearchRows = 30;

QString normalised(const QString &title) {
    QString t = title.toLower().simplified();
    t.replace(QChar(u'ё'), QChar(u'е'));
    return t;
}

bool startsWithAny(const QString &t, std::initializer_list<const char16_t *> words) {
    for (const char16_t *w : words)
        if (t.startsWith(QString::fromUtf16(w)))
            return true;
    return false;
}
} // namespace

QString StatementLayout::roleOf(const QString &title) {
    const QString t = normalised(title);
    if (t.isEmpty())
        return {};
    if (startsWithAny(t, {u"дата"}))
        return QStringLiteral("date");
    if (startsWithAny(t, {u"количество", u"кол-во", u"кол.", u"литр", u"объем"}))
        return QStringLiteral("litres");
    if (startsWithAny(t, {u"сумма", u"стоимость"}))
        return QStringLiteral("rubles");
    if (startsWithAny(t, {u"цена"}))
        return QStringLiteral("price");
    if (startsWithAny(t, {u"товар", u"продукт", u"услуга", u"наименование", u"вид топлива", u"топливо",
                          u"номенклатура"}))
        return QStringLiteral("product");
    if (startsWithAny(t, {u"карта", u"номер карты", u"№ карты", u"гр. номер карты", u"графический номер"}))
        return QStringLiteral("card");
    if (startsWithAny(t, {u"тип операции", u"вид операции", u"операция", u"тип транзакции"}))
        return QStringLiteral("operation");
    return {};
}

int StatementLayout::preferenceOf(const QString &title) {
    const QString t = normalised(title);
    if (t.contains(QStringLiteral("со скидк")) || t.contains(QStringLiteral("с учетом скидк")) ||
        t.contains(QStringLiteral("после скидк")) || t.contains(QStringLiteral("к оплате")))
        return 3;
    if (t.contains(QStringLiteral("без скидк")))
        return 1;
    if (t.contains(QStringLiteral("скидк"))) // "Сумма скидки": the discount, not a sum paid
        return 0;
    if (t.startsWith(QStringLiteral("цена на"))) // the station's price beside the client's
        return 1;
    return 2;
}

StatementLayout StatementLayout::guess(const StatementTable &table) {
    StatementLayout best;
    int bestFound = 0;
    const int rows = int(qMin<qsizetype>(table.rows.size(), HeaderSearchRows));
    for (int r = 0; r < rows; ++r) {
        StatementLayout layout;
        layout.headerRow = r;
        static constexpr std::pair<const char *, int StatementLayout::*> Slots[] = {
            {"date", &StatementLayout::date},       {"litres", &StatementLayout::litres},
            {"rubles", &StatementLayout::rubles},   {"product", &StatementLayout::product},
            {"price", &StatementLayout::price},     {"card", &StatementLayout::card},
            {"operation", &StatementLayout::operation}};
        int preferred[std::size(Slots)] = {};
        const StatementRow &row = table.rows.at(r);
        for (int c = 0; c < row.cells.size(); ++c) {
            const QString title = row.text(c);
            const QString role = roleOf(title);
            const int preference = preferenceOf(title);
            for (size_t k = 0; k < std::size(Slots); ++k) {
                // Of two alike the better one; of two as good, the first.
                if (role == QLatin1String(Slots[k].first) && preference > preferred[k]) {
                    layout.*Slots[k].second = c;
                    preferred[k] = preference;
                }
            }
        }
        const int found = (layout.date >= 0) + (layout.litres >= 0) + (layout.rubles >= 0 || layout.price >= 0);
        if (found > bestFound) {
            best = layout;
            bestFound = found;
        }
        if (found == 3)
            break;
    }
    if (bestFound < 2) // no titles after all: the data starts at the first row
        best = StatementLayout{};
    return best;
}

bool StatementLayout::looksLikeFuel(const QString &product) {
    static const QRegularExpression fuel(
        QStringLiteral("(аи|ai)[- ]?\\d\\d|бензин|\\bдт\\b|дизел|топливо|\\bгаз\\b|пропан|метан|\\bсуг\\b"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return fuel.match(product).hasMatch();
}
