#include "report/ReportPreview.h"

#include "core/DialogHost.h"
#include "core/OrvetError.h"
#include "report/ReportFileDialog.h"
#include "report/ReportPageView.h"
#include "report/ReportPrinter.h"
#include "report/ReportRenderer.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr double ZoomStep = 1.25;
} // namespace

QString ReportPreview::captionFor(const QString &title) {
    return title + QStringLiteral(" - ") + QStringLiteral("Предварительный просмотр");
}

ReportPreview::ReportPreview(const PreparedReport &report, QWidget *parent)
    : QDialog(parent), m_report(report) {
    setWindowTitle(captionFor(report.title()));
    setModal(true);

    m_buttonRow = new QWidget(this);
    auto *row = new QHBoxLayout(m_buttonRow);
    row->setContentsMargins(4, 4, 4, 4);
    buildZoomMenu(addButton(QStringLiteral("zoomButton"), QStringLiteral("Масштаб"),
                            QStyle::SP_FileDialogContentsView));
    connect(addButton(QStringLiteral("openButton"), QStringLiteral("Открыть"), QStyle::SP_DialogOpenButton),
            &QToolButton::clicked, this, &ReportPreview::onOpen);
    connect(addButton(QStringLiteral("saveButton"), QStringLiteral("Сохранить"), QStyle::SP_DialogSaveButton),
            &QToolButton::clicked, this, &ReportPreview::onSave);
    QToolButton *print =
        addButton(QStringLiteral("printButton"), QStringLiteral("Печать"), QStyle::SP_FileIcon);
    // No printer is an ordinary state of a desktop, not an error.
    print->setEnabled(!QPrinterInfo::availablePrinters().isEmpty());
    connect(print, &QToolButton::clicked, this, &ReportPreview::onPrint);
    connect(
        addButton(QStringLiteral("findButton"), QStringLiteral("Найти"), QStyle::SP_FileDialogDetailedView),
        &QToolButton::clicked, this, &ReportPreview::onFind);
    m_findEdit = new QLineEdit(m_buttonRow);
    m_findEdit->setObjectName(QStringLiteral("findEdit"));
    m_findEdit->setPlaceholderText(QStringLiteral("Текст для поиска"));
    m_findEdit->setAccessibleName(m_findEdit->placeholderText());
    m_findEdit->setMaximumWidth(200);
    m_findEdit->hide();
    row->addWidget(m_findEdit);
    connect(m_findEdit, &QLineEdit::returnPressed, this, &ReportPreview::onFind);
    connect(addButton(QStringLiteral("helpButton"), QStringLiteral("Справка"), QStyle::SP_DialogHelpButton),
            &QToolButton::clicked, this, &ReportPreview::onHelp);
    connect(addButton(QStringLiteral("closeButton"), QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton),
            &QToolButton::clicked, this, &QDialog::accept);
    row->addStretch();

    m_view = new ReportPageView;
    m_view->setReport(&m_report);
    m_scroll = new QScrollArea(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setWidget(m_view);
    m_scroll->setAccessibleName(QStringLiteral("Страницы"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_buttonRow);
    layout->addWidget(m_scroll, 1);
    resize(900, 720);
}

QToolButton *ReportPreview::addButton(const QString &objectName, const QString &text, int icon) {
    auto *button = new QToolButton(m_buttonRow);
    button->setObjectName(objectName);
    button->setText(text);
    button->setToolTip(text);
    button->setIcon(style()->standardIcon(QStyle::StandardPixmap(icon)));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    m_buttonRow->layout()->addWidget(button);
    return button;
}

void ReportPreview::buildZoomMenu(QToolButton *button) {
    auto *menu = new QMenu(button);
    menu->addAction(QStringLiteral("Увеличить"), this, &ReportPreview::zoomIn);
    menu->addAction(QStringLiteral("Уменьшить"), this, &ReportPreview::zoomOut);
    menu->addAction(QStringLiteral("По ширине страницы"), this, &ReportPreview::zoomToWidth);
    menu->addAction(QStringLiteral("Страница целиком"), this, &ReportPreview::zoomToPage);
    menu->addAction(QStringLiteral("100%"), this, [this] { m_view->setZoom(1.0); });
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
}

void ReportPreview::setReport(const PreparedReport &report) {
    m_report = report;
    m_foundPage = 0;
    m_foundItem = -1;
    setWindowTitle(captionFor(m_report.title()));
    m_view->setReport(&m_report);
}

double ReportPreview::zoom() const {
    return m_view->zoom();
}
void ReportPreview::zoomIn() {
    m_view->setZoom(m_view->zoom() * ZoomStep);
}
void ReportPreview::zoomOut() {
    m_view->setZoom(m_view->zoom() / ZoomStep);
}

void ReportPreview::zoomToWidth() {
    m_view->setZoom(m_view->zoomForWidth(m_scroll->viewport()->width()));
}

void ReportPreview::zoomToPage() {
    m_view->setZoom(m_view->zoomForPage(m_scroll->viewport()->size()));
}

void ReportPreview::saveToFile(const QString &fileName, ReportExporter::Format format) {
    ReportExporter::exportFile(m_report, fileName, format);
}

void ReportPreview::openFile(const QString &fileName) {
    setReport(PreparedReport::load(fileName));
}

bool ReportPreview::findNext(const QString &text) {
    if (text.isEmpty() || m_report.isEmpty())
        return false;
    // Walk every item once, starting just after the last match.
    const int pages = m_report.pageCount();
    int page = m_foundItem < 0 ? 0 : m_foundPage;
    qsizetype item = m_foundItem + 1;
    for (int visited = 0; visited <= pages; ++visited) {
        if (page >= pages)
            page = 0;
        const QList<ReportItem> &items = m_report.pages().at(page).items;
        for (; item < items.size(); ++item) {
            if (items.at(item).kind == ReportItem::Kind::Text &&
                items.at(item).text.contains(text, Qt::CaseInsensitive)) {
                m_foundPage = page;
                m_foundItem = item;
                m_view->setHighlight(page, item);
                const QRect r = m_view->itemRect(page, item);
                m_scroll->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + 20,
                                        r.height() / 2 + 20);
                return true;
            }
        }
        ++page;
        item = 0;
    }
    m_foundItem = -1;
    m_view->setHighlight(-1, -1);
    return false;
}

void ReportPreview::printTo(QPrinter &printer) const {
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        throw OrvetError(QStringLiteral("Не удалось начать печать"));
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF target(0, 0, paper.width(), paper.height());
    int first = 0;
    int last = m_report.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = qMax(0, printer.fromPage() - 1);
        last = qMin(last, qMax(first, printer.toPage() - 1));
    }
    for (int p = first; p <= last; ++p) {
        if (p > first)
            printer.newPage();
        ReportRenderer::renderPage(painter, m_report.pages().at(p), m_report.pageSize(), target);
    }
    painter.end();
}

void ReportPreview::onOpen() {
    ReportFileDialog dialog(ReportFileDialog::Purpose::Open, this);
    if (DialogHost::instance().execDialog(&dialog) != QDialog::Accepted)
        return;
    try {
        openFile(dialog.fileName());
    } catch (const OrvetError &e) {
        DialogHost::instance().showError(e.message());
    }
}

void ReportPreview::onSave() {
    ReportFileDialog dialog(ReportFileDialog::Purpose::Save, this);
    if (DialogHost::instance().execDialog(&dialog) != QDialog::Accepted)
        return;
    try {
        saveToFile(dialog.fileName(), dialog.format());
    } catch (const OrvetError &e) {
        DialogHost::instance().showError(e.message());
    }
}

void ReportPreview::onPrint() {
    QPrinter printer(QPrinter::HighResolution);
    ReportPrinter::prepare(printer);
    printer.setDocName(m_report.title());
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, qMax(1, m_report.pageCount()));
    if (DialogHost::instance().execDialog(&dialog) != QDialog::Accepted)
        return;
    ReportPrinter::accept(printer);
    try {
        printTo(printer);
    } catch (const OrvetError &e) {
        DialogHost::instance().showError(e.message());
    }
}

void ReportPreview::onFind() {
    if (!m_findEdit->isVisible()) {
        m_findEdit->show();
        m_findEdit->setFocus();
        return;
    }
    const QString text = m_findEdit->text();
    if (text.isEmpty()) {
        m_findEdit->setFocus();
        return;
    }
    if (!findNext(text))
        DialogHost::instance().showMessage(QStringLiteral("Текст \"%1\" не найден").arg(text));
}

void ReportPreview::onHelp() {
    DialogHost::instance().showMessage(
        QStringLiteral("Предварительный просмотр отчёта.\n\n"
                       "Масштаб: увеличить, уменьшить, по ширине страницы или страница целиком.\n"
                       "Открыть: показать ранее сохранённый отчёт (*.frp).\n"
                       "Сохранить: выгрузить отчёт в PDF (*.pdf), HTML (*.htm), RTF (*.rtf), "
                       "CSV (*.csv), Excel (*.xlsx) или текст (*.txt) либо сохранить его (*.frp). Формат задаёт "
                       "расширение имени файла; имя без него получает расширение типа из списка.\n"
                       "Печать: напечатать отчёт на выбранном принтере.\n"
                       "Найти: ввести текст и нажать Enter; повторное нажатие ищет дальше."));
}
