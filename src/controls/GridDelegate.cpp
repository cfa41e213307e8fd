#include "controls/GridDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

namespace {
// One line of text shaped once; shaped again only to cut it short.
void layOut(QTextLayout &layout, const QString &text, const QFont &font) {
    layout.setText(text);
    layout.setFont(font);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
}
} // namespace

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const {
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Normal
                                                                               : QPalette::Inactive;
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));

    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
        // The margins the general delegate leaves.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect box = option.rect.adjusted(margin, 0, -margin, 0);
        const QVariant a = index.data(Qt::TextAlignmentRole);
        const Qt::Alignment align =
            a.isValid() ? Qt::Alignment(a.toInt()) : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
        QTextLayout layout;
        layOut(layout, text, option.font);
        const bool tooWide = layout.lineAt(0).naturalTextWidth() > box.width();
        if (tooWide && m_elide)
            layOut(layout, QFontMetrics(option.font).elidedText(text, Qt::ElideRight, box.width()), option.font);
        const QTextLine line = layout.lineAt(0);
        const qreal width = line.naturalTextWidth();
        const qreal x = (tooWide && !m_elide)          ? box.left()
                        : (align & Qt::AlignRight)     ? box.right() + 1 - width
                        : (align & Qt::AlignHCenter) ? box.left() + (box.width() - width) / 2
                                                     : box.left();
        const qreal y = box.top() + (box.height() - line.height()) / 2;
        painter->save();
        painter->setClipRect(box);
        painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        layout.draw(painter, QPointF(x - line.x(), y));
        painter->restore();
    }

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = option.rect;
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        focus.backgroundColor = option.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}
