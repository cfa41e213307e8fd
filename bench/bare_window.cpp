// The yardstick for the program's start-up: a bare Qt main window with
// three empty table views, ended the same way once it has been painted.
// Built a second time with BARE_WITH_TEXT, its views show 30 rows of four
// short texts each: what drawing text alone adds to a start.
#include <QApplication>
#include <QMainWindow>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <clocale>
#include <cstdlib>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // as the program does
    QMainWindow window;
    auto *splitter = new QSplitter(&window);
    for (int i = 0; i < 3; ++i) {
        auto *view = new QTableView(splitter);
#ifdef BARE_WITH_TEXT
        auto *model = new QStandardItemModel(30, 4, view);
        for (int r = 0; r < 30; ++r)
            for (int c = 0; c < 4; ++c)
                model->setItem(r, c, new QStandardItem(QStringLiteral("Строка %1 %2").arg(r).arg(c)));
        view->setModel(model);
#else
        Q_UNUSED(view);
#endif
    }
    window.setCentralWidget(splitter);
    window.resize(712, 433);
    window.show();
    QTimer::singleShot(0, &app, [] {
        QCoreApplication::processEvents(); // the first paint
        std::_Exit(0);                     // as the program's start-up probe ends
    });
    return app.exec();
}
