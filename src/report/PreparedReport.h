#pragma once

#include "report/ReportItem.h"

#include <QList>
#include <QSizeF>
#include <QString>

struct ReportPage {
    QList<ReportItem> items;
    bool operator==(const ReportPage &other) const = default;
};

// The filled pages of a report, device independent (millimetres). Saved and
// opened in the engine's own format, a JSON document with the extension
// ".frp".
class PreparedReport {
public:
    static constexpr qsizetype MaxFileSize = 64 * 1024 * 1024;

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    QSizeF pageSize() const { return m_pageSize; }
    const QList<ReportPage> &pages() const { return m_pages; }
    QList<ReportPage> &pages() { return m_pages; }
    int pageCount() const { return int(m_pages.size()); }
    bool isEmpty() const { return m_pages.isEmpty(); }

    // Throws OrvetError when the file cannot be written.
    void save(const QString &fileName) const;
    // Throws OrvetError: "Cannot open file X" when it cannot be read, a
    // message of its own when it is not a prepared report.
    static PreparedReport load(const QString &fileName);

    QByteArray toJson() const;
    static PreparedReport fromJson(const QByteArray &json); // throws OrvetError

    bool operator==(const PreparedReport &other) const = default;

private:
    QString m_title;
    QSizeF m_pageSize{210.0, 297.0};
    QList<ReportPage> m_pages;
};
