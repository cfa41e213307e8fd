#pragma once

#include "report/PreparedReport.h"
#include "report/ReportExporter.h"

#include <QDialog>

class QLineEdit;
class QPrinter;
class QScrollArea;
class QToolButton;
class ReportPageView;

// The preview window: zoom, open, save/export, print, find, help, close.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    explicit ReportPreview(const PreparedReport &report, QWidget *parent = nullptr);

    static QString captionFor(const QString &title);

    const PreparedReport &report() const { return m_report; }
    void setReport(const PreparedReport &report);

    // The zoom button's menu entries.
    void zoomIn();
    void zoomOut();
    void zoomToWidth();
    void zoomToPage();
    double zoom() const;

    // Saves in the own format or exports, by format; failures throw.
    void saveToFile(const QString &fileName, ReportExporter::Format format);
    // Opens a prepared report in place of the shown one; failures throw.
    void openFile(const QString &fileName);
    // Finds the next text item containing text (any letter case) after the
    // last match, marks it and scrolls to it. False when there is none.
    bool findNext(const QString &text);
    // Page and item of the last match; item -1 when nothing is marked.
    int foundPage() const { return m_foundPage; }
    qsizetype foundItem() const { return m_foundItem; }
    // Paints every page on a printer already set up.
    void printTo(QPrinter &printer) const;

private:
    QToolButton *addButton(const QString &objectName, const QString &text, int icon);
    void buildZoomMenu(QToolButton *button);
    void onOpen();
    void onSave();
    void onPrint();
    void onFind();
    void onHelp();

    PreparedReport m_report;
    ReportPageView *m_view = nullptr;
    QScrollArea *m_scroll = nullptr;
    QLineEdit *m_findEdit = nullptr;
    QWidget *m_buttonRow = nullptr;
    int m_foundPage = 0;
    qsizetype m_foundItem = -1;
};
