#pragma once

#include "report/ReportTemplate.h"

#include <QByteArray>

// Reads the engine's template text format (docs/report-templates.md).
// Every fault is an OrvetError naming the line; nothing in the format can
// reach a file or the network.
class ReportTemplateParser {
public:
    static constexpr qsizetype MaxFileSize = 1024 * 1024;
    static constexpr int MaxItems = 20000;

    static ReportTemplate parse(const QByteArray &data);

private:
    explicit ReportTemplateParser(ReportTemplate &result) : m_result(result) {}

    void parseLine(const QString &line);
    void parseHeader(const QString &line);
    void parsePage(const QStringList &tokens);
    void parseBand(const QStringList &tokens);
    void parseVariable(const QStringList &tokens, const QString &text, bool hasText);
    void parseItem(const QString &keyword, const QStringList &tokens, const QString &text, bool hasText);
    void applyAttribute(ReportItem &item, const QString &key, const QString &value, bool hasValue);
    double number(const QString &key, const QString &value, double min, double max) const;
    [[noreturn]] void fail(const QString &reason) const;

    ReportTemplate &m_result;
    int m_line = 0;
    bool m_headerSeen = false;
    bool m_pageSeen = false;
    int m_itemCount = 0;
};
