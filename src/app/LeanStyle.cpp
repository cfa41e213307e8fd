#include "app/LeanStyle.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

namespace {

// Two chevrons pointing right (or down), drawn at whatever size is asked.
class ChevronIconEngine : public QIconEngine {
public:
    explicit ChevronIconEngine(bool down) : m_down(down) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override {
        const QPalette pal;
        QColor color =
            pal.color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::ButtonText);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.center() + QPointF(0.5, 0.5));
        if (m_down)
            painter->rotate(90);
        const qreal s = qMin(rect.width(), rect.height()) / 16.0;
        QPainterPath path;
        for (qreal x : {-4.0, 1.0}) {
            path.moveTo(x * s, -4 * s);
            path.lineTo((x + 3.5) * s, 0);
            path.lineTo(x * s, 4 * s);
        }
        painter->setPen(QPen(color, qMax<qreal>(1.0, 1.5 * s), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->drawPath(path);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }

    QIconEngine *clone() const override { return new ChevronIconEngine(m_down); }

private:
    bool m_down;
};

} // namespace

LeanStyle::LeanStyle(QStyle *base)
    : QProxyStyle(base),
      m_fusion(baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0) {}

QIcon LeanStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                              const QWidget *widget) const {
    if (m_fusion && standardIcon == SP_ToolBarHorizontalExtensionButton)
        return QIcon(new ChevronIconEngine(false));
    if (m_fusion && standardIcon == SP_ToolBarVerticalExtensionButton)
        return QIcon(new ChevronIconEngine(true));
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}

void LeanStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                            const QWidget *widget) const {
    if (element == CE_MenuBarItem && widget && widget->hasFocus() && (option->state & State_Selected)) {
        if (const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option)) {
            QStyleOptionMenuItem keyboard(*item);
            keyboard.state |= State_Sunken;
            QProxyStyle::drawControl(element, &keyboard, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void LeanStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                              const QWidget *widget) const {
    if (!m_fusion || element != PE_FrameGroupBox) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Fusion's frame: a rounded outline, a shade darker than the window,
    // with a light line inside it.
    const QRectF r = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor window = option->palette.window().color();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(window.darker(124));
    painter->drawRoundedRect(r, 2, 2);
    painter->setPen(window.lighter(108));
    painter->drawRoundedRect(r.adjusted(1, 1, -1, -1), 1.5, 1.5);
    painter->restore();
}
