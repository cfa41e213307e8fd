#pragma once

#include <QComboBox>
#include <QPointer>

class QLineEdit;
class QMenu;

// Editable combo box that completes the typed text from its own items: the
// first item that starts with the text (letter case ignored) fills in the
// rest, and the filled-in tail is selected so the next letter replaces it.
// Deleting keys and cut, paste and clear requests switch completion off
// until the next other key, so a deleted tail never comes back by itself.
// The list-only style behaves as a plain combo box.
class TFillComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(bool AllowAutoFill READ allowAutoFill WRITE setAllowAutoFill)
    Q_PROPERTY(bool RegisterFromLines READ registerFromLines WRITE setRegisterFromLines)
public:
    explicit TFillComboBox(QWidget *parent = nullptr);

    bool allowAutoFill() const { return m_allowAutoFill; }
    void setAllowAutoFill(bool allow) { m_allowAutoFill = allow; }
    // True: the completed text takes the item's letter case entirely;
    // false: the typed letters keep theirs.
    bool registerFromLines() const { return m_registerFromLines; }
    void setRegisterFromLines(bool fromLines) { m_registerFromLines = fromLines; }

    bool completionSuppressed() const { return m_suppressed; }

    // Shadow the base versions so a new edit field gets wired at once.
    void setEditable(bool editable);
    void setLineEdit(QLineEdit *edit);

    // The edit field's context menu; its cut, paste and delete go through
    // the slots below. The caller owns the menu.
    QMenu *createEditMenu(QWidget *parent = nullptr);

public slots:
    // Edit requests addressed to the control (not typed keys): they suppress
    // completion of the change they make.
    void cut();
    void paste();
    void del();

signals:
    // The text as the user left it, raised before completion.
    void changed(const QString &text);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void showEditMenu(QContextMenuEvent *event);
    void hookLineEdit();
    void noteKey(const QKeyEvent *event);
    void onTextEdited();
    void onActivated();
    void complete();

    bool m_allowAutoFill = true;
    bool m_registerFromLines = true;
    bool m_suppressed = false;
    QPointer<QLineEdit> m_hooked;
};
