#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// Places the controls of a fixed-size dialog drawn in pixels at 96 dpi for a
// small 8-point font. Every control keeps its drawn place; when the
// platform's font needs more room (a label wider than the room drawn for it,
// an edit box taller than drawn) the whole drawing is stretched, so the
// arrangement stays as drawn and nothing is clipped.
class DesignedGeometry {
public:
    DesignedGeometry(QWidget *form, const QSize &client) : m_form(form), m_client(client) {}

    // A control at its drawn rectangle.
    void place(QWidget *control, const QRect &rect) { m_items.append({control, rect, false}); }
    // A label or check box whose text has to fit into the drawn width.
    void placeText(QWidget *control, const QRect &rect) { m_items.append({control, rect, true}); }

    // A field with its label at the left: the label is its buddy and gives
    // the field its accessible name.
    void placeLabelled(const QString &text, const QRect &labelRect, QWidget *field, const QRect &fieldRect);

    // Stretches as needed, moves every control and fixes the client size.
    void apply();

private:
    struct Item {
        QWidget *control;
        QRect rect;
        bool text;
    };
    QRect scaled(const QRect &r) const;

    QWidget *m_form;
    QSize m_client;
    QList<Item> m_items;
    double m_sx = 1.0;
    double m_sy = 1.0;
};
