#include "controls/TFillComboBox.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>

TFillComboBox::TFillComboBox(QWidget *parent) : QComboBox(parent) {
    // The owner fills the list; Enter must not add to it.
    setInsertPolicy(QComboBox::NoInsert);
    setEditable(true);
    connect(this, &QComboBox::activated, this, &TFillComboBox::onActivated);
    // Shift+F10 is the menu key of keyboards without one; the toolkit does
    // not treat it so by itself.
    auto *menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this, nullptr, nullptr,
                                  Qt::WidgetWithChildrenShortcut);
    connect(menuKey, &QShortcut::activated, this, [this] {
        const QPoint below(0, height());
        QContextMenuEvent key(QContextMenuEvent::Keyboard, below, mapToGlobal(below));
        contextMenuEvent(&key);
    });
}

void TFillComboBox::setEditable(bool editable) {
    QComboBox::setEditable(editable);
    hookLineEdit();
}

void TFillComboBox::setLineEdit(QLineEdit *edit) {
    QComboBox::setLineEdit(edit);
    hookLineEdit();
}

void TFillComboBox::hookLineEdit() {
    QLineEdit *edit = lineEdit();
    if (!edit) {
        m_hooked = nullptr;
        return;
    }
    // The stock completer would complete too, by other rules.
    if (edit->completer())
        setCompleter(nullptr);
    if (edit == m_hooked)
        return;
    m_hooked = edit;
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, &TFillComboBox::onTextEdited, Qt::UniqueConnection);
    // The base combo looks the text up when editing finishes (Enter, leaving
    // the field) and makes the matching item current, which would run the
    // completion once more and could swap the text for another item. Here
    // the text stays as the user left it.
    disconnect(edit, SIGNAL(returnPressed()), this, nullptr);
    disconnect(edit, SIGNAL(editingFinished()), this, nullptr);
}

bool TFillComboBox::event(QEvent *event) {
    // Catches an edit field made by a call through a QComboBox pointer.
    QLineEdit *edit = lineEdit();
    if (edit != m_hooked || (edit && edit->completer()))
        hookLineEdit();
    return QComboBox::event(event);
}

void TFillComboBox::noteKey(const QKeyEvent *event) {
    m_suppressed = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace;
}

void TFillComboBox::keyPressEvent(QKeyEvent *event) {
    noteKey(event);
    QComboBox::keyPressEvent(event);
}

bool TFillComboBox::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_hooked) {
        if (event->type() == QEvent::KeyPress) {
            noteKey(static_cast<QKeyEvent *>(event));
        } else if (event->type() == QEvent::ContextMenu) {
            showEditMenu(static_cast<QContextMenuEvent *>(event));
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

// The menu key and Shift+F10 reach the combo box, which would hand them
// straight to the edit field's stock menu: the same menu comes up here.
void TFillComboBox::contextMenuEvent(QContextMenuEvent *event) {
    if (!m_hooked) {
        QComboBox::contextMenuEvent(event);
        return;
    }
    showEditMenu(event);
}

void TFillComboBox::showEditMenu(QContextMenuEvent *event) {
    QMenu *menu = createEditMenu(m_hooked);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard)
        at = m_hooked->mapToGlobal(m_hooked->rect().bottomLeft());
    menu->popup(at);
    event->accept();
}

QMenu *TFillComboBox::createEditMenu(QWidget *parent) {
    auto *menu = new QMenu(parent);
    QLineEdit *edit = lineEdit();
    if (!edit)
        return menu;
    const bool writable = !edit->isReadOnly();
    const bool selected = edit->hasSelectedText();
    const bool canPaste = writable && !QApplication::clipboard()->text().isEmpty();

    QAction *undo = menu->addAction(QStringLiteral("Отменить"), edit, &QLineEdit::undo);
    undo->setEnabled(writable && edit->isUndoAvailable());
    QAction *redo = menu->addAction(QStringLiteral("Повторить"), edit, &QLineEdit::redo);
    redo->setEnabled(writable && edit->isRedoAvailable());
    menu->addSeparator();
    QAction *cutAction = menu->addAction(QStringLiteral("Вырезать"), this, &TFillComboBox::cut);
    cutAction->setObjectName(QStringLiteral("edit-cut"));
    cutAction->setEnabled(writable && selected);
    QAction *copy = menu->addAction(QStringLiteral("Копировать"), edit, &QLineEdit::copy);
    copy->setObjectName(QStringLiteral("edit-copy"));
    copy->setEnabled(selected);
    QAction *pasteAction = menu->addAction(QStringLiteral("Вставить"), this, &TFillComboBox::paste);
    pasteAction->setObjectName(QStringLiteral("edit-paste"));
    pasteAction->setEnabled(canPaste);
    QAction *deleteAction = menu->addAction(QStringLiteral("Удалить"), this, &TFillComboBox::del);
    deleteAction->setObjectName(QStringLiteral("edit-delete"));
    deleteAction->setEnabled(writable && selected);
    menu->addSeparator();
    QAction *all = menu->addAction(QStringLiteral("Выделить все"), edit, &QLineEdit::selectAll);
    all->setEnabled(!edit->text().isEmpty());
    return menu;
}

void TFillComboBox::cut() {
    if (QLineEdit *edit = lineEdit()) {
        m_suppressed = true;
        edit->cut();
    }
}

void TFillComboBox::paste() {
    if (QLineEdit *edit = lineEdit()) {
        m_suppressed = true;
        edit->paste();
    }
}

void TFillComboBox::del() {
    if (QLineEdit *edit = lineEdit()) {
        m_suppressed = true;
        edit->del();
    }
}

void TFillComboBox::onTextEdited() {
    emit changed(currentText());
    complete();
}

void TFillComboBox::onActivated() {
    emit changed(currentText());
    complete();
}

void TFillComboBox::complete() {
    QLineEdit *edit = lineEdit();
    if (!edit || !m_allowAutoFill || m_suppressed)
        return;
    const QString typed = edit->text();
    if (typed.isEmpty())
        return;
    const QString key = typed.toUpper();
    for (int i = 0; i < count(); ++i) {
        const QString item = itemText(i);
        if (!item.toUpper().startsWith(key))
            continue;
        const qsizetype typedLength = typed.size();
        const QString filled = m_registerFromLines ? item : typed + item.mid(typedLength);
        edit->setText(filled);
        if (filled.size() > typedLength)
            edit->setSelection(int(typedLength), int(filled.size() - typedLength));
        else
            edit->setCursorPosition(int(filled.size()));
        return;
    }
}
