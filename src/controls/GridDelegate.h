#pragma once

#include <QStyledItemDelegate>

// Draws a grid cell as one line of text: the selection, the text (aligned
// as the model says, cut with an ellipsis when it does not fit) and the
// focus frame. The grids show nothing else, and the general delegate asks
// the model for every role and lays each cell out several times over,
// which made the first paint of the main window slow.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
