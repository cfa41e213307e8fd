#include "report/PreparedReport.h"

#include "core/OrvetError.h"

#include <QDate>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cmath>

namespace {
const QLatin1String FormatName("orvet-prepared-report");
constexpr int FormatVersion = 1;
constexpr qsizetype MaxPages = 10000;
constexpr double MaxCoordinate = 10000.0;

const char *kindName(ReportItem::Kind kind) {
    switch (kind) {
    case ReportItem::Kind::Line:
        return "line";
    case ReportItem::Kind::Rect:
        return "rect";
    default:
        return "text";
    }
}

QJsonObject itemToJson(const ReportItem &item) {
    QJsonObject o;
    o.insert(QLatin1String("kind"), QLatin1String(kindName(item.kind)));
    if (item.kind == ReportItem::Kind::Line) {
        o.insert(QLatin1String("x1"), item.line.x1());
        o.insert(QLatin1String("y1"), item.line.y1());
        o.insert(QLatin1String("x2"), item.line.x2());
        o.insert(QLatin1String("y2"), item.line.y2());
    } else {
        o.insert(QLatin1String("x"), item.rect.x());
        o.insert(QLatin1String("y"), item.rect.y());
        o.insert(QLatin1String("w"), item.rect.width());
        o.insert(QLatin1String("h"), item.rect.height());
    }
    o.insert(QLatin1String("width"), item.lineWidth);
    o.insert(QLatin1String("band"), item.band);
    if (item.kind != ReportItem::Kind::Text)
        return o;
    o.insert(QLatin1String("text"), item.text);
    o.insert(QLatin1String("size"), item.fontSize);
    o.insert(QLatin1String("bold"), item.bold);
    o.insert(QLatin1String("italic"), item.italic);
    o.insert(QLatin1String("wrap"), item.wrap);
    o.insert(QLatin1String("shrink"), item.shrink);
    o.insert(QLatin1String("align"), int(item.alignment));
    o.insert(QLatin1String("frames"), item.frames);
    if (item.columnHeader)
        o.insert(QLatin1String("header"), true);
    // The spreadsheet's view of the value, only where there is one.
    if (item.value.typeId() == QMetaType::Double)
        o.insert(QLatin1String("number"), item.value.toDouble());
    else if (item.value.typeId() == QMetaType::QDate)
        o.insert(QLatin1String("date"), item.value.toDate().toString(Qt::ISODate));
    if (!item.format.isEmpty())
        o.insert(QLatin1String("format"), item.format);
    if (!item.field.isEmpty())
        o.insert(QLatin1String("field"), item.field);
    if (item.total)
        o.insert(QLatin1String("total"), true);
    return o;
}

// Reads one prepared item, insisting on sane values: the file may come from
// anywhere.
class ItemReader {
public:
    explicit ItemReader(const QJsonObject &o) : m_o(o) {}

    double number(const char *key, double min, double max) const {
        const QJsonValue v = m_o.value(QLatin1String(key));
        if (!v.isDouble() || !std::isfinite(v.toDouble()) || v.toDouble() < min || v.toDouble() > max)
            throw OrvetError(QString());
        return v.toDouble();
    }
    bool flag(const char *key) const {
        const QJsonValue v = m_o.value(QLatin1String(key));
        if (!v.isBool())
            throw OrvetError(QString());
        return v.toBool();
    }
    QString text(const char *key) const {
        const QJsonValue v = m_o.value(QLatin1String(key));
        if (!v.isString())
            throw OrvetError(QString());
        return v.toString();
    }

    ReportItem read() const {
        ReportItem item;
        const QString kind = text("kind");
        if (kind == QLatin1String("line"))
            item.kind = ReportItem::Kind::Line;
        else if (kind == QLatin1String("rect"))
            item.kind = ReportItem::Kind::Rect;
        else if (kind != QLatin1String("text"))
            throw OrvetError(QString());
        if (item.kind == ReportItem::Kind::Line) {
            item.line = QLineF(
                number("x1", -MaxCoordinate, MaxCoordinate), number("y1", -MaxCoordinate, MaxCoordinate),
                number("x2", -MaxCoordinate, MaxCoordinate), number("y2", -MaxCoordinate, MaxCoordinate));
        } else {
            item.rect =
                QRectF(number("x", -MaxCoordinate, MaxCoordinate), number("y", -MaxCoordinate, MaxCoordinate),
                       number("w", 0.0, MaxCoordinate), number("h", 0.0, MaxCoordinate));
        }
        item.lineWidth = number("width", 0.0, 5.0);
        item.band = int(number("band", -1.0, 1e9));
        if (item.kind != ReportItem::Kind::Text)
            return item;
        item.text = text("text");
        item.fontSize = number("size", 1.0, 200.0);
        item.bold = flag("bold");
        item.italic = flag("italic");
        item.wrap = flag("wrap");
        item.shrink = flag("shrink");
        const int align = int(number("align", 0, 0xFFFF));
        item.alignment = Qt::Alignment(align) & (Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask);
        item.frames = int(number("frames", 0, ReportItem::FrameAll));
        // Reports saved before column headers were marked have no such key.
        item.columnHeader = m_o.contains(QLatin1String("header")) && flag("header");
        if (m_o.contains(QLatin1String("number"))) {
            item.value = number("number", -1e300, 1e300);
        } else if (m_o.contains(QLatin1String("date"))) {
            const QDate date = QDate::fromString(text("date"), Qt::ISODate);
            if (!date.isValid())
                throw OrvetError(QString());
            item.value = date;
        }
        if (m_o.contains(QLatin1String("format")))
            item.format = text("format");
        if (m_o.contains(QLatin1String("field")))
            item.field = text("field");
        item.total = m_o.contains(QLatin1String("total")) && flag("total");
        return item;
    }

private:
    QJsonObject m_o;
};
} // namespace

QByteArray PreparedReport::toJson() const {
    QJsonArray pages;
    for (const ReportPage &page : m_pages) {
        QJsonArray items;
        for (const ReportItem &item : page.items)
            items.append(itemToJson(item));
        pages.append(QJsonObject{{QLatin1String("items"), items}});
    }
    QJsonObject root{{QLatin1String("format"), FormatName},
                     {QLatin1String("version"), FormatVersion},
                     {QLatin1String("title"), m_title},
                     {QLatin1String("pageWidth"), m_pageSize.width()},
                     {QLatin1String("pageHeight"), m_pageSize.height()},
                     {QLatin1String("pages"), pages}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

PreparedReport PreparedReport::fromJson(const QByteArray &json) {
    const QString notReport = QStringLiteral("Файл не является подготовленным отчётом");
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        throw OrvetError(notReport);
    const QJsonObject root = doc.object();
    if (root.value(QLatin1String("format")).toString() != FormatName)
        throw OrvetError(notReport);
    if (root.value(QLatin1String("version")).toInt() != FormatVersion)
        throw OrvetError(QStringLiteral("Неподдерживаемая версия подготовленного отчёта"));
    PreparedReport report;
    try {
        ItemReader header(root);
        report.m_title = header.text("title");
        report.m_pageSize =
            QSizeF(header.number("pageWidth", 10.0, 2000.0), header.number("pageHeight", 10.0, 2000.0));
        const QJsonValue pages = root.value(QLatin1String("pages"));
        if (!pages.isArray() || pages.toArray().size() > MaxPages)
            throw OrvetError(QString());
        for (const QJsonValue &pageValue : pages.toArray()) {
            const QJsonValue items = pageValue.toObject().value(QLatin1String("items"));
            if (!items.isArray())
                throw OrvetError(QString());
            ReportPage page;
            for (const QJsonValue &itemValue : items.toArray()) {
                if (!itemValue.isObject())
                    throw OrvetError(QString());
                page.items.append(ItemReader(itemValue.toObject()).read());
            }
            report.m_pages.append(page);
        }
    } catch (const OrvetError &) {
        throw OrvetError(notReport);
    }
    return report;
}

void PreparedReport::save(const QString &fileName) const {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(toJson()) < 0 || !file.commit())
        throw OrvetError(QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, file.errorString()));
}

PreparedReport PreparedReport::load(const QString &fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw OrvetError(QStringLiteral("Cannot open file ") + fileName);
    if (file.size() > MaxFileSize)
        throw OrvetError(QStringLiteral("Файл %1 слишком велик").arg(fileName));
    try {
        return fromJson(file.readAll());
    } catch (const OrvetError &e) {
        throw OrvetError(e.message() + QStringLiteral(": ") + fileName);
    }
}
