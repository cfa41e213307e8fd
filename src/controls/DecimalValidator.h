#pragma once

#include <QValidator>

// Lets a numeric box take digits, a leading minus, spaces, '.' and ',' as
// NumberFormat::read takes them apart, and at most `decimals` places after
// the decimal sign. A text that is a number only once more is typed
// (1.234 on the way to 1.234,56) is Intermediate: the box refuses it at Ok
// rather than keep a part of it.
class DecimalValidator : public QValidator {
    Q_OBJECT
public:
    explicit DecimalValidator(QObject *parent = nullptr);

    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);
    // A box of amounts that are never below zero (a receipt's litres and
    // rubles) takes no minus at all.
    bool signAllowed() const { return m_signed; }
    void setSignAllowed(bool allowed) { m_signed = allowed; }

    State validate(QString &input, int &pos) const override;

private:
    int m_decimals = 2;
    bool m_signed = true;
};
