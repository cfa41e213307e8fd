#include "report/ReportTemplateParser.h"

#include "core/OrvetError.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <cmath>

namespace {
constexpr double MaxCoordinate = 1000.0;
constexpr int MaxBands = 1000;

QStringList splitWords(const QString &text) {
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    return text.split(spaces, Qt::SkipEmptyParts);
}

const QRegularExpression &variableNamePattern() {
    static const QRegularExpression re(QStringLiteral(R"(^[\p{L}_][\p{L}\p{N}_]*$)"));
    return re;
}

bool isKeyword(const QString &token, const char *keyword) {
    return token.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

bool bandTypeFromName(const QString &name, ReportBandType &type) {
    static const struct {
        const char *name;
        ReportBandType type;
    } types[] = {{"title", ReportBandType::Title},
                 {"pageheader", ReportBandType::PageHeader},
                 {"columnheader", ReportBandType::ColumnHeader},
                 {"data", ReportBandType::Data},
                 {"summary", ReportBandType::Summary},
                 {"pagefooter", ReportBandType::PageFooter}};
    for (const auto &t : types) {
        if (isKeyword(name, t.name)) {
            type = t.type;
            return true;
        }
    }
    return false;
}

// Splits "key=value"; a bare word is a flag.
void splitAttribute(const QString &token, QString &key, QString &value, bool &hasValue) {
    const qsizetype eq = token.indexOf(QLatin1Char('='));
    hasValue = eq >= 0;
    key = (hasValue ? token.left(eq) : token).toLower();
    value = hasValue ? token.mid(eq + 1) : QString();
}
} // namespace

ReportTemplate ReportTemplateParser::parse(const QByteArray &data) {
    if (data.size() > MaxFileSize)
        throw OrvetError(QStringLiteral("Ошибка в шаблоне: файл больше %1 байт").arg(MaxFileSize));
    ReportTemplate result;
    ReportTemplateParser parser(result);
    QByteArrayView rest(data);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    while (!rest.isEmpty() || parser.m_line == 0) {
        ++parser.m_line;
        const qsizetype nl = rest.indexOf('\n');
        QByteArrayView raw = nl < 0 ? rest : rest.first(nl);
        rest = nl < 0 ? QByteArrayView() : rest.sliced(nl + 1);
        if (raw.endsWith('\r'))
            raw.chop(1);
        // Decoded line by line so that a bad byte is reported on its line.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = decoder.decode(raw);
        if (decoder.hasError())
            parser.fail(QStringLiteral("недопустимые символы (файл должен быть в UTF-8)"));
        parser.parseLine(line);
        if (nl < 0)
            break;
    }
    if (!parser.m_headerSeen)
        parser.fail(QStringLiteral("файл не является шаблоном отчёта (нет строки \"orvet-report 1\")"));
    if (!result.bands.isEmpty() && result.bands.last().type == ReportBandType::ColumnHeader) {
        parser.m_line = result.bands.last().line;
        parser.fail(QStringLiteral("за заголовком колонок должна следовать полоса данных"));
    }
    if (result.bands.isEmpty())
        parser.fail(QStringLiteral("в шаблоне нет ни одной полосы"));
    return result;
}

void ReportTemplateParser::fail(const QString &reason) const {
    throw OrvetError(QStringLiteral("Ошибка в шаблоне, строка %1: %2").arg(QString::number(m_line), reason));
}

void ReportTemplateParser::parseLine(const QString &line) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
        return;
    if (!m_headerSeen) {
        parseHeader(trimmed);
        return;
    }
    // Everything after the first "|" is the item's text, kept as written
    // but for the one space that separates it from the attributes.
    const qsizetype bar = line.indexOf(QLatin1Char('|'));
    const bool hasText = bar >= 0;
    QString text = hasText ? line.mid(bar + 1) : QString();
    if (text.startsWith(QLatin1Char(' ')))
        text.remove(0, 1);
    const QString head = hasText ? line.left(bar) : line;
    QStringList tokens = splitWords(head);
    if (tokens.isEmpty())
        fail(QStringLiteral("ожидается команда перед \"|\""));
    const QString keyword = tokens.takeFirst().toLower();
    if (keyword == QLatin1String("page")) {
        if (hasText)
            fail(QStringLiteral("у команды page не бывает текста"));
        parsePage(tokens);
    } else if (keyword == QLatin1String("band")) {
        if (hasText)
            fail(QStringLiteral("у команды band не бывает текста"));
        parseBand(tokens);
    } else if (keyword == QLatin1String("var")) {
        parseVariable(tokens, text, hasText);
    } else if (keyword == QLatin1String("text") || keyword == QLatin1String("line") ||
               keyword == QLatin1String("rect")) {
        parseItem(keyword, tokens, text, hasText);
    } else {
        fail(QStringLiteral("неизвестная команда \"%1\"").arg(keyword));
    }
}

void ReportTemplateParser::parseHeader(const QString &line) {
    const QStringList tokens = splitWords(line);
    if (tokens.size() != 2 || !isKeyword(tokens.at(0), "orvet-report"))
        fail(QStringLiteral(
            "файл не является шаблоном отчёта (первая строка должна быть \"orvet-report 1\")"));
    if (tokens.at(1) != QLatin1String("1"))
        fail(QStringLiteral("неподдерживаемая версия шаблона \"%1\"").arg(tokens.at(1)));
    m_headerSeen = true;
}

void ReportTemplateParser::parsePage(const QStringList &tokens) {
    if (m_pageSeen || !m_result.bands.isEmpty())
        fail(QStringLiteral("команда page допустима один раз, до первой полосы"));
    m_pageSeen = true;
    for (const QString &token : tokens) {
        QString key, value;
        bool hasValue = false;
        splitAttribute(token, key, value, hasValue);
        if (key == QLatin1String("size") && hasValue) {
            if (value.compare(QLatin1String("A4"), Qt::CaseInsensitive) != 0)
                fail(QStringLiteral("поддерживается только формат A4"));
        } else if (key == QLatin1String("orientation") && hasValue) {
            if (value.compare(QLatin1String("portrait"), Qt::CaseInsensitive) != 0)
                fail(QStringLiteral("поддерживается только книжная ориентация (portrait)"));
        } else if (key == QLatin1String("margins") && hasValue) {
            const QStringList parts = value.split(QLatin1Char(','));
            if (parts.size() != 1 && parts.size() != 4)
                fail(QStringLiteral("поля страницы: одно число или четыре через запятую"));
            QList<double> m;
            for (const QString &p : parts)
                m.append(number(key, p, 0.0, 100.0));
            m_result.margins =
                parts.size() == 1 ? QMarginsF(m[0], m[0], m[0], m[0]) : QMarginsF(m[0], m[1], m[2], m[3]);
        } else {
            fail(QStringLiteral("неизвестный параметр страницы \"%1\"").arg(token));
        }
    }
    if (m_result.margins.left() + m_result.margins.right() >= m_result.pageSize.width() ||
        m_result.margins.top() + m_result.margins.bottom() >= m_result.pageSize.height())
        fail(QStringLiteral("поля страницы не оставляют места для текста"));
}

void ReportTemplateParser::parseBand(const QStringList &tokens) {
    if (tokens.isEmpty())
        fail(QStringLiteral("не указан вид полосы"));
    if (m_result.bands.size() >= MaxBands)
        fail(QStringLiteral("слишком много полос"));
    ReportBand band;
    band.line = m_line;
    if (!bandTypeFromName(tokens.at(0), band.type))
        fail(QStringLiteral("неизвестный вид полосы \"%1\"").arg(tokens.at(0)));
    bool heightSeen = false;
    for (qsizetype i = 1; i < tokens.size(); ++i) {
        QString key, value;
        bool hasValue = false;
        splitAttribute(tokens.at(i), key, value, hasValue);
        if (key == QLatin1String("height") && hasValue) {
            band.height = number(key, value, 0.0, MaxCoordinate);
            heightSeen = true;
        } else if (key == QLatin1String("source") && hasValue && band.type == ReportBandType::Data) {
            if (value.isEmpty())
                fail(QStringLiteral("пустое имя источника данных"));
            band.source = value;
        } else {
            fail(QStringLiteral("неизвестный параметр полосы \"%1\"").arg(tokens.at(i)));
        }
    }
    if (!heightSeen)
        fail(QStringLiteral("у полосы не указана высота (height=)"));
    if (band.type == ReportBandType::Data && band.source.isEmpty())
        fail(QStringLiteral("у полосы данных не указан источник (source=)"));
    const bool afterHeader =
        !m_result.bands.isEmpty() && m_result.bands.last().type == ReportBandType::ColumnHeader;
    if (afterHeader && band.type != ReportBandType::Data)
        fail(QStringLiteral("за заголовком колонок должна следовать полоса данных"));
    if (band.type == ReportBandType::Title || band.type == ReportBandType::Summary ||
        band.type == ReportBandType::PageHeader || band.type == ReportBandType::PageFooter) {
        for (const ReportBand &other : std::as_const(m_result.bands)) {
            if (other.type == band.type)
                fail(QStringLiteral("полоса \"%1\" уже есть (строка %2)").arg(tokens.at(0), QString::number(other.line)));
        }
    }
    m_result.bands.append(band);
}

void ReportTemplateParser::parseVariable(const QStringList &tokens, const QString &text, bool hasText) {
    if (tokens.size() != 1 || !hasText)
        fail(QStringLiteral("переменная записывается так: var Имя | текст"));
    const QString &name = tokens.at(0);
    if (!variableNamePattern().match(name).hasMatch())
        fail(QStringLiteral("недопустимое имя переменной \"%1\"").arg(name));
    for (const ReportVariable &v : std::as_const(m_result.variables)) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0)
            fail(QStringLiteral("переменная \"%1\" уже объявлена (строка %2)").arg(name, QString::number(v.line)));
    }
    try {
        m_result.variables.append({name, ReportText::parse(text), m_line});
    } catch (const OrvetError &e) {
        fail(e.message());
    }
}

void ReportTemplateParser::parseItem(const QString &keyword, const QStringList &tokens, const QString &text,
                                     bool hasText) {
    if (m_result.bands.isEmpty())
        fail(QStringLiteral("\"%1\" стоит вне полосы").arg(keyword));
    if (++m_itemCount > MaxItems)
        fail(QStringLiteral("слишком много элементов"));
    ReportTemplateItem entry;
    entry.line = m_line;
    ReportItem &item = entry.item;
    item.kind = keyword == QLatin1String("text")   ? ReportItem::Kind::Text
                : keyword == QLatin1String("line") ? ReportItem::Kind::Line
                                                   : ReportItem::Kind::Rect;
    if (item.kind != ReportItem::Kind::Text && hasText)
        fail(QStringLiteral("у \"%1\" не бывает текста").arg(keyword));
    item.alignment = item.kind == ReportItem::Kind::Text ? Qt::AlignLeft | Qt::AlignVCenter : Qt::Alignment();
    item.rect = QRectF(qQNaN(), qQNaN(), qQNaN(), qQNaN());
    item.line = QLineF(qQNaN(), qQNaN(), qQNaN(), qQNaN());
    for (const QString &token : tokens) {
        QString key, value;
        bool hasValue = false;
        splitAttribute(token, key, value, hasValue);
        applyAttribute(item, key, value, hasValue);
    }
    if (item.kind == ReportItem::Kind::Line) {
        if (std::isnan(item.line.x1()) || std::isnan(item.line.y1()) || std::isnan(item.line.x2()) ||
            std::isnan(item.line.y2()))
            fail(QStringLiteral("у линии должны быть x1, y1, x2, y2"));
        item.rect = QRectF();
    } else {
        if (std::isnan(item.rect.x()) || std::isnan(item.rect.y()) || std::isnan(item.rect.width()) ||
            std::isnan(item.rect.height()))
            fail(QStringLiteral("у \"%1\" должны быть x, y, w, h").arg(keyword));
        item.line = QLineF();
    }
    if (item.kind == ReportItem::Kind::Text) {
        try {
            entry.parts = ReportText::parse(text);
        } catch (const OrvetError &e) {
            fail(e.message());
        }
    }
    m_result.bands.last().items.append(entry);
}

void ReportTemplateParser::applyAttribute(ReportItem &item, const QString &key, const QString &value,
                                          bool hasValue) {
    const bool text = item.kind == ReportItem::Kind::Text;
    const bool line = item.kind == ReportItem::Kind::Line;
    auto bad = [&] { fail(QStringLiteral("неизвестный или неуместный параметр \"%1\"").arg(key)); };
    if (hasValue) {
        if (key == QLatin1String("x") && !line)
            item.rect.moveLeft(number(key, value, -MaxCoordinate, MaxCoordinate));
        else if (key == QLatin1String("y") && !line)
            item.rect.moveTop(number(key, value, -MaxCoordinate, MaxCoordinate));
        else if (key == QLatin1String("w") && !line)
            item.rect.setWidth(number(key, value, 0.0, MaxCoordinate));
        else if (key == QLatin1String("h") && !line)
            item.rect.setHeight(number(key, value, 0.0, MaxCoordinate));
        else if (key == QLatin1String("x1") && line)
            item.line.setP1({number(key, value, -MaxCoordinate, MaxCoordinate), item.line.y1()});
        else if (key == QLatin1String("y1") && line)
            item.line.setP1({item.line.x1(), number(key, value, -MaxCoordinate, MaxCoordinate)});
        else if (key == QLatin1String("x2") && line)
            item.line.setP2({number(key, value, -MaxCoordinate, MaxCoordinate), item.line.y2()});
        else if (key == QLatin1String("y2") && line)
            item.line.setP2({item.line.x2(), number(key, value, -MaxCoordinate, MaxCoordinate)});
        else if (key == QLatin1String("width"))
            item.lineWidth = number(key, value, 0.0, 5.0);
        else if (key == QLatin1String("size") && text)
            item.fontSize = number(key, value, 1.0, 200.0);
        else if (key == QLatin1String("align") && text) {
            const Qt::Alignment v = item.alignment & Qt::AlignVertical_Mask;
            if (value == QLatin1String("left"))
                item.alignment = v | Qt::AlignLeft;
            else if (value == QLatin1String("center"))
                item.alignment = v | Qt::AlignHCenter;
            else if (value == QLatin1String("right"))
                item.alignment = v | Qt::AlignRight;
            else if (value == QLatin1String("justify"))
                item.alignment = v | Qt::AlignJustify;
            else
                fail(QStringLiteral("align: left, center, right или justify"));
        } else if (key == QLatin1String("valign") && text) {
            const Qt::Alignment h = item.alignment & Qt::AlignHorizontal_Mask;
            if (value == QLatin1String("top"))
                item.alignment = h | Qt::AlignTop;
            else if (value == QLatin1String("center"))
                item.alignment = h | Qt::AlignVCenter;
            else if (value == QLatin1String("bottom"))
                item.alignment = h | Qt::AlignBottom;
            else
                fail(QStringLiteral("valign: top, center или bottom"));
        } else if (key == QLatin1String("frame") && text) {
            item.frames = 0;
            if (value == QLatin1String("all"))
                item.frames = ReportItem::FrameAll;
            else if (value != QLatin1String("none")) {
                for (const QChar c : value) {
                    const int f = c == QLatin1Char('l')   ? ReportItem::FrameLeft
                                  : c == QLatin1Char('t') ? ReportItem::FrameTop
                                  : c == QLatin1Char('r') ? ReportItem::FrameRight
                                  : c == QLatin1Char('b') ? ReportItem::FrameBottom
                                                          : 0;
                    if (f == 0)
                        fail(QStringLiteral("frame: all, none или буквы l, t, r, b"));
                    item.frames |= f;
                }
            }
        } else
            bad();
        return;
    }
    if (!text)
        bad();
    else if (key == QLatin1String("bold"))
        item.bold = true;
    else if (key == QLatin1String("italic"))
        item.italic = true;
    else if (key == QLatin1String("wrap"))
        item.wrap = true;
    else if (key == QLatin1String("shrink"))
        item.shrink = true;
    else
        bad();
}

double ReportTemplateParser::number(const QString &key, const QString &value, double min, double max) const {
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        fail(QStringLiteral("%1: \"%2\" не число").arg(key, value));
    if (v < min || v > max)
        fail(QStringLiteral("%1: значение %2 вне пределов %3..%4")
                 .arg(key, value, QString::number(min), QString::number(max)));
    return v;
}
