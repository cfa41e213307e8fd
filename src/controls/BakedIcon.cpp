#include "controls/BakedIcon.h"

#include <QApplication>
#include <QPainter>
#include <QResource>
#include <QStyle>
#include <QStyleOption>

const QList<int> &BakedIcon::sizes() {
    static const QList<int> s{16, 24, 32, 48, 64};
    return s;
}

QIcon BakedIcon::icon(const QString &name) {
    if (!QResource(QStringLiteral(":/baked/%1-16.argb").arg(name)).isValid())
        return QIcon();
    return QIcon(new BakedIcon(name));
}

BakedIcon::BakedIcon(const QString &name) : m_name(name) {}

QImage BakedIcon::image(int size) const {
    const QResource r(QStringLiteral(":/baked/%1-%2.argb").arg(m_name).arg(size));
    if (!r.isValid() || r.compressionAlgorithm() != QResource::NoCompression || r.size() != qint64(size) * size * 4)
        return QImage();
    return QImage(r.data(), size, size, size * 4, QImage::Format_ARGB32_Premultiplied);
}

QSize BakedIcon::actualSize(const QSize &size, QIcon::Mode, QIcon::State) {
    return size; // drawn at any size
}

QList<QSize> BakedIcon::availableSizes(QIcon::Mode, QIcon::State) {
    QList<QSize> list;
    for (int s : sizes())
        list.append(QSize(s, s));
    return list;
}

QPixmap BakedIcon::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) {
    if (size.isEmpty())
        return QPixmap();
    const quint64 key = quint64(size.width()) << 32 | quint64(size.height()) << 8 | quint64(mode) << 1 | quint64(state);
    if (auto it = m_cache.constFind(key); it != m_cache.cend())
        return *it;
    // The smallest baked picture that is not smaller than asked, else the largest.
    const int want = qMax(size.width(), size.height());
    int pick = sizes().last();
    for (int s : sizes())
        if (s >= want) {
            pick = s;
            break;
        }
    QImage img = image(pick);
    if (img.isNull())
        return QPixmap();
    if (img.size() != size)
        img = img.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap pm = QPixmap::fromImage(img); // copies the pixels out of the resource
    if (mode != QIcon::Normal && qApp) {
        QStyleOption opt(0);
        opt.palette = QGuiApplication::palette();
        pm = QApplication::style()->generatedIconPixmap(mode, pm, &opt);
    }
    m_cache.insert(key, pm);
    return pm;
}

void BakedIcon::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) {
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap pm = pixmap(rect.size() * dpr, mode, state);
    pm.setDevicePixelRatio(dpr);
    painter->drawPixmap(rect, pm);
}
