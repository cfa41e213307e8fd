#pragma once

#include <QIdentityProxyModel>

class QFileDialog;

// The file dialogs' Size and Type columns in Russian: Qt writes sizes as
// "34,5 KiB" whatever the locale, and Debian's Russian translation of the
// toolkit has no "Folder". Also sizes the Size, Type and Date columns to
// their texts, which the dialog elides otherwise ("34,…KiB", "До…DF").
class FileDialogTexts : public QIdentityProxyModel {
    Q_OBJECT
public:
    explicit FileDialogTexts(QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Puts the texts into a dialog of Qt's own (DontUseNativeDialog).
    static void apply(QFileDialog *dialog);
    // "512 байт", "34,5 КБ", "2,1 МБ"
    static QString sizeText(qint64 bytes);
};
