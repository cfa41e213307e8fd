#include "report/FileDialogTexts.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QTreeView>

namespace {
enum Column { Name, Size, Type, Date };
} // namespace

FileDialogTexts::FileDialogTexts(QObject *parent) : QIdentityProxyModel(parent) {}

QString FileDialogTexts::sizeText(qint64 bytes) {
    const QLocale locale;
    if (bytes < 1024)
        return QStringLiteral("%1 байт").arg(locale.toString(bytes));
    static const char *const units[] = {"КБ", "МБ", "ГБ", "ТБ"};
    double size = double(bytes) / 1024;
    int unit = 0;
    while (size >= 1024 && unit + 1 < int(std::size(units))) {
        size /= 1024;
        ++unit;
    }
    return locale.toString(size, 'f', size < 10 ? 1 : 0) + QChar(0x00A0) + QString::fromUtf8(units[unit]);
}

QVariant FileDialogTexts::data(const QModelIndex &index, int role) const {
    const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
    if (!files || role != Qt::DisplayRole || (index.column() != Size && index.column() != Type))
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    const bool folder = files->isDir(source);
    if (index.column() == Size)
        return folder ? QString() : sizeText(files->size(source));
    if (folder)
        return QStringLiteral("Папка");
    // "PDF File" as Qt names a type by its suffix, "File" without one.
    const QString suffix = files->fileInfo(source).suffix();
    return suffix.isEmpty() ? QStringLiteral("Файл") : QStringLiteral("Файл %1").arg(suffix.toUpper());
}

void FileDialogTexts::apply(QFileDialog *dialog) {
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setProxyModel(new FileDialogTexts(dialog));
    if (auto *details = dialog->findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(Name, QHeaderView::Stretch);
        for (int column : {Size, Type, Date})
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}
