#include "data/statement/StatementLayout.h"

#include <QRegularExpression>

namespace {
constexpr int HeaderSearchRows = 30;

QString normalised(const QString &title) {
    QString t = title.toLower().simplified();
    t.replace(QChar(u'ё'), QChar(u'е'));
    return t;
}
} // namespace

QString StatementLayout::roleOf(const QString &title) {
    const QString t = normalised(title);
    if (t.isEmpty())
        return {};
    const auto startsWithAny = [&t](std::initializer_list<const char16_t *> words) {
        for (const char16_t *w : words)
            if (t.startsWith(QString::fromUtf16(w)))
                return true;
        return false;
    };
    if (startsWithAny({u"дата"}))
        return QStringLiteral("date");
    if (startsWithAny({u"количество", u"кол-во", u"кол.", u"литр", u"объем", u"объём"}))
        return QStringLiteral("litres");
    if (startsWithAny({u"сумма", u"стоимость"}))
        return QStringLiteral("rubles");
    if (startsWithAny(
            {u"товар", u"продукт", u"услуга", u"наименование", u"вид топлива", u"топливо", u"номенклатура"}))
        return QStringLiteral("product");
    return {};
}

StatementLayout StatementLayout::guess(const StatementTable &table) {
    StatementLayout best;
    int bestFound = 0;
    const int rows = int(qMin<qsizetype>(table.rows.size(), HeaderSearchRows));
    for (int r = 0; r < rows; ++r) {
        StatementLayout layout;
        layout.headerRow = r;
        const StatementRow &row = table.rows.at(r);
        for (int c = 0; c < row.cells.size(); ++c) {
            const QString role = roleOf(row.text(c));
            int *slot = role == QLatin1String("date")      ? &layout.date
                        : role == QLatin1String("litres")  ? &layout.litres
                        : role == QLatin1String("rubles")  ? &layout.rubles
                        : role == QLatin1String("product") ? &layout.product
                                                           : nullptr;
            if (slot && *slot < 0) // the first of two alike ("Сумма", "Сумма скидки") is the one
                *slot = c;
        }
        const int found = (layout.date >= 0) + (layout.litres >= 0) + (layout.rubles >= 0);
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
