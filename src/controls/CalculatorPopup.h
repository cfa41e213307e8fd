#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// The drop-down calculator of a numeric box. It starts from the box's
// value; '=' (or Enter) hands the result back and closes, Esc closes
// without touching the box. Works with the mouse and the keyboard alike.
class CalculatorPopup : public QFrame {
    Q_OBJECT
public:
    explicit CalculatorPopup(QWidget *parent = nullptr);

    // Resets the calculator to show `value` and pops it up under `anchor`.
    void popup(QWidget *anchor, double value);
    void start(double value);

    QString displayText() const;
    bool hasError() const { return m_error; }

signals:
    void resultAccepted(double value);

public slots:
    void digit(int d);
    void decimalPoint();
    void operation(QChar op);
    void equals();
    void backspace();
    void clearAll();
    void negate();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // `spoken` is the button's name for a screen reader.
    QPushButton *addButton(const QString &text, const QString &name, int row, int column,
                           const QString &spoken, int columnSpan = 1);
    double entryValue() const;
    bool applyPending();
    void showEntry();

    QLabel *m_display = nullptr;
    QString m_entry = QStringLiteral("0"); // the number being typed, C locale
    double m_accumulator = 0.0;
    QChar m_pending;        // operation waiting for its right operand
    bool m_startNew = true; // the next digit starts a new number
    bool m_error = false;
};
