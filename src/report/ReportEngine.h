#pragma once

#include "report/PreparedReport.h"
#include "report/ReportTemplate.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

class ReportDataSource;

// The report component: loads a template, fills it from registered data
// sources and a variable handler into pages, and shows them in a preview.
// prepare() needs no window; showReport() is the interactive road.
class ReportEngine {
public:
    using VariableHandler = std::function<void(const QString &name, QVariant &value)>;
    // Called while pages are prepared with the number of bands placed so far.
    using ProgressHandler = std::function<void(int bandsDone)>;

    // A bare name is found in the current working directory. Throws
    // "Cannot open file <name>" when it cannot be read, the parser's message
    // when it is not a template. A failed load leaves no template behind,
    // so an old one is never printed under a new name.
    void loadFromFile(const QString &fileName);
    void loadFromData(const QByteArray &data, const QString &fileName = {});
    bool hasTemplate() const { return !m_template.isEmpty(); }
    // The loaded template declares a `var` of that name (any letter case).
    bool definesVariable(const QString &name) const;
    QString fileName() const { return m_fileName; }

    void setTitle(const QString &title) { m_title = title; }
    QString title() const { return m_title; }

    // Not owned; a second source of the same name replaces the first.
    void registerDataSource(ReportDataSource *source);
    void setVariableHandler(VariableHandler handler) { m_handler = std::move(handler); }

    // Throws OrvetError naming the failure and the template line.
    PreparedReport prepare(const ProgressHandler &progress = {});
    // Prepares behind a progress window, then previews modally; a failure
    // is shown in the error box instead and not rethrown.
    void showReport();

private:
    ReportTemplate m_template;
    QString m_fileName;
    QString m_title;
    QHash<QString, ReportDataSource *> m_sources; // by upper-cased name
    VariableHandler m_handler;
};
