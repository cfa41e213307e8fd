#include "controls/CalcEdit.h"

#include "controls/CalculatorPopup.h"
#include "controls/DecimalValidator.h"
#include "core/OrvetError.h"

#include <QKeyEvent>
#include <QStyle>
#include <QToolButton>

CalcEdit::CalcEdit(QWidget *parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_validator = new DecimalValidator(this);
    m_validator->setDecimals(m_format.maxDecimals());
    setValidator(m_validator);

    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("calcButton"));
    m_button->setArrowType(Qt::DownArrow);
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setToolTip(QStringLiteral("Калькулятор"));
    m_button->setAccessibleName(m_button->toolTip());
    connect(m_button, &QToolButton::clicked, this, &CalcEdit::showCalculator);
    updateButton();

    connect(this, &QLineEdit::textChanged, this, &CalcEdit::onTextChanged);
    connect(this, &QLineEdit::editingFinished, this, &CalcEdit::reformat);
}

double CalcEdit::value() const {
    return m_format.round(NumberFormat::parse(text()));
}

void CalcEdit::checkTyped() {
    QString typed = text();
    int pos = 0;
    if (isReadOnly() || m_validator->validate(typed, pos) == QValidator::Acceptable)
        return;
    setFocus(Qt::OtherFocusReason);
    selectAll();
    if (!m_validator->signAllowed() && NumberFormat::parse(typed) < 0) // from the calculator
        throw OrvetError(QStringLiteral("Поле «%1»: число не может быть меньше нуля").arg(accessibleName()));
    throw OrvetError(QStringLiteral("Поле «%1»: «%2» не читается как число однозначно. "
                                    "Запишите его без точек между тысячами, например «1 234,56»")
                         .arg(accessibleName(), typed.trimmed()));
}

void CalcEdit::setValue(double value) {
    setText(m_format.toText(value));
}

void CalcEdit::setDecimals(int decimals) {
    const double current = NumberFormat::parse(text());
    m_format.setDecimals(decimals);
    formatChanged();
    setValue(current);
}

void CalcEdit::setDisplayFormat(const QString &format) {
    const double current = NumberFormat::parse(text());
    m_format.setPattern(format);
    formatChanged();
    setValue(current);
}

void CalcEdit::formatChanged() {
    m_validator->setDecimals(m_format.maxDecimals());
}

CalculatorPopup *CalcEdit::calculator() {
    if (!m_calculator) {
        m_calculator = new CalculatorPopup(this);
        connect(m_calculator, &CalculatorPopup::resultAccepted, this, [this](double result) {
            setValue(result);
            setFocus(Qt::PopupFocusReason);
        });
    }
    return m_calculator;
}

void CalcEdit::showCalculator() {
    if (isReadOnly() || !isEnabled())
        return;
    calculator()->popup(this, value());
}

// Tidies what the user typed into the display format once editing ends.
void CalcEdit::reformat() {
    const QString formatted = m_format.toText(value());
    if (formatted != text())
        setText(formatted);
}

void CalcEdit::onTextChanged() {
    const double now = value();
    if (now == m_lastValue)
        return;
    m_lastValue = now;
    emit valueChanged(now);
}

void CalcEdit::updateButton() {
    const bool visible = !isReadOnly();
    m_button->setVisible(visible);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int side = qMax(0, height() - 2 * frame);
    m_button->setGeometry(width() - frame - side, frame, side, side);
    setTextMargins(0, 0, visible ? side : 0, 0);
}

void CalcEdit::resizeEvent(QResizeEvent *event) {
    QLineEdit::resizeEvent(event);
    updateButton();
}

void CalcEdit::changeEvent(QEvent *event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::ReadOnlyChange || event->type() == QEvent::StyleChange)
        updateButton();
}

void CalcEdit::keyPressEvent(QKeyEvent *event) {
    const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (altDown || (event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier)) {
        showCalculator();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
