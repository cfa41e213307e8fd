#pragma once

#include "report/ReportEngine.h"

#include <QHash>
#include <QList>

// One run of ReportEngine::prepare(): lays the template's bands out on
// pages and fills their texts. Lives only for that run.
class ReportBuilder {
public:
    ReportBuilder(const ReportTemplate &tmpl, const QHash<QString, ReportDataSource *> &sources,
                  const ReportEngine::VariableHandler &handler,
                  const ReportEngine::ProgressHandler &progress);

    PreparedReport build(const QString &title);

private:
    // A filled text with the places where the total page count goes; that
    // count is known only when every page is laid out.
    struct Filled {
        QString text;
        QList<qsizetype> totalPagesAt;
        QVariant value; // of the last expression, as resolved
    };
    struct PendingTotal {
        int page;
        qsizetype item;
        QList<qsizetype> at;
    };

    void checkSources() const;
    void computeTotals();
    void collectTotals(const QList<ReportTextPart> &parts, int line);
    ReportDataSource *source(const QString &name) const;

    void runDataBand(qsizetype index);
    // line: the template line of the band asking, for a refusal.
    void ensureSpace(double height, int line);
    void startPage(int line);
    void finishPage();
    void place(const ReportBand &band, double y);
    // What a spreadsheet needs of a text that is one expression: its value,
    // format, and the field it shows in a data band or totals.
    static void keepValue(ReportItem &item, const QList<ReportTextPart> &parts, const QVariant &value,
                          bool dataBand);
    double bottomLimit() const;

    Filled fill(const QList<ReportTextPart> &parts, int line, int depth);
    void resolve(const ReportExpression &expression, int line, int depth, Filled &out);
    bool resolveOwn(const ReportExpression &expression, int line, int depth, Filled &out);
    QVariant builtIn(const QString &name) const;
    [[noreturn]] static void fail(int line, const QString &reason);
    // "CEL путевого листа" for "FRD2.CEL" when the source has a title.
    QString fieldTitle(const QString &name) const;

    const ReportTemplate &m_template;
    const QHash<QString, ReportDataSource *> &m_sources;
    const ReportEngine::VariableHandler &m_handler;
    const ReportEngine::ProgressHandler &m_progress;

    const ReportBand *m_pageHeader = nullptr;
    const ReportBand *m_pageFooter = nullptr;
    const ReportBand *m_columnHeader = nullptr; // repeated on every page of its data band
    QHash<QString, double> m_sums;              // "SOURCE.FIELD" upper-cased
    QHash<QString, int> m_counts;               // "SOURCE" upper-cased
    QHash<QString, int> m_totalsLine;           // where a total was first asked, for errors
    QHash<QString, const ReportVariable *> m_variables; // by case-folded name

    PreparedReport m_report;
    QList<PendingTotal> m_pending;
    bool m_pageOpen = false;
    double m_y = 0.0;
    double m_freshY = 0.0; // where the first band of a page starts
    int m_band = 0;
    int m_lineNumber = 0;
    qsizetype m_itemCount = 0;
    qsizetype m_textLength = 0;
    qsizetype m_expressions = 0;
};
