#include "report/ReportText.h"

#include "core/OrvetError.h"

#include <QRegularExpression>

namespace {
// Function arguments are plain identifiers, so nothing in them can nest.
const QRegularExpression &sumPattern() {
    static const QRegularExpression re(QStringLiteral(R"(^SUM\s*\(\s*([^\s.()]+)\s*\.\s*([^\s.()]+)\s*\)$)"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

const QRegularExpression &countPattern() {
    static const QRegularExpression re(QStringLiteral(R"(^COUNT\s*\(\s*([^\s.()]+)\s*\)$)"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}
} // namespace

ReportExpression ReportText::parseExpression(const QString &inner) {
    ReportExpression e;
    const qsizetype colon = inner.indexOf(QLatin1Char(':'));
    e.text = (colon < 0 ? inner : inner.left(colon)).trimmed();
    if (colon >= 0)
        e.format = inner.mid(colon + 1);
    if (e.text.isEmpty())
        throw OrvetError(QStringLiteral("пустое выражение в скобках"));
    if (e.text.contains(QLatin1Char('\n')) || e.text.contains(QLatin1Char('[')))
        throw OrvetError(QStringLiteral("недопустимое имя \"%1\"").arg(e.text));
    auto m = sumPattern().match(e.text);
    if (m.hasMatch()) {
        e.kind = ReportExpression::Kind::Sum;
        e.source = m.captured(1);
        e.field = m.captured(2);
        return e;
    }
    m = countPattern().match(e.text);
    if (m.hasMatch()) {
        e.kind = ReportExpression::Kind::Count;
        e.source = m.captured(1);
    }
    return e;
}

QList<ReportTextPart> ReportText::parse(const QString &text) {
    QList<ReportTextPart> parts;
    QString literal;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('[')) {
            literal += c;
            ++i;
            continue;
        }
        if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('[')) {
            literal += c;
            i += 2;
            continue;
        }
        const qsizetype close = text.indexOf(QLatin1Char(']'), i + 1);
        if (close < 0)
            throw OrvetError(QStringLiteral("нет закрывающей скобки \"]\""));
        if (!literal.isEmpty()) {
            parts.append({false, literal, {}});
            literal.clear();
        }
        parts.append({true, {}, parseExpression(text.mid(i + 1, close - i - 1))});
        i = close + 1;
    }
    if (!literal.isEmpty())
        parts.append({false, literal, {}});
    return parts;
}
