#pragma once

#include <QHash>
#include <QIconEngine>
#include <QPixmap>

// An icon whose pictures were rendered at build time into raw pixels
// (resources under ":/baked/<name>-<size>.argb"). Showing one reads the
// pixels in place; no image reader, no plugin, no SVG renderer.
class BakedIcon : public QIconEngine {
public:
    // The icon of resources/icons/<name>.svg; a null icon for an unknown name.
    static QIcon icon(const QString &name);
    // The sizes baked for every icon, smallest first.
    static const QList<int> &sizes();

    explicit BakedIcon(const QString &name);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QString key() const override { return QStringLiteral("BakedIcon"); }
    QIconEngine *clone() const override { return new BakedIcon(m_name); }

private:
    QImage image(int size) const; // the baked picture, not copied
    QString m_name;
    QHash<quint64, QPixmap> m_cache;
};
