#include "settings/WindowPlacement.h"

#include "settings/IniFile.h"

#include <QApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace {
const QString FormVersion = QStringLiteral("FormVersion");

// Words 1 to 4 of a "l,t,r,b" text; a missing or non-numeric word gives its default.
QList<int> fourNumbers(const QString &text, const QList<int> &defaults) {
    const QStringList words = text.split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts);
    QList<int> out;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const int v = i < words.size() ? words[i].toInt(&ok) : 0;
        out.append(i < words.size() ? (ok ? v : 0) : defaults.value(i));
    }
    return out;
}

QString joinFour(int a, int b, int c, int d) { return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d); }

// A window whose title bar was left above the desktop or beyond its edges
// (a screen since removed, an older file) comes back where it can be reached:
// its top on the desktop and a strip of it inside.
QRect onScreen(QRect r) {
    const QScreen *s = QGuiApplication::screenAt(r.center());
    if (!s)
        s = QGuiApplication::primaryScreen();
    if (!s)
        return r;
    constexpr int Reach = 40;
    const QRect area = s->availableVirtualGeometry();
    r.moveTop(qBound(area.top(), r.top(), qMax(area.top(), area.bottom() - Reach)));
    r.moveLeft(qBound(area.left() - r.width() + Reach, r.left(), qMax(area.left(), area.right() - Reach)));
    return r;
}
} // namespace

WindowPlacement::WindowPlacement(QWidget *window, const QString &section, bool mainWindow)
    : m_window(window), m_section(section), m_main(mainWindow) {}

void WindowPlacement::addProperty(const QString &key, std::function<int()> get, std::function<void(int)> set) {
    m_properties.append({key, std::move(get), std::move(set)});
}

QString WindowPlacement::resolutionSuffix() {
    const QScreen *s = QGuiApplication::primaryScreen();
    const QSize size = s ? s->size() : QSize(0, 0);
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

int WindowPlacement::pixelsPerInch() {
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? int(std::lround(s->logicalDotsPerInch())) : 96;
}

void WindowPlacement::restore() {
    m_restored = true;
    m_saved = false;
    if (!m_ini)
        return;
    if (m_ini->readInteger(m_section, FormVersion, 0) < 0)
        return;
    const QString suffix = resolutionSuffix();
    QString norm = m_ini->readString(m_section, QStringLiteral("NormPos") + suffix, QString());
    if (norm.isEmpty())
        norm = m_ini->readString(m_section, QStringLiteral("NormPos"), QString());
    const QRect g = m_window->geometry();
    if (!norm.isEmpty() &&
        m_ini->readInteger(m_section, QStringLiteral("PixelsPerInch"), pixelsPerInch()) == pixelsPerInch()) {
        const QList<int> r = fourNumbers(norm, {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
        if (r[2] > r[0]) {
            const QSize min = m_window->minimumSize();
            const QSize size(qMax(r[2] - r[0], min.width()), qMax(r[3] - r[1], min.height()));
            m_window->setGeometry(onScreen(QRect(QPoint(r[0], r[1]), size)));
        }
    }
    switch (m_ini->readInteger(m_section, QStringLiteral("ShowCmd"), 0)) {
    case 3:
        m_window->setWindowState(Qt::WindowMaximized);
        break;
    case 2:
    case 6:
    case 7:
        m_window->setWindowState(Qt::WindowMinimized);
        break;
    default:
        m_window->setWindowState(Qt::WindowNoState);
        break;
    }
    for (const Property &p : std::as_const(m_properties)) {
        bool ok = false;
        const int v = IniFile::toInteger(m_ini->readString(m_section, p.key, QString::number(p.get())), &ok);
        p.set(ok ? v : 0);
    }
}

void WindowPlacement::save() {
    // A file that could not be read was reported when it was; the placement
    // is not worth a second message at every close.
    if (!m_restored || m_saved || !m_ini || m_ini->unreadable())
        return;
    m_saved = true;
    const Qt::WindowStates st = m_window->windowState();
    const int showCmd = st.testFlag(Qt::WindowMinimized) ? 2 : st.testFlag(Qt::WindowMaximized) ? 3 : 1;
    // The client area, as restore() puts it back: a frame corner with the
    // client's size would move the window by its title bar at every start.
    const QRect n = (st & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
                        ? m_window->normalGeometry()
                        : m_window->geometry();
    const QString suffix = resolutionSuffix();
    const QString minMax = joinFour(-1, -1, -1, -1);
    const QString norm = joinFour(n.left(), n.top(), n.left() + n.width(), n.top() + n.height());
    IniFile::Entries e{{FormVersion, QStringLiteral("0")},
                       {QStringLiteral("Flags"), QStringLiteral("0")},
                       {QStringLiteral("ShowCmd"), QString::number(showCmd)},
                       {QStringLiteral("PixelsPerInch"), QString::number(pixelsPerInch())},
                       {QStringLiteral("MinMaxPos") + suffix, minMax},
                       {QStringLiteral("MinMaxPos"), minMax},
                       {QStringLiteral("NormPos") + suffix, norm},
                       {QStringLiteral("NormPos"), norm},
                       {QStringLiteral("Visible"), QStringLiteral("0")}};
    for (const Property &p : std::as_const(m_properties))
        e.append({p.key, QString::number(p.get())});
    m_ini->writeStrings(m_section, e);
}
