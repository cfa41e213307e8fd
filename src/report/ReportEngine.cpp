#include "report/ReportEngine.h"

#include "core/DialogHost.h"
#include "core/OrvetError.h"
#include "report/ReportBuilder.h"
#include "report/ReportDataSource.h"
#include "report/ReportPreview.h"
#include "report/ReportTemplateParser.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>

#include <algorithm>

void ReportEngine::loadFromFile(const QString &fileName) {
    m_template = ReportTemplate();
    m_fileName.clear();
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly))
        throw OrvetError(QStringLiteral("Cannot open file ") + fileName);
    // Read one byte past the limit so that the parser sees the file is too big.
    const QByteArray data = file.read(ReportTemplateParser::MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw OrvetError(QStringLiteral("Cannot open file ") + fileName);
    loadFromData(data, fileName);
}

void ReportEngine::loadFromData(const QByteArray &data, const QString &fileName) {
    m_template = ReportTemplate();
    m_fileName.clear();
    m_template = ReportTemplateParser::parse(data);
    m_fileName = fileName;
}

bool ReportEngine::definesVariable(const QString &name) const {
    return std::any_of(
        m_template.variables.cbegin(), m_template.variables.cend(),
        [&name](const ReportVariable &v) { return v.name.compare(name, Qt::CaseInsensitive) == 0; });
}

void ReportEngine::registerDataSource(ReportDataSource *source) {
    if (source)
        m_sources.insert(source->name().toUpper(), source);
}

PreparedReport ReportEngine::prepare(const ProgressHandler &progress) {
    if (!hasTemplate())
        throw OrvetError(QStringLiteral("Шаблон отчёта не загружен"));
    ReportBuilder builder(m_template, m_sources, m_handler, progress);
    return builder.build(m_title);
}

void ReportEngine::showReport() {
    PreparedReport report;
    {
        QProgressDialog progress(QStringLiteral("Подготовка отчёта..."), QString(), 0, 0,
                                 QApplication::activeWindow());
        progress.setWindowTitle(m_title);
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setMinimumDuration(0);
        progress.show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        int shown = 0;
        try {
            report = prepare([&](int bands) {
                // Repainting on every band would cost more than the work itself.
                if (bands - shown >= 16) {
                    shown = bands;
                    progress.setLabelText(QStringLiteral("Подготовка отчёта... (%1)").arg(bands));
                    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                }
            });
        } catch (const OrvetError &e) {
            progress.close();
            DialogHost::instance().showError(e.message());
            return;
        }
    }
    if (report.isEmpty())
        return;
    ReportPreview preview(report, QApplication::activeWindow());
    DialogHost::instance().execDialog(&preview);
}
