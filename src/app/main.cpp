#include "app/AppForms.h"
#include "app/LeanStyle.h"
#include "app/SingleInstance.h"
#include "app/TMainForm.h"
#include "app/ToolkitTexts.h"
#include "controls/BakedIcon.h"
#include "core/CNumericLocale.h"
#include "core/DialogHost.h"
#include "core/Names.h"
#include "data/TDM1.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdlib>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    // QApplication set every category from the session; numbers written by
    // C libraries into files must not take the session's decimal comma.
    CNumericLocale::setForProcess();
    QApplication::setStyle(new LeanStyle);
    QApplication::setApplicationName(QStringLiteral("orvet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Путевые листы"));
    // The menu entry's name, so a desktop matches the windows to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.orvet.Orvet"));
    QApplication::setWindowIcon(BakedIcon::icon(QStringLiteral("orvet")));
    ToolkitTexts::install();

    // One copy per data folder, claimed before any table is opened: a
    // second start on the same tables shows the running copy and ends.
    SingleInstance instance(QDir::currentPath());
    switch (instance.claim()) {
    case SingleInstance::Claim::Only:
        break;
    case SingleInstance::Claim::Raised:
        return 0;
    case SingleInstance::Claim::Unanswered:
        DialogHost::instance().showMessage(instance.message());
        return 0;
    case SingleInstance::Claim::Failed:
        DialogHost::instance().showError(instance.message());
        return 1;
    }

    // Created in this order, hidden; the data module opens the tables and
    // reads the settings while it is created. The dialogs come with the
    // first command that shows one.
    TMainForm mainForm;
    TDM1 dm;
    AppForms forms(dm, &mainForm);
    mainForm.setDataModule(&dm);
    QObject::connect(&instance, &SingleInstance::activationRequested, &mainForm, &TMainForm::bringToFront);

    mainForm.show();
#ifdef ORVET_QUIT_AFTER_SHOW
    // The start-up benchmark's build of this file: the process ends once the
    // window has been painted, before anything of a normal exit.
    QTimer::singleShot(0, &app, [&dm, &instance] {
        QCoreApplication::processEvents();
        // The work the first paint sets off (the day's copy, when due) is
        // part of the start.
        dm.execute(Actions::Backup_Daily);
        // Let go of the one-copy lock as a normal exit does, so that the
        // next measured start finds none to take over.
        instance.release();
        std::_Exit(0);
    });
#endif
    // After the first paint: nothing can ask for the window before it is there.
    QTimer::singleShot(0, &instance, &SingleInstance::listen);
    return app.exec();
}
