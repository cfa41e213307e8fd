#pragma once

#include <QList>
#include <QString>
#include <functional>

class IniFile;
class QWidget;

// Saves a window's place, size and state (and, for the main window, a few
// integer properties such as pane sizes) to a section of the settings file,
// and puts them back when the window is shown again.
class WindowPlacement {
public:
    struct Property {
        QString key; // "Panel1_Width"
        std::function<int()> get;
        std::function<void(int)> set;
    };

    WindowPlacement(QWidget *window, const QString &section, bool mainWindow = false);

    void setIniFile(IniFile *ini) { m_ini = ini; }
    void addProperty(const QString &key, std::function<int()> get, std::function<void(int)> set);

    // Call at each show before the window reaches the screen: the saved
    // client rectangle is set while no frame is known, so that it lands on
    // the same pixel with and without a window manager.
    void restore();
    // Call when the window closes; writes nothing for a window never restored.
    // Throws OrvetError when the file cannot be written.
    void save();

    static QString resolutionSuffix();
    static int pixelsPerInch();

private:
    QWidget *m_window;
    QString m_section;
    bool m_main;
    IniFile *m_ini = nullptr;
    QList<Property> m_properties;
    bool m_restored = false;
    bool m_saved = false;
};
