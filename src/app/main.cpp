#include "app/TMainForm.h"
#include "data/TDM1.h"
#include "forms/TChesk_New_F.h"
#include "forms/TOptions_F.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"
#include "forms/TPoezd_New_F.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdlib>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Путевые листы"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/orvet.svg")));

    // Created in this order, all hidden; the data module opens the tables
    // and reads the settings while it is created.
    TMainForm mainForm;
    TDM1 dm;
    TOrvet_New_F editor(&dm, &mainForm);
    TOptions_F options(&dm, &mainForm);
    TChesk_New_F chesk(&dm, &mainForm);
    TPoezd_New_F poezd(&dm, &mainForm);
    TOrvet_New_Day_N_F day(&dm, &editor);
    dm.setForms(&editor, &options, &chesk, &poezd, &day);
    mainForm.setDataModule(&dm);

    mainForm.show();
    // Start-up measurements: end the process once the window has been
    // painted, before anything of a normal exit (the placement is not saved).
    if (qEnvironmentVariableIsSet("ORVET_QUIT_AFTER_SHOW"))
        QTimer::singleShot(0, &app, [] {
            QCoreApplication::processEvents();
            std::_Exit(0);
        });
    return app.exec();
}
