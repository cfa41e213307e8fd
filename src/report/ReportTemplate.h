#pragma once

#include "report/ReportItem.h"
#include "report/ReportText.h"

#include <QList>
#include <QMarginsF>
#include <QSizeF>

enum class ReportBandType { Title, PageHeader, ColumnHeader, Data, Summary, PageFooter };

struct ReportTemplateItem {
    ReportItem item;             // geometry and style; text unused
    QList<ReportTextPart> parts; // the text to fill
    int line = 0;
};

struct ReportBand {
    ReportBandType type = ReportBandType::Title;
    QString source; // Data bands: the data source they iterate
    double height = 0.0;
    int line = 0;
    QList<ReportTemplateItem> items;
};

struct ReportVariable {
    QString name;
    QList<ReportTextPart> parts;
    int line = 0;
};

// A parsed template: what ReportTemplateParser makes of a file.
struct ReportTemplate {
    QSizeF pageSize{210.0, 297.0}; // A4 portrait, mm
    QMarginsF margins{10.0, 10.0, 10.0, 10.0};
    QList<ReportBand> bands;
    QList<ReportVariable> variables;

    bool isEmpty() const { return bands.isEmpty(); }
};
