#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// A named, forward-only cursor over rows that a report reads. The engine
// never owns a source; the caller keeps it alive while the report runs.
class ReportDataSource {
public:
    virtual ~ReportDataSource();

    virtual QString name() const = 0;
    virtual QStringList fieldNames() const = 0;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // The current row's value; field names match regardless of letter case.
    // An invalid QVariant at eof or for an unknown field.
    virtual QVariant value(const QString &field) const = 0;

    // Index of a field in fieldNames(), case-insensitive; -1 when absent.
    int fieldIndex(const QString &field) const;

    // Whose fields these are, as the user says it ("путевого листа"), for
    // a message that blames a value; empty: the source's name is used.
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

private:
    QString m_title;
};
