#pragma once

#include <QList>
#include <QString>

// A bracketed expression of a template text: [Name], [FRD2.CHISLO],
// [SUM(FRD2.PROB):#0.##], [COUNT(FRD2)], [PAGE#].
struct ReportExpression {
    enum class Kind { Name, Sum, Count };
    Kind kind = Kind::Name;
    QString text; // as written, trimmed, without the format: what the handler is asked
    QString source;
    QString field;
    QString format;
};

struct ReportTextPart {
    bool isExpression = false;
    QString literal;
    ReportExpression expression;
};

// Splits a template text into literal runs and expressions. "[[" stands
// for a literal "[".
class ReportText {
public:
    // Throws OrvetError with a short reason (no line: the caller adds it).
    static QList<ReportTextPart> parse(const QString &text);
    static ReportExpression parseExpression(const QString &inner);
};
