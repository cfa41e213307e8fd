#include "report/ReportBuilder.h"

#include "core/OrvetError.h"
#include "report/ReportDataSource.h"
#include "report/ReportFormatter.h"

#include <QDate>
#include <QTime>

namespace {
constexpr int MaxVariableDepth = 16;
// A waybill of 31 days fills one page with some 300 texts and lines; a
// year's summary would fill a few pages. These bounds stop a template that grows without end
// (variables nested to multiply each other) long before memory runs out.
constexpr int MaxPages = 1000;
constexpr qsizetype MaxItems = 100000;
constexpr qsizetype MaxTextLength = 10000;     // characters in one text
constexpr qsizetype MaxReportText = 8000000;   // characters in all texts
constexpr qsizetype MaxExpressions = 1000000;  // names filled in, counting every nesting
constexpr double Epsilon = 1e-6;

bool sameName(const QString &a, const char *b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}
} // namespace

ReportBuilder::ReportBuilder(const ReportTemplate &tmpl, const QHash<QString, ReportDataSource *> &sources,
                             const ReportEngine::VariableHandler &handler,
                             const ReportEngine::ProgressHandler &progress)
    : m_template(tmpl), m_sources(sources), m_handler(handler), m_progress(progress) {}

void ReportBuilder::fail(int line, const QString &reason) {
    throw OrvetError(QStringLiteral("Ошибка в шаблоне, строка %1: %2").arg(QString::number(line), reason));
}

QString ReportBuilder::fieldTitle(const QString &name) const {
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const ReportDataSource *src = dot > 0 ? source(name.left(dot)) : nullptr;
    if (src && !src->title().isEmpty())
        return name.mid(dot + 1).toUpper() + QLatin1Char(' ') + src->title();
    return name;
}

ReportDataSource *ReportBuilder::source(const QString &name) const {
    return m_sources.value(name.toUpper());
}

PreparedReport ReportBuilder::build(const QString &title) {
    m_report.setTitle(title);
    for (const ReportBand &band : m_template.bands) {
        if (band.type == ReportBandType::PageHeader)
            m_pageHeader = &band;
        else if (band.type == ReportBandType::PageFooter)
            m_pageFooter = &band;
    }
    checkSources();
    computeTotals();

    for (const ReportVariable &variable : m_template.variables)
        m_variables.insert(variable.name.toCaseFolded(), &variable);
    startPage(0);
    for (const ReportBand &band : m_template.bands) {
        if (band.type == ReportBandType::Title) {
            ensureSpace(band.height, band.line);
            place(band, m_y);
        }
    }
    for (qsizetype i = 0; i < m_template.bands.size(); ++i) {
        if (m_template.bands.at(i).type == ReportBandType::Data)
            runDataBand(i);
    }
    for (const ReportBand &band : m_template.bands) {
        if (band.type == ReportBandType::Summary) {
            ensureSpace(band.height, band.line);
            place(band, m_y);
        }
    }
    finishPage();

    const QString total = QString::number(m_report.pageCount());
    for (const PendingTotal &p : std::as_const(m_pending)) {
        QString &text = m_report.pages()[p.page].items[p.item].text;
        for (qsizetype k = p.at.size() - 1; k >= 0; --k)
            text.insert(p.at.at(k), total);
    }
    return m_report;
}

void ReportBuilder::checkSources() const {
    for (const ReportBand &band : m_template.bands) {
        if (band.type == ReportBandType::Data && !source(band.source))
            fail(band.line, QStringLiteral("неизвестный источник данных \"%1\"").arg(band.source));
    }
}

void ReportBuilder::collectTotals(const QList<ReportTextPart> &parts, int line) {
    for (const ReportTextPart &part : parts) {
        if (!part.isExpression)
            continue;
        const ReportExpression &e = part.expression;
        if (e.kind == ReportExpression::Kind::Name)
            continue;
        ReportDataSource *src = source(e.source);
        if (!src)
            fail(line, QStringLiteral("неизвестный источник данных \"%1\" в \"%2\"").arg(e.source, e.text));
        bool iterated = false;
        for (const ReportBand &band : m_template.bands)
            iterated = iterated || (band.type == ReportBandType::Data && source(band.source) == src);
        // Walking a source that no band walks would move the caller's
        // current row (the selected waybill) away under it.
        if (!iterated)
            fail(line, QStringLiteral("итог \"%1\": источник \"%2\" не перебирает ни одна полоса данных")
                           .arg(e.text, e.source));
        if (e.kind == ReportExpression::Kind::Sum) {
            if (src->fieldIndex(e.field) < 0)
                fail(line, QStringLiteral("у источника \"%1\" нет поля \"%2\"").arg(e.source, e.field));
            const QString key = e.source.toUpper() + QLatin1Char('.') + e.field.toUpper();
            m_sums.insert(key, 0.0);
            if (!m_totalsLine.contains(key))
                m_totalsLine.insert(key, line);
        }
        m_counts.insert(e.source.toUpper(), 0);
    }
}

void ReportBuilder::computeTotals() {
    for (const ReportVariable &v : m_template.variables)
        collectTotals(v.parts, v.line);
    for (const ReportBand &band : m_template.bands) {
        for (const ReportTemplateItem &item : band.items)
            collectTotals(item.parts, item.line);
    }
    for (auto it = m_counts.begin(); it != m_counts.end(); ++it) {
        ReportDataSource *src = source(it.key());
        int count = 0;
        for (src->first(); !src->eof(); src->next()) {
            ++count;
            for (auto sum = m_sums.begin(); sum != m_sums.end(); ++sum) {
                const QString sourceName = sum.key().section(QLatin1Char('.'), 0, 0);
                if (sourceName != it.key())
                    continue;
                const QVariant value = src->value(sum.key().section(QLatin1Char('.'), 1));
                double number = 0.0;
                if (!value.isValid() || value.isNull() || value.toString().trimmed().isEmpty())
                    continue;
                if (!ReportFormatter::toNumber(value, number))
                    fail(m_totalsLine.value(sum.key()), QStringLiteral("итог по %1: значение \"%2\" не число")
                                                            .arg(sum.key(), value.toString()));
                sum.value() += number;
            }
        }
        it.value() = count;
    }
}

void ReportBuilder::runDataBand(qsizetype index) {
    const ReportBand &band = m_template.bands.at(index);
    const ReportBand *header =
        index > 0 && m_template.bands.at(index - 1).type == ReportBandType::ColumnHeader
            ? &m_template.bands.at(index - 1)
            : nullptr;
    ReportDataSource *src = source(band.source);
    src->first();
    if (header) {
        // A header alone at the foot of a page would be no use.
        ensureSpace(header->height + (src->eof() ? 0.0 : band.height), header->line);
        place(*header, m_y);
        m_columnHeader = header;
    }
    m_lineNumber = 0;
    for (; !src->eof(); src->next()) {
        ++m_lineNumber;
        ensureSpace(band.height, band.line);
        place(band, m_y);
    }
    m_columnHeader = nullptr;
}

double ReportBuilder::bottomLimit() const {
    return m_template.pageSize.height() - m_template.margins.bottom() -
           (m_pageFooter ? m_pageFooter->height : 0.0);
}

void ReportBuilder::ensureSpace(double height, int line) {
    if (!m_pageOpen) {
        startPage(line);
        return;
    }
    // A band taller than a whole page goes on an empty page anyway, so the
    // layout always moves on.
    if (m_y + height > bottomLimit() + Epsilon && m_y > m_freshY + Epsilon) {
        finishPage();
        startPage(line);
    }
}

void ReportBuilder::startPage(int line) {
    if (m_report.pageCount() >= MaxPages)
        fail(line, QStringLiteral("в отчёте больше %1 страниц").arg(MaxPages));
    m_report.pages().append(ReportPage());
    m_pageOpen = true;
    m_y = m_template.margins.top();
    if (m_pageHeader)
        place(*m_pageHeader, m_y);
    if (m_columnHeader)
        place(*m_columnHeader, m_y);
    m_freshY = m_y;
}

void ReportBuilder::finishPage() {
    if (!m_pageOpen)
        return;
    if (m_pageFooter)
        place(*m_pageFooter, bottomLimit());
    m_pageOpen = false;
}

void ReportBuilder::place(const ReportBand &band, double y) {
    const int pageIndex = m_report.pageCount() - 1;
    QList<ReportItem> &items = m_report.pages()[pageIndex].items;
    const QPointF offset(m_template.margins.left(), y);
    for (const ReportTemplateItem &entry : band.items) {
        ReportItem item = entry.item;
        item.band = m_band;
        item.columnHeader = band.type == ReportBandType::ColumnHeader;
        if (item.kind == ReportItem::Kind::Line)
            item.line.translate(offset);
        else
            item.rect.translate(offset);
        if (++m_itemCount > MaxItems)
            fail(entry.line, QStringLiteral("в отчёте больше %1 элементов").arg(MaxItems));
        if (item.kind == ReportItem::Kind::Text) {
            Filled filled = fill(entry.parts, entry.line, 0);
            item.text = filled.text;
            m_textLength += item.text.size();
            if (m_textLength > MaxReportText)
                fail(entry.line, QStringLiteral("в текстах отчёта больше %1 знаков").arg(MaxReportText));
            keepValue(item, entry.parts, filled.value, band.type == ReportBandType::Data);
            if (!filled.totalPagesAt.isEmpty())
                m_pending.append({pageIndex, items.size(), filled.totalPagesAt});
        }
        items.append(item);
    }
    ++m_band;
    if (band.type != ReportBandType::PageFooter)
        m_y = y + band.height;
    if (m_progress)
        m_progress(m_band);
}

void ReportBuilder::keepValue(ReportItem &item, const QList<ReportTextPart> &parts, const QVariant &value,
                              bool dataBand) {
    if (parts.size() != 1 || !parts.first().isExpression)
        return;
    const ReportExpression &e = parts.first().expression;
    if (e.kind == ReportExpression::Kind::Sum) {
        item.field = e.source.toUpper() + QLatin1Char('.') + e.field.toUpper();
        item.total = true;
    } else if (dataBand && e.kind == ReportExpression::Kind::Name && e.text.contains(QLatin1Char('.'))) {
        item.field = e.text.toUpper(); // even empty: the cell is still in its column
    }
    if (value.isNull())
        return;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        item.value = value.toDouble();
        break;
    case QMetaType::QDate:
        item.value = value;
        break;
    case QMetaType::QDateTime:
        item.value = value.toDate();
        break;
    default:
        return;
    }
    item.format = e.format;
}

ReportBuilder::Filled ReportBuilder::fill(const QList<ReportTextPart> &parts, int line, int depth) {
    Filled out;
    for (const ReportTextPart &part : parts) {
        if (part.isExpression) {
            const qsizetype before = out.text.size();
            resolve(part.expression, line, depth, out);
            // A value too long by itself is the data's fault, not the template's.
            if (out.text.size() - before > MaxTextLength && !m_variables.contains(part.expression.text.toCaseFolded()))
                throw OrvetError(QStringLiteral("Поле %1: текст длиннее %2 знаков (в нём %3). Шаблон тут ни при "
                                                "чём: сократите этот текст в данных")
                                     .arg(fieldTitle(part.expression.text))
                                     .arg(MaxTextLength)
                                     .arg(out.text.size() - before));
        } else
            out.text += part.literal;
        if (out.text.size() > MaxTextLength)
            fail(line, QStringLiteral("текст длиннее %1 знаков").arg(MaxTextLength));
    }
    return out;
}

void ReportBuilder::resolve(const ReportExpression &expression, int line, int depth, Filled &out) {
    if (++m_expressions > MaxExpressions)
        fail(line, QStringLiteral("в отчёте больше %1 подстановок").arg(MaxExpressions));
    if (m_handler) {
        QVariant value;
        try {
            m_handler(expression.text, value);
        } catch (const OrvetError &e) {
            fail(line, QStringLiteral("не удалось вычислить \"%1\": %2").arg(expression.text, e.message()));
        } catch (const std::exception &e) {
            fail(line, QStringLiteral("не удалось вычислить \"%1\": %2")
                           .arg(expression.text, QString::fromLocal8Bit(e.what())));
        }
        if (value.isValid()) {
            out.value = value;
            out.text += ReportFormatter::format(value, expression.format);
            return;
        }
    }
    if (!resolveOwn(expression, line, depth, out))
        fail(line, QStringLiteral("неизвестное имя \"%1\"").arg(expression.text));
}

bool ReportBuilder::resolveOwn(const ReportExpression &expression, int line, int depth, Filled &out) {
    switch (expression.kind) {
    case ReportExpression::Kind::Sum:
        out.value = m_sums.value(expression.source.toUpper() + QLatin1Char('.') + expression.field.toUpper());
        out.text += ReportFormatter::format(out.value, expression.format);
        return true;
    case ReportExpression::Kind::Count:
        out.text += ReportFormatter::format(m_counts.value(expression.source.toUpper()), expression.format);
        return true;
    case ReportExpression::Kind::Name:
        break;
    }
    const QString &name = expression.text;
    if (const ReportVariable *found = m_variables.value(name.toCaseFolded())) {
        const ReportVariable &variable = *found;
        if (depth >= MaxVariableDepth)
            fail(line, QStringLiteral("переменная \"%1\" ссылается сама на себя или вложена слишком глубоко")
                           .arg(name));
        const Filled inner = fill(variable.parts, variable.line, depth + 1);
        for (const qsizetype at : inner.totalPagesAt)
            out.totalPagesAt.append(out.text.size() + at);
        out.text += inner.totalPagesAt.isEmpty() ? ReportFormatter::format(inner.text, expression.format)
                                                 : inner.text;
        return true;
    }
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot > 0) {
        if (ReportDataSource *src = source(name.left(dot))) {
            const QString field = name.mid(dot + 1);
            if (src->fieldIndex(field) < 0)
                fail(line, QStringLiteral("у источника \"%1\" нет поля \"%2\"").arg(name.left(dot), field));
            out.value = src->value(field);
            out.text += ReportFormatter::format(out.value, expression.format);
            return true;
        }
    }
    if (sameName(name, "TOTALPAGES")) {
        out.totalPagesAt.append(out.text.size());
        return true;
    }
    const QVariant value = builtIn(name);
    if (!value.isValid())
        return false;
    out.text += ReportFormatter::format(value, expression.format);
    return true;
}

QVariant ReportBuilder::builtIn(const QString &name) const {
    if (sameName(name, "PAGE#"))
        return m_report.pageCount();
    if (sameName(name, "LINE#"))
        return m_lineNumber;
    if (sameName(name, "DATE"))
        return QDate::currentDate();
    if (sameName(name, "TIME")) {
        const QTime now = QTime::currentTime();
        return QTime(now.hour(), now.minute());
    }
    return {};
}
