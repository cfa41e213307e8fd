#pragma once

#include "core/NumberFormat.h"

#include <QLineEdit>

class CalculatorPopup;
class DecimalValidator;
class QToolButton;

// Numeric box with a drop-down calculator. It shows its value in its
// display format, shows 0 as an empty box and gives back the number it
// shows, so a value read back is rounded to the box's decimals.
// textChanged (inherited) fires on every change of the text, valueChanged
// when the number shown changes.
class CalcEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue NOTIFY valueChanged USER true)
    Q_PROPERTY(int decimals READ decimals WRITE setDecimals)
    Q_PROPERTY(QString displayFormat READ displayFormat WRITE setDisplayFormat)
public:
    explicit CalcEdit(QWidget *parent = nullptr);

    double value() const;
    void setValue(double value);

    int decimals() const { return m_format.decimals(); }
    void setDecimals(int decimals);
    QString displayFormat() const { return m_format.pattern(); }
    void setDisplayFormat(const QString &format);

    // Throws the error naming the field when the text typed is a number
    // only in part or only in one of two readings (1.234 in ru_RU with two
    // decimals): the box never keeps a part of what was typed.
    void checkTyped();

    QToolButton *calculatorButton() const { return m_button; }
    // Created on first use.
    CalculatorPopup *calculator();

public slots:
    void showCalculator();

signals:
    void valueChanged(double value);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void reformat();
    void onTextChanged();
    void updateButton();
    void formatChanged();

    NumberFormat m_format;
    DecimalValidator *m_validator = nullptr;
    QToolButton *m_button = nullptr;
    CalculatorPopup *m_calculator = nullptr;
    double m_lastValue = 0.0;
};
