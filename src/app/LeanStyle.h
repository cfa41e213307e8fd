#pragma once

#include <QProxyStyle>

// The application's style with the few pictures Fusion loads from image
// files drawn in code instead. The first image file a Qt program reads
// makes Qt load every image format plugin it has, which costs the start-up
// more than everything the main window draws; the tool bar's and menu
// bar's overflow buttons and the group box frames would be the only reason.
// Other base styles are left untouched.
class LeanStyle : public QProxyStyle {
public:
    // Over the given style (owned), or the platform's default one.
    explicit LeanStyle(QStyle *base = nullptr);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    // The menu bar's item under the keyboard (after F10 or Alt) drawn as
    // selected: Fusion marks an item only while its menu is open.
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;

private:
    bool m_fusion;
};
