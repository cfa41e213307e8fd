#include "controls/CalculatorPopup.h"

#include "controls/ReadOnlyFieldAccessible.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <cmath>

namespace {
const QString kErrorText = QStringLiteral("Ошибка");

QString numberText(double value) {
    return QString::number(value, 'g', 15);
}
} // namespace

CalculatorPopup::CalculatorPopup(QWidget *parent) : QFrame(parent, Qt::Popup) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setFocusPolicy(Qt::StrongFocus);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(2);

    m_display = new QLabel(this);
    m_display->setObjectName(QStringLiteral("calcDisplay"));
    m_display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_display->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_display->setMinimumWidth(120);
    setAccessibleName(QStringLiteral("Калькулятор"));
    m_display->setAccessibleName(QStringLiteral("Результат"));
    ReadOnlyFieldAccessible::expose(m_display);
    grid->addWidget(m_display, 0, 0, 1, 4);

    connect(addButton(QStringLiteral("C"), QStringLiteral("calcClear"), 1, 0, QStringLiteral("Сброс")),
            &QPushButton::clicked, this, &CalculatorPopup::clearAll);
    connect(addButton(QStringLiteral("←"), QStringLiteral("calcBack"), 1, 1, QStringLiteral("Стереть цифру")),
            &QPushButton::clicked, this, &CalculatorPopup::backspace);
    connect(
        addButton(QStringLiteral("±"), QStringLiteral("calcNegate"), 1, 2, QStringLiteral("Сменить знак")),
        &QPushButton::clicked, this, &CalculatorPopup::negate);
    const struct {
        QChar op;
        const char *name;
        int row;
        const char *spoken;
    } ops[] = {{QLatin1Char('/'), "calcDivide", 1, "Разделить"},
               {QLatin1Char('*'), "calcMultiply", 2, "Умножить"},
               {QLatin1Char('-'), "calcMinus", 3, "Вычесть"},
               {QLatin1Char('+'), "calcPlus", 4, "Прибавить"}};
    for (const auto &o : ops) {
        const QChar op = o.op;
        connect(addButton(QString(op), QLatin1String(o.name), o.row, 3, QString::fromUtf8(o.spoken)),
                &QPushButton::clicked, this, [this, op] { operation(op); });
    }
    for (int d : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0}) {
        const int row = d == 0 ? 5 : 4 - (d - 1) / 3;
        const int column = d == 0 ? 0 : (d - 1) % 3;
        connect(
            addButton(QString::number(d), QStringLiteral("calc%1").arg(d), row, column, QString::number(d)),
            &QPushButton::clicked, this, [this, d] { digit(d); });
    }
    connect(addButton(QLocale().decimalPoint(), QStringLiteral("calcPoint"), 5, 1,
                      QStringLiteral("Десятичная запятая")),
            &QPushButton::clicked, this, &CalculatorPopup::decimalPoint);
    connect(addButton(QStringLiteral("="), QStringLiteral("calcEquals"), 5, 2, QStringLiteral("Равно"), 2),
            &QPushButton::clicked, this, &CalculatorPopup::equals);
    showEntry();
}

QPushButton *CalculatorPopup::addButton(const QString &text, const QString &name, int row, int column,
                                        const QString &spoken, int columnSpan) {
    auto *button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAccessibleName(spoken);
    // Keys must keep reaching the calculator itself.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    button->setMinimumSize(28, 24);
    static_cast<QGridLayout *>(layout())->addWidget(button, row, column, 1, columnSpan);
    return button;
}

void CalculatorPopup::popup(QWidget *anchor, double value) {
    start(value);
    adjustSize();
    QPoint pos = anchor->mapToGlobal(QPoint(anchor->width() - width(), anchor->height()));
    if (const QScreen *screen = anchor->screen()) {
        const QRect area = screen->availableGeometry();
        if (pos.y() + height() > area.bottom())
            pos.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - height());
        pos.setX(qBound(area.left(), pos.x(), qMax(area.left(), area.right() - width())));
    }
    move(pos);
    show();
    setFocus(Qt::PopupFocusReason);
}

void CalculatorPopup::start(double value) {
    m_entry = numberText(value);
    m_accumulator = 0.0;
    m_pending = QChar();
    m_startNew = true;
    m_error = false;
    showEntry();
}

QString CalculatorPopup::displayText() const {
    return m_display->text();
}

double CalculatorPopup::entryValue() const {
    return m_entry.toDouble();
}

void CalculatorPopup::showEntry() {
    if (m_error) {
        m_display->setText(kErrorText);
        return;
    }
    QString shown = m_entry;
    shown.replace(QLatin1Char('.'), QLocale().decimalPoint());
    m_display->setText(shown);
}

void CalculatorPopup::digit(int d) {
    if (m_error)
        return;
    if (m_startNew || m_entry == QLatin1String("0")) {
        m_entry.clear();
        m_startNew = false;
    } else if (m_entry == QLatin1String("-0")) {
        m_entry = QStringLiteral("-");
    }
    if (m_entry.size() < 20)
        m_entry += QChar(QLatin1Char('0').unicode() + d);
    showEntry();
}

void CalculatorPopup::decimalPoint() {
    if (m_error)
        return;
    if (m_startNew) {
        m_entry = QStringLiteral("0");
        m_startNew = false;
    }
    if (!m_entry.contains(QLatin1Char('.')))
        m_entry += QLatin1Char('.');
    showEntry();
}

bool CalculatorPopup::applyPending() {
    const double right = entryValue();
    double result = right;
    switch (m_pending.unicode()) {
    case '+':
        result = m_accumulator + right;
        break;
    case '-':
        result = m_accumulator - right;
        break;
    case '*':
        result = m_accumulator * right;
        break;
    case '/':
        result = right == 0.0 ? qQNaN() : m_accumulator / right;
        break;
    default:
        break;
    }
    m_pending = QChar();
    if (!std::isfinite(result)) {
        m_error = true;
        showEntry();
        return false;
    }
    m_accumulator = result;
    m_entry = numberText(result);
    m_startNew = true;
    showEntry();
    return true;
}

void CalculatorPopup::operation(QChar op) {
    if (m_error)
        return;
    // A second operator in a row only replaces the first.
    if (!m_pending.isNull() && m_startNew) {
        m_pending = op;
        return;
    }
    if (!applyPending())
        return;
    m_pending = op;
}

void CalculatorPopup::equals() {
    if (m_error || !applyPending())
        return;
    const double result = entryValue();
    hide();
    emit resultAccepted(result);
}

void CalculatorPopup::backspace() {
    if (m_error || m_startNew)
        return;
    m_entry.chop(1);
    if (m_entry.isEmpty() || m_entry == QLatin1String("-"))
        m_entry = QStringLiteral("0");
    showEntry();
}

void CalculatorPopup::clearAll() {
    m_entry = QStringLiteral("0");
    m_accumulator = 0.0;
    m_pending = QChar();
    m_startNew = true;
    m_error = false;
    showEntry();
}

void CalculatorPopup::negate() {
    if (m_error)
        return;
    if (m_entry.startsWith(QLatin1Char('-')))
        m_entry.remove(0, 1);
    else
        m_entry.prepend(QLatin1Char('-'));
    showEntry();
}

void CalculatorPopup::keyPressEvent(QKeyEvent *event) {
    const QString text = event->text();
    const QChar c = text.size() == 1 ? text.at(0) : QChar();
    switch (event->key()) {
    case Qt::Key_Escape:
        hide();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        equals();
        return;
    case Qt::Key_Backspace:
        backspace();
        return;
    case Qt::Key_Delete:
        clearAll();
        return;
    default:
        break;
    }
    if (c.isDigit() && c.unicode() < 128)
        digit(c.digitValue());
    else if (c == QLatin1Char('.') || c == QLatin1Char(','))
        decimalPoint();
    else if (QStringLiteral("+-*/").contains(c))
        operation(c);
    else if (c == QLatin1Char('='))
        equals();
    else if (c.toUpper() == QLatin1Char('C') || c.toUpper() == QChar(0x0421)) // Latin or Cyrillic С
        clearAll();
    else
        QFrame::keyPressEvent(event);
}
