#include "data/table/FilterParser.h"

#include "core/DateText.h"
#include "core/OrvetError.h"

#include <QLocale>

namespace {

// A small recursive-descent parser over: expr := term {OR term};
// term := factor {AND factor}; factor := NOT factor | '(' expr ')' | cmp;
// cmp := FIELD op literal.
class Parser {
public:
    Parser(const QString &text, const FieldList &fields) : m_text(text), m_fields(fields) {}

    FilterParser::Result run() {
        skipBlanks();
        if (atEnd())
            fail(QStringLiteral("пустое условие"));
        QString where = expr(0);
        skipBlanks();
        if (!atEnd())
            fail(QStringLiteral("лишний текст в позиции %1").arg(m_pos + 1));
        return {where, m_binds};
    }

private:
    // SQLite's parser gives up on expressions nested some forty deep.
    static constexpr int MaxDepth = 16;

    [[noreturn]] void fail(const QString &what) const {
        throw OrvetError(QStringLiteral("Неверный фильтр \"%1\": %2").arg(m_text, what));
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    void skipBlanks() {
        while (!atEnd() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    bool keyword(const QString &word) {
        skipBlanks();
        const int end = m_pos + int(word.size());
        if (end > m_text.size() || m_text.mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        if (end < m_text.size() && (m_text.at(end).isLetterOrNumber() || m_text.at(end) == QLatin1Char('_')))
            return false;
        m_pos = end;
        return true;
    }

    // A chain of OR (or AND) stays one flat list in SQL: nested pair by
    // pair, a long chain would overflow SQLite's parser.
    static QString chain(const QStringList &parts, const QString &op) {
        return parts.size() == 1 ? parts.first()
                                 : QLatin1Char('(') + parts.join(QLatin1Char(' ') + op + QLatin1Char(' ')) +
                                       QLatin1Char(')');
    }

    QString expr(int depth) {
        QStringList parts{term(depth)};
        while (keyword(QStringLiteral("or")))
            parts.append(term(depth));
        return chain(parts, QStringLiteral("OR"));
    }

    QString term(int depth) {
        QStringList parts{factor(depth)};
        while (keyword(QStringLiteral("and")))
            parts.append(factor(depth));
        return chain(parts, QStringLiteral("AND"));
    }

    QString factor(int depth) {
        if (depth > MaxDepth)
            fail(QStringLiteral("слишком глубокая вложенность"));
        if (keyword(QStringLiteral("not")))
            return QStringLiteral("(NOT %1)").arg(factor(depth + 1));
        skipBlanks();
        if (!atEnd() && m_text.at(m_pos) == QLatin1Char('(')) {
            ++m_pos;
            QString s = expr(depth + 1);
            skipBlanks();
            if (atEnd() || m_text.at(m_pos) != QLatin1Char(')'))
                fail(QStringLiteral("нет закрывающей скобки"));
            ++m_pos;
            return s;
        }
        return comparison();
    }

    const FieldDef &field() {
        skipBlanks();
        const int start = m_pos;
        while (!atEnd() && (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == QLatin1Char('_')))
            ++m_pos;
        const QString name = m_text.mid(start, m_pos - start);
        if (name.isEmpty())
            fail(QStringLiteral("ожидалось имя поля в позиции %1").arg(start + 1));
        for (const FieldDef &f : m_fields)
            if (f.name.compare(name, Qt::CaseInsensitive) == 0)
                return f;
        fail(QStringLiteral("нет поля %1").arg(name));
    }

    QString op() {
        skipBlanks();
        static const char *ops[] = {"<=", ">=", "<>", "!=", "=", "<", ">"};
        for (const char *o : ops) {
            const QString s = QString::fromLatin1(o);
            if (m_text.mid(m_pos, s.size()) == s) {
                m_pos += int(s.size());
                return s == QLatin1String("!=") ? QStringLiteral("<>") : s;
            }
        }
        fail(QStringLiteral("ожидался знак сравнения в позиции %1").arg(m_pos + 1));
    }

    QString literal() {
        skipBlanks();
        if (atEnd())
            fail(QStringLiteral("нет значения"));
        const QChar q = m_text.at(m_pos);
        if (q == QLatin1Char('\'') || q == QLatin1Char('"')) {
            QString value;
            ++m_pos;
            while (true) {
                if (atEnd())
                    fail(QStringLiteral("незакрытая кавычка"));
                const QChar c = m_text.at(m_pos++);
                if (c == q) {
                    if (!atEnd() && m_text.at(m_pos) == q) { // doubled quote stands for itself
                        value += c;
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                value += c;
            }
            return value;
        }
        const int start = m_pos;
        while (!atEnd() && !m_text.at(m_pos).isSpace() && m_text.at(m_pos) != QLatin1Char(')'))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    QVariant convert(const FieldDef &f, const QString &text) {
        bool ok = true;
        switch (f.type) {
        case FieldType::AutoInc:
        case FieldType::Integer: {
            const qlonglong v = text.trimmed().toLongLong(&ok);
            if (!ok)
                fail(QStringLiteral("'%1' не целое число").arg(text));
            return v;
        }
        case FieldType::Float: {
            double v = QLocale().toDouble(text.trimmed(), &ok);
            if (!ok)
                v = text.trimmed().toDouble(&ok);
            if (!ok)
                fail(QStringLiteral("'%1' не число").arg(text));
            return v;
        }
        case FieldType::Date: {
            const QDate d = DateText::fromText(text);
            if (!d.isValid())
                fail(QStringLiteral("'%1' не дата").arg(text));
            return d.toString(Qt::ISODate);
        }
        case FieldType::String:
            return text;
        }
        return text;
    }

    QString comparison() {
        const FieldDef &f = field();
        const QString o = op();
        m_binds.append(convert(f, literal()));
        return QStringLiteral("\"%1\" %2 ?").arg(f.name, o);
    }

    const QString m_text;
    const FieldList &m_fields;
    int m_pos = 0;
    QVariantList m_binds;
};

} // namespace

FilterParser::Result FilterParser::parse(const QString &text) const { return Parser(text, m_fields).run(); }
