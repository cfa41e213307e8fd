#pragma once

#include <QValidator>

// Lets a numeric box take digits, a leading minus, the locale's group
// separators and at most `decimals` places after the locale's decimal
// separator. A typed '.' is turned into the locale's separator, for users
// who reach for the keypad's point.
class DecimalValidator : public QValidator {
    Q_OBJECT
public:
    explicit DecimalValidator(QObject *parent = nullptr);

    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);

    State validate(QString &input, int &pos) const override;

private:
    int m_decimals = 2;
};
