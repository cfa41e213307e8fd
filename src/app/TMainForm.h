#pragma once

#include "core/Names.h"

#include <QDate>
#include <QMainWindow>
#include <memory>

class DBGrid;
class QDateEdit;
class QGroupBox;
class QSplitter;
class QToolBar;
class TDM1;
class UpDown;
class WindowPlacement;

// The main window: every waybill on the left, the receipts of the period and
// the trip types on the right, the commands in the menu and tool bars.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // Binds the grids and commands once the data module exists.
    void setDataModule(TDM1 *dm);

    // Resets the period to the previous calendar month of `today`.
    void FormActivate(const QDate &today = QDate::currentDate());
    void UpDown1Click(int direction);

    DBGrid *DBGrid1 = nullptr; // waybills
    DBGrid *DBGrid2 = nullptr; // receipts
    DBGrid *DBGrid3 = nullptr; // trip types
    QDateEdit *DateEdit1 = nullptr;
    QDateEdit *DateEdit2 = nullptr;
    UpDown *UpDown1 = nullptr;
    QSplitter *Splitter1 = nullptr; // left | right pane
    QSplitter *Splitter2 = nullptr; // receipts / trip types
    QWidget *Panel1 = nullptr;      // right pane
    QWidget *Panel2 = nullptr;      // left pane
    QGroupBox *GroupBox1 = nullptr; // receipts
    QGroupBox *GroupBox2 = nullptr; // trip types

    // Sizes kept in the settings file.
    int panel1Width() const;
    int panel2Width() const;
    int groupBox1Height() const;
    void setPanel1Width(int w);
    void setPanel2Width(int w);
    void setGroupBox1Height(int h);

    void setVisible(bool visible) override;

    // Another start of the program asked for this copy: its window comes to
    // the front as it was left, an open dialog on top of it.
    void bringToFront();

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void buildToolBar();
    void buildMenu();
    void openMenuBar();
    QToolBar *paneToolBar(const QStringList &actions, const QList<Image> &images);
    void DateEdit1Change();
    QString periodInWords() const;
    void handleKey(QObject *source, int key);
    void onFocusWindowChanged();
    void applyPendingPanes();

    TDM1 *m_dm = nullptr;
    QToolBar *m_toolBar = nullptr;
    QToolBar *m_cheskBar = nullptr;
    QToolBar *m_poezdBar = nullptr;
    std::unique_ptr<WindowPlacement> m_placement;
    bool m_placementRestored = false;
    bool m_firstShown = false;
    bool m_firstPainted = false;
    bool m_panesPending = true;
    int m_panel1Width = 0;
    int m_groupBox1Height = 0;
    bool m_activateOnReturn = true; // first activation, or back from another window of ours
    bool m_settingPeriod = false;
};
