#pragma once

#include "report/ReportExporter.h"

#include <QFileDialog>

// The preview's file dialogs. Qt's own rather than the desktop's: the name
// is completed before the "replace?" question, which goes through the
// dialog host, and tests drive them like any dialog. They open in the folder
// last used in the run, in the documents folder at first.
class ReportFileDialog : public QFileDialog {
    Q_OBJECT
public:
    enum class Purpose { Save, Open };

    explicit ReportFileDialog(Purpose purpose, QWidget *parent = nullptr);

    // Once accepted: the file, and the format to save it in. A name with an
    // extension the program writes decides the format; any other name gets
    // the extension of the type chosen in the list.
    QString fileName() const { return m_fileName; }
    ReportExporter::Format format() const;

    void accept() override;

    static QString startFolder();

private:
    QString completed(const QString &name) const;
    ReportExporter::Format selectedFormat() const;

    Purpose m_purpose;
    QString m_fileName;
};
