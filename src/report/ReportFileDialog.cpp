#include "report/ReportFileDialog.h"

#include "core/DialogHost.h"
#include "report/FileDialogTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// PDF first: the format a clerk most often wants.
const struct {
    const char *filter;
    const char *suffix;
    ReportExporter::Format format;
} SaveTypes[] = {
    {"Документ PDF (*.pdf)", "pdf", ReportExporter::Format::Pdf},
    {"Файл HTML (*.htm *.html)", "htm", ReportExporter::Format::Html},
    {"Документ RTF (*.rtf)", "rtf", ReportExporter::Format::Rtf},
    {"Таблица CSV (*.csv)", "csv", ReportExporter::Format::Csv},
    {"Книга Excel (*.xlsx)", "xlsx", ReportExporter::Format::Xlsx},
    {"Текстовый файл (*.txt)", "txt", ReportExporter::Format::Text},
    {"Подготовленный отчёт (*.frp)", "frp", ReportExporter::Format::Prepared},
};
const auto &PreparedType = SaveTypes[std::size(SaveTypes) - 1];

QString g_lastFolder; // for the rest of the run
} // namespace

ReportFileDialog::ReportFileDialog(Purpose purpose, QWidget *parent)
    : QFileDialog(parent, purpose == Purpose::Save ? QStringLiteral("Сохранить") : QStringLiteral("Открыть"),
                  startFolder()),
      m_purpose(purpose) {
    FileDialogTexts::apply(this);
    if (purpose == Purpose::Open) {
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::ExistingFile);
        setNameFilter(QString::fromUtf8(PreparedType.filter));
        return;
    }
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    // Asked in accept(), of the completed name.
    setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters;
    for (const auto &type : SaveTypes)
        filters.append(QString::fromUtf8(type.filter));
    setNameFilters(filters);
    selectNameFilter(filters.first());
}

QString ReportFileDialog::startFolder() {
    if (!g_lastFolder.isEmpty() && QFileInfo(g_lastFolder).isDir())
        return g_lastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

ReportExporter::Format ReportFileDialog::selectedFormat() const {
    for (const auto &type : SaveTypes) {
        if (selectedNameFilter() == QString::fromUtf8(type.filter))
            return type.format;
    }
    return SaveTypes[0].format;
}

QString ReportFileDialog::completed(const QString &name) const {
    if (ReportExporter::formatOf(name))
        return name;
    for (const auto &type : SaveTypes) {
        if (type.format == selectedFormat())
            return name + QLatin1Char('.') + QLatin1String(type.suffix);
    }
    return name;
}

ReportExporter::Format ReportFileDialog::format() const {
    return ReportExporter::formatOf(m_fileName).value_or(selectedFormat());
}

void ReportFileDialog::accept() {
    const QStringList files = selectedFiles();
    // A folder typed or chosen is opened by the dialog itself.
    if (files.size() != 1 || QFileInfo(files.first()).isDir()) {
        QFileDialog::accept();
        return;
    }
    QString name = files.first();
    if (m_purpose == Purpose::Save) {
        name = completed(name);
        const QFileInfo info(name);
        if (info.exists() &&
            !DialogHost::instance().ask(
                QStringLiteral("Файл %1 уже существует. Заменить его?").arg(info.fileName())))
            return;
    }
    m_fileName = name;
    QFileDialog::accept();
    if (result() == QDialog::Accepted)
        g_lastFolder = QFileInfo(m_fileName).absolutePath();
}
