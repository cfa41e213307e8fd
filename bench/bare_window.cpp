// The yardstick for the program's start-up: a bare Qt main window with
// three empty table views, ended the same way once it has been painted.
#include <QApplication>
#include <QMainWindow>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <cstdlib>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto *splitter = new QSplitter(&window);
    for (int i = 0; i < 3; ++i)
        new QTableView(splitter);
    window.setCentralWidget(splitter);
    window.resize(712, 433);
    window.show();
    if (qEnvironmentVariableIsSet("ORVET_QUIT_AFTER_SHOW"))
        QTimer::singleShot(0, &app, [] {
            QCoreApplication::processEvents(); // the first paint
            std::_Exit(0);                     // as the program ends in this case
        });
    return app.exec();
}
