#pragma once

#include <QWidget>

class QToolButton;

// Two small arrow buttons over a position in a range, without wrap-around.
// clicked() is raised only when the position actually changes. With the
// focus, the arrow and page keys press the buttons.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget *parent = nullptr);

    void setRange(int min, int max);
    void setPosition(int position) { m_position = qBound(m_min, position, m_max); }
    int position() const { return m_position; }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    // What the position stands for, in words: a screen reader reads it as
    // the control's value.
    void setValueText(const QString &text);
    QString valueText() const { return m_valueText; }

public slots:
    void stepUp() { step(+1); }
    void stepDown() { step(-1); }

signals:
    void clicked(int direction); // +1 up, -1 down

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void step(int direction);
    void showFocus(bool focused);

    QToolButton *m_up;
    QToolButton *m_down;
    int m_min = 0;
    int m_max = 1000;
    int m_position = 500;
    QString m_valueText;
};
