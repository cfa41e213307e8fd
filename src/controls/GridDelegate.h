#pragma once

#include <QStyledItemDelegate>

// Draws a grid cell as one line of text: the selection, the text (aligned
// as the model says; one that does not fit is cut with an ellipsis, or
// shown from its start as far as it goes) and the focus frame. The grids show nothing else, and the general delegate asks
// the model for every role and lays each cell out several times over,
// which made the first paint of the main window slow.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Off: a text too wide for its cell shows from its start, cut at the edge.
    void setElide(bool elide) { m_elide = elide; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    bool m_elide = true;
};
