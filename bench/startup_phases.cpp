// The program's start-up sequence as main() runs it, with the time at the
// end of each step written to standard output ("<step> <ms>"), so that the
// start-up figure can be taken apart. Keep it in step with src/app/main.cpp.
// With a file name as argument it also saves the window as painted (PNG).
#include "app/TMainForm.h"
#include "data/TDM1.h"
#include "forms/TChesk_New_F.h"
#include "forms/TOptions_F.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"
#include "forms/TPoezd_New_F.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {
QElapsedTimer g_clock;
void mark(const char *step) {
    std::printf("%s %.3f\n", step, g_clock.nsecsElapsed() / 1e6);
}
} // namespace

int main(int argc, char *argv[]) {
    g_clock.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Путевые листы"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/orvet.svg")));
    mark("application");

    TMainForm mainForm;
    mark("main_window");
    TDM1 dm;
    mark("data_module");
    TOrvet_New_F editor(&dm, &mainForm);
    TOptions_F options(&dm, &mainForm);
    TChesk_New_F chesk(&dm, &mainForm);
    TPoezd_New_F poezd(&dm, &mainForm);
    TOrvet_New_Day_N_F day(&dm, &editor);
    dm.setForms(&editor, &options, &chesk, &poezd, &day);
    mark("dialogs");
    mainForm.setDataModule(&dm);
    mark("lists_bound");
    mainForm.show();
    mark("shown");
    const QString picture = QApplication::arguments().value(1);
    QTimer::singleShot(0, &app, [&mainForm, picture] {
        QCoreApplication::processEvents();
        mark("painted");
        if (!picture.isEmpty())
            mainForm.grab().save(picture);
        std::fflush(stdout);
        std::_Exit(0);
    });
    return app.exec();
}
